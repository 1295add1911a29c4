// The Windows build of the hooks, run under Wine: a frame prologue, one the
// architecture makes awkward (a RIP-relative load on x86-64, the hot-patch
// mov edi, edi on x86) and a function in a DLL (on x86-64 beyond 2 GiB,
// reached through a relay) are detoured, and hooks are switched while other
// threads call them, so suspended threads must be moved between target and
// trampoline.
#include <windows.h>

#include <cstring>
#include <string>

#include "MinHook.h"
#include "checks.h"

// x + 1 behind push bp; mov bp, sp; push bx, and x + 7.
extern "C" int frame_target(int x) asm("frame_target");
extern "C" int awkward_target(int x) asm("awkward_target");
#if defined(_WIN64)
asm(R"(
    .text
    .p2align 4
frame_target:
    push %rbp
    mov %rsp, %rbp
    push %rbx
    lea 1(%rcx), %eax
    pop %rbx
    pop %rbp
    ret
    .p2align 4
awkward_target:
    mov seven(%rip), %eax
    add %ecx, %eax
    ret
    .data
    .p2align 2
seven:
    .long 7
    .text
)");
#else
asm(R"(
    .text
    .p2align 4
frame_target:
    push %ebp
    mov %esp, %ebp
    push %ebx
    mov 8(%ebp), %eax
    add $1, %eax
    pop %ebx
    pop %ebp
    ret
    .p2align 4
awkward_target:
    .byte 0x8b, 0xff
    push %ebp
    mov %esp, %ebp
    mov 8(%ebp), %eax
    add $7, %eax
    pop %ebp
    ret
)");
#endif

namespace {

using IntFunction = int (*)(int);
IntFunction originalFrame = nullptr;
IntFunction originalAwkward = nullptr;
IntFunction originalFar = nullptr;
// Calls the original through its trampoline and marks the result.
template <IntFunction* original>
int plusThousand(int x) {
  return (*original)(x) + 1000;
}

// Each switch suspends and resumes every other thread, which takes wine64
// about 70 ms: a few dozen switches keep the run short there.
constexpr int kSwitches = sizeof(void*) == 8 ? 20 : 200;

volatile LONG stopCalling = 0;
volatile LONG wrongResults = 0;

// Every result is the original's or the detour's; a thread moved wrongly
// runs the detour twice or crashes.
DWORD WINAPI keepCalling(void*) {
  IntFunction volatile frame = frame_target;
  IntFunction volatile awkward = awkward_target;
  LONG wrong = 0;
  for (int x = 0; !stopCalling; x = (x + 1) & 0xFFFF) {
    const int a = frame(x);
    const int b = awkward(x);
    wrong += (a != x + 1 && a != x + 1001) + (b != x + 7 && b != x + 1007);
  }
  InterlockedExchangeAdd(&wrongResults, wrong);
  return 0;
}

// Hooks `target` with plusThousand<original>, whose trampoline goes to `original`.
template <IntFunction* original>
void Hook(IntFunction target, const char* what) {
  void* trampoline = nullptr;
  const MH_STATUS status = MH_CreateHook(reinterpret_cast<void*>(target),
                                         reinterpret_cast<void*>(plusThousand<original>), &trampoline);
  *original = reinterpret_cast<IntFunction>(trampoline);
  Check(status == MH_OK, what, "status " + std::to_string(status));
}

}  // namespace

int main() {
  HMODULE farLibrary = LoadLibraryA("far_target.dll");
  auto farTarget = reinterpret_cast<IntFunction>(
      reinterpret_cast<void*>(farLibrary ? GetProcAddress(farLibrary, "far_target") : nullptr));
  if (!Check(farTarget != nullptr, "far_target.dll loads")) return Summary();
  const auto distance = reinterpret_cast<std::uintptr_t>(farTarget) -
                        reinterpret_cast<std::uintptr_t>(&plusThousand<&originalFar>);
  if (sizeof(void*) == 8)
    Check(static_cast<long long>(distance) > 0x80000000LL, "the far target lies beyond 2 GiB of the detour");

  unsigned char before[16];
  std::memcpy(before, reinterpret_cast<void*>(awkward_target), sizeof before);
  Check(MH_Initialize() == MH_OK, "initialize");
  Hook<&originalFrame>(frame_target, "create the frame hook");
  Hook<&originalAwkward>(awkward_target, "create the hook on the awkward prologue");
  Hook<&originalFar>(farTarget, "create the hook on the far target");
  if (failedChecks > 0) return Summary();
  Check(MH_EnableHook(MH_ALL_HOOKS) == MH_OK, "enable all");
  Check(frame_target(1) == 1002 && awkward_target(1) == 1008 && farTarget(2) == 1006,
        "calls pass through the detours");
  Check(originalFrame(1) == 2 && originalAwkward(1) == 8 && originalFar(2) == 6,
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
  Check(frame_target(1) == 2 && awkward_target(1) == 8 && farTarget(2) == 6, "targets restored");
  Check(std::memcmp(before, reinterpret_cast<void*>(awkward_target), sizeof before) == 0,
        "original bytes back");
  return Summary();
}
