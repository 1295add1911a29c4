// A function in a DLL, on x86-64 loaded far (more than 2 GiB) from the hook
// test's detours: a hook on it needs a relay jump next to the target.
extern "C" __declspec(dllexport) int far_target(int x) {
  return x * 3;
}
