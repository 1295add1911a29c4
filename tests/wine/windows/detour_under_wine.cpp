// The x86-64 Windows build of the hooks, run under Wine: prologues with a
// RIP-relative instruction are detoured, a function in a DLL beyond 2 GiB is
// reached through a relay, and hooks are switched a bounded number of times
// while other threads call them, so suspended threads must be moved between
// target and trampoline.
#include <windows.h>

#include <cstring>
#include <string>

#include "MinHook.h"
#include "checks.h"

extern "C" int frame_target(int x);     // x + 1 behind push rbp; mov rbp, rsp; push rbx
extern "C" int relative_target(int x);  // x + the constant 7, read RIP-relative first thing
asm(R"(
    .text
    .p2align 4
    .globl frame_target
frame_target:
    push %rbp
    mov %rsp, %rbp
    push %rbx
    lea 1(%rcx), %eax
    pop %rbx
    pop %rbp
    ret
    .p2align 4
    .globl relative_target
relative_target:
    mov seven(%rip), %eax
    add %ecx, %eax
    ret
    .data
    .p2align 2
seven:
    .long 7
    .text
)");

namespace {

using IntFunction = int (*)(int);
IntFunction originalFrame = nullptr;
IntFunction originalRelative = nullptr;
IntFunction originalFar = nullptr;
int frameDetour(int x) {
  return originalFrame(x) + 1000;
}
int relativeDetour(int x) {
  return originalRelative(x) + 1000;
}
int farDetour(int x) {
  return originalFar(x) + 1000;
}

// Each switch suspends and resumes every other thread, which takes Wine
// about 70 ms: a few dozen switches keep the run short.
constexpr int kSwitches = 20;

volatile LONG stopCalling = 0;
volatile LONG wrongResults = 0;

// Every result is the original's or the detour's; a thread moved wrongly
// runs the detour twice or crashes.
DWORD WINAPI keepCalling(void*) {
  IntFunction volatile frame = frame_target;
  IntFunction volatile relative = relative_target;
  LONG wrong = 0;
  for (int x = 0; !stopCalling; x = (x + 1) & 0xFFFF) {
    const int a = frame(x);
    const int b = relative(x);
    wrong += (a != x + 1 && a != x + 1001) + (b != x + 7 && b != x + 1007);
  }
  InterlockedExchangeAdd(&wrongResults, wrong);
  return 0;
}

void Hook(void* target, void* detour, IntFunction* original, const char* what) {
  void* trampoline = nullptr;
  const MH_STATUS status = MH_CreateHook(target, detour, &trampoline);
  *original = reinterpret_cast<IntFunction>(trampoline);
  Check(status == MH_OK, what, "status " + std::to_string(status));
}

}  // namespace

int main() {
  HMODULE farLibrary = LoadLibraryA("far_target.dll");
  auto farTarget = reinterpret_cast<IntFunction>(
      reinterpret_cast<void*>(farLibrary ? GetProcAddress(farLibrary, "far_target") : nullptr));
  if (!Check(farTarget != nullptr, "far_target.dll loads")) return Summary();
  const auto distance =
      reinterpret_cast<std::uintptr_t>(farTarget) - reinterpret_cast<std::uintptr_t>(&farDetour);
  Check(static_cast<long long>(distance) > 0x80000000LL, "the far target lies beyond 2 GiB of the detour");

  unsigned char before[16];
  std::memcpy(before, reinterpret_cast<void*>(relative_target), sizeof before);
  Check(MH_Initialize() == MH_OK, "initialize");
  Hook(reinterpret_cast<void*>(frame_target), reinterpret_cast<void*>(frameDetour), &originalFrame,
       "create the frame hook");
  Hook(reinterpret_cast<void*>(relative_target), reinterpret_cast<void*>(relativeDetour), &originalRelative,
       "create the hook on a RIP-relative prologue");
  Hook(reinterpret_cast<void*>(farTarget), reinterpret_cast<void*>(farDetour), &originalFar,
       "create the hook on the far target");
  if (failedChecks > 0) return Summary();
  Check(MH_EnableHook(MH_ALL_HOOKS) == MH_OK, "enable all");
  Check(frame_target(1) == 1002 && relative_target(1) == 1008 && farTarget(2) == 1006,
        "calls pass through the detours");
  Check(originalFrame(1) == 2 && originalRelative(1) == 8 && originalFar(2) == 6,
        "trampolines run the originals");

  HANDLE callers[3];
  for (HANDLE& caller : callers) caller = CreateThread(nullptr, 0, keepCalling, nullptr, 0, nullptr);
  int switchFailures = 0;
  for (int i = 0; i < kSwitches; ++i) {
    switchFailures += MH_DisableHook(MH_ALL_HOOKS) != MH_OK;
    switchFailures += MH_EnableHook(MH_ALL_HOOKS) != MH_OK;
  }
  stopCalling = 1;
  WaitForMultipleObjects(3, callers, TRUE, INFINITE);
  Check(switchFailures == 0, std::to_string(kSwitches) + " disable/enable switches while other threads call");
  Check(wrongResults == 0, "every call ran the original or the detour once");

  Check(MH_Uninitialize() == MH_OK, "uninitialize");
  Check(frame_target(1) == 2 && relative_target(1) == 8 && farTarget(2) == 6, "targets restored");
  Check(std::memcmp(before, reinterpret_cast<void*>(relative_target), sizeof before) == 0,
        "original bytes back");
  return Summary();
}
