// The 32-bit Windows build of the hooks, run under Wine: hot-patch and frame
// prologues are detoured, and hooks are switched while other threads call
// them, so suspended threads must be moved between target and trampoline.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "MinHook.h"

extern "C" int hot_patch_target(int x);  // x + 5 behind mov edi, edi; push ebp; mov ebp, esp
extern "C" int frame_target(int x);      // x + 1 behind push ebp; mov ebp, esp; push ebx
asm(R"(
    .text
    .p2align 4
    .globl _hot_patch_target
_hot_patch_target:
    .byte 0x8b, 0xff
    push %ebp
    mov %esp, %ebp
    mov 8(%ebp), %eax
    add $5, %eax
    pop %ebp
    ret
    .p2align 4
    .globl _frame_target
_frame_target:
    push %ebp
    mov %esp, %ebp
    push %ebx
    mov 8(%ebp), %eax
    add $1, %eax
    pop %ebx
    pop %ebp
    ret
)");

namespace {

using IntFunction = int (*)(int);
IntFunction originalHotPatch = nullptr;
IntFunction originalFrame = nullptr;
int hotPatchDetour(int x) {
  return originalHotPatch(x) + 1000;
}
int frameDetour(int x) {
  return originalFrame(x) + 1000;
}

volatile LONG stopCalling = 0;
volatile LONG wrongResults = 0;

// Every result is the original's or the detour's; a thread moved wrongly
// runs the detour twice or crashes.
DWORD WINAPI keepCalling(void*) {
  IntFunction volatile frame = frame_target;
  IntFunction volatile hotPatch = hot_patch_target;
  LONG wrong = 0;
  for (int x = 0; !stopCalling; x = (x + 1) & 0xFFFF) {
    const int a = frame(x);
    const int b = hotPatch(x);
    wrong += (a != x + 1 && a != x + 1001) + (b != x + 5 && b != x + 1005);
  }
  InterlockedExchangeAdd(&wrongResults, wrong);
  return 0;
}

int passed = 0;
int failed = 0;
void check(bool condition, const char* what) {
  condition ? ++passed : ++failed;
  if (!condition) std::printf("FAILED: %s\n", what);
}

}  // namespace

int main() {
  unsigned char before[8];
  std::memcpy(before, reinterpret_cast<void*>(hot_patch_target), sizeof before);
  void* trampoline = nullptr;
  check(MH_Initialize() == MH_OK, "initialize");
  check(MH_CreateHook(reinterpret_cast<void*>(hot_patch_target), reinterpret_cast<void*>(hotPatchDetour),
                      &trampoline) == MH_OK,
        "create the hot-patch hook");
  originalHotPatch = reinterpret_cast<IntFunction>(trampoline);
  check(MH_CreateHook(reinterpret_cast<void*>(frame_target), reinterpret_cast<void*>(frameDetour),
                      &trampoline) == MH_OK,
        "create the frame hook");
  originalFrame = reinterpret_cast<IntFunction>(trampoline);
  check(MH_EnableHook(MH_ALL_HOOKS) == MH_OK, "enable all");
  check(hot_patch_target(1) == 1006 && frame_target(1) == 1002, "calls pass through the detours");
  check(originalHotPatch(1) == 6 && originalFrame(1) == 2, "trampolines run the originals");

  HANDLE callers[3];
  for (HANDLE& caller : callers) caller = CreateThread(nullptr, 0, keepCalling, nullptr, 0, nullptr);
  int switchFailures = 0;
  for (int i = 0; i < 200; ++i) {
    switchFailures += MH_DisableHook(MH_ALL_HOOKS) != MH_OK;
    switchFailures += MH_EnableHook(MH_ALL_HOOKS) != MH_OK;
  }
  stopCalling = 1;
  WaitForMultipleObjects(3, callers, TRUE, INFINITE);
  check(switchFailures == 0, "switching while other threads call");
  check(wrongResults == 0, "every call ran the original or the detour once");

  check(MH_Uninitialize() == MH_OK, "uninitialize");
  check(hot_patch_target(1) == 6 && frame_target(1) == 2, "targets restored");
  check(std::memcmp(before, reinterpret_cast<void*>(hot_patch_target), sizeof before) == 0,
        "original bytes back");
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
