// Enabling and disabling while other threads keep calling the target: every
// call must run either the original or the detour, never a half-written jump.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "MinHook.h"
#include "hook_targets.h"

namespace {

using IntFunction = int (*)(int);

IntFunction stressOriginal = nullptr;

__attribute__((noinline)) int stressDetour(int x) {
  return stressOriginal(x) + 1000;
}

std::atomic<bool> stop{false};
std::atomic<long> originalCalls{0}, detouredCalls{0}, wrongCalls{0};

void keepCalling() {
  IntFunction volatile target = detour_stress_target;
  long original = 0, detoured = 0, wrong = 0;
  for (int x = 0; !stop.load(std::memory_order_relaxed); x = (x + 1) & 0xFFFF) {
    const int result = target(x);
    original += result == x + 1;
    detoured += result == x + 1001;
    wrong += result != x + 1 && result != x + 1001;
  }
  originalCalls += original;
  detouredCalls += detoured;
  wrongCalls += wrong;
}

TEST(HookStress, TogglingWhileOtherThreadsCall) {
  constexpr int kToggles = 5000;
  void* const target = reinterpret_cast<void*>(detour_stress_target);
  ASSERT_EQ(MH_Initialize(), MH_OK);
  void* trampoline = nullptr;
  ASSERT_EQ(MH_CreateHook(target, reinterpret_cast<void*>(&stressDetour), &trampoline), MH_OK);
  stressOriginal = reinterpret_cast<IntFunction>(trampoline);

  std::vector<std::thread> callers;
  for (int i = 0; i < 3; ++i) callers.emplace_back(keepCalling);
  int failures = 0;
  for (int i = 0; i < kToggles; ++i) {
    failures += MH_EnableHook(target) != MH_OK;
    failures += MH_DisableHook(target) != MH_OK;
  }
  failures += MH_EnableHook(MH_ALL_HOOKS) != MH_OK;
  // The trampoline is freed by uninitialising: no caller may still be in it.
  stop = true;
  for (std::thread& caller : callers) caller.join();
  failures += MH_Uninitialize() != MH_OK;

  EXPECT_EQ(failures, 0);
  EXPECT_EQ(wrongCalls.load(), 0);
  EXPECT_GT(originalCalls.load(), 0);
  EXPECT_GT(detouredCalls.load(), 0);
  std::printf("[ stress   ] %d toggles, %ld original and %ld detoured calls\n", kToggles,
              originalCalls.load(), detouredCalls.load());
  EXPECT_EQ(detour_stress_target(1), 2);
}

}  // namespace
