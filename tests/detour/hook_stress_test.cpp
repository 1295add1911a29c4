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

struct CallerCounts {
  std::atomic<long> original{0};
  std::atomic<long> detoured{0};
  std::atomic<long> wrong{0};
};

void keepCalling(const std::atomic<bool>& stop, CallerCounts& counts) {
  IntFunction volatile target = detour_stress_target;
  long original = 0, detoured = 0, wrong = 0;
  for (int x = 0; !stop.load(std::memory_order_relaxed); x = (x + 1) & 0xFFFF) {
    const int result = target(x);
    if (result == x + 1)
      ++original;
    else if (result == x + 1001)
      ++detoured;
    else
      ++wrong;
  }
  counts.original += original;
  counts.detoured += detoured;
  counts.wrong += wrong;
}

TEST(HookStress, TogglingWhileOtherThreadsCall) {
  constexpr int kToggles = 5000;
  constexpr int kCallers = 3;
  ASSERT_EQ(MH_Initialize(), MH_OK);
  void* trampoline = nullptr;
  ASSERT_EQ(MH_CreateHook(reinterpret_cast<void*>(detour_stress_target),
                          reinterpret_cast<void*>(&stressDetour), &trampoline),
            MH_OK);
  stressOriginal = reinterpret_cast<IntFunction>(trampoline);

  std::atomic<bool> stop{false};
  CallerCounts counts;
  std::vector<std::thread> callers;
  for (int i = 0; i < kCallers; ++i) callers.emplace_back(keepCalling, std::cref(stop), std::ref(counts));

  int failures = 0;
  for (int i = 0; i < kToggles; ++i) {
    failures += MH_EnableHook(reinterpret_cast<void*>(detour_stress_target)) != MH_OK;
    failures += MH_DisableHook(reinterpret_cast<void*>(detour_stress_target)) != MH_OK;
  }
  failures += MH_EnableHook(MH_ALL_HOOKS) != MH_OK;
  // The trampoline is freed by uninitialising: no caller may still be in it.
  stop = true;
  for (std::thread& caller : callers) caller.join();
  failures += MH_Uninitialize() != MH_OK;

  EXPECT_EQ(failures, 0);
  EXPECT_EQ(counts.wrong.load(), 0);
  EXPECT_GT(counts.original.load(), 0);
  EXPECT_GT(counts.detoured.load(), 0);
  std::printf("[ stress   ] %d toggles, %ld original and %ld detoured calls\n", kToggles,
              counts.original.load(), counts.detoured.load());
  EXPECT_EQ(detour_stress_target(1), 2);
}

}  // namespace
