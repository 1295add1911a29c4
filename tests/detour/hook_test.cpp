// Real detours on x86-64 and x86: functions of this program are hooked, called
// through the detour and through the trampoline, disabled, enabled again,
// removed and restored, also while other threads keep calling them.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <thread>
#include <vector>

#include "MinHook.h"
#include "hook_targets.h"

namespace {

using IntFunction = int (*)(int);

IntFunction original = nullptr;

// Calls the original through the trampoline and marks the result.
__attribute__((noinline)) int plusThousand(int x) {
  return original(x) + 1000;
}
__attribute__((noinline)) int minusThousand(int x) {
  return original(x) - 1000;
}

// A C++ function as the compiler laid it out.
__attribute__((noinline)) int compiledCube(int x) {
  asm volatile("");
  return x * x * x;
}

// Calls through a pointer the compiler cannot see through.
int call(IntFunction function, int x) {
  IntFunction volatile through = function;
  return through(x);
}

std::array<uint8_t, 16> firstBytes(IntFunction function) {
  std::array<uint8_t, 16> bytes;
  std::memcpy(bytes.data(), reinterpret_cast<const void*>(function), bytes.size());
  return bytes;
}

void* address(IntFunction function) {
  return reinterpret_cast<void*>(function);
}

// A fresh page holding mov eax, 42; ret.
void* returnFortyTwoPage() {
  void* page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) return nullptr;
  const uint8_t code[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};
  std::memcpy(page, code, sizeof code);
  mprotect(page, 4096, PROT_READ | PROT_EXEC);
  return page;
}

// Creates a hook; its trampoline becomes `original`.
MH_STATUS hook(IntFunction target, IntFunction detour) {
  void* trampoline = nullptr;
  const MH_STATUS status = MH_CreateHook(address(target), address(detour), &trampoline);
  if (status == MH_OK) original = reinterpret_cast<IntFunction>(trampoline);
  return status;
}

class Hooking : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(MH_Initialize(), MH_OK); }
  void TearDown() override { EXPECT_EQ(initialized_ ? MH_Uninitialize() : MH_OK, MH_OK); }
  void uninitialize() {
    EXPECT_EQ(MH_Uninitialize(), MH_OK);
    initialized_ = false;
  }
  bool initialized_ = true;
};

struct Target {
  const char* name;
  IntFunction function;
  int argument;
  int expected;
};

void PrintTo(const Target& target, std::ostream* out) {
  *out << target.name;
}

class HookingEachPrologue : public Hooking, public ::testing::WithParamInterface<Target> {};

TEST_P(HookingEachPrologue, DetoursCallsOriginalAndRestores) {
  const Target& t = GetParam();
  const auto before = firstBytes(t.function);
  ASSERT_EQ(call(t.function, t.argument), t.expected);

  ASSERT_EQ(hook(t.function, plusThousand), MH_OK);
  EXPECT_EQ(call(t.function, t.argument), t.expected) << "created hooks start disabled";
  EXPECT_EQ(call(original, t.argument), t.expected);

  ASSERT_EQ(MH_EnableHook(address(t.function)), MH_OK);
  EXPECT_EQ(call(t.function, t.argument), t.expected + 1000);
  EXPECT_EQ(call(original, t.argument), t.expected);

  ASSERT_EQ(MH_DisableHook(address(t.function)), MH_OK);
  EXPECT_EQ(call(t.function, t.argument), t.expected);
  EXPECT_EQ(firstBytes(t.function), before);

  // Removing an enabled hook restores the target, which can be hooked again.
  ASSERT_EQ(MH_EnableHook(address(t.function)), MH_OK);
  ASSERT_EQ(MH_RemoveHook(address(t.function)), MH_OK);
  EXPECT_EQ(firstBytes(t.function), before);
  EXPECT_EQ(call(t.function, t.argument), t.expected);
  ASSERT_EQ(hook(t.function, minusThousand), MH_OK);
  ASSERT_EQ(MH_EnableHook(address(t.function)), MH_OK);
  EXPECT_EQ(call(t.function, t.argument), t.expected - 1000);

  uninitialize();
  EXPECT_EQ(call(t.function, t.argument), t.expected);
  EXPECT_EQ(firstBytes(t.function), before);
}

INSTANTIATE_TEST_SUITE_P(Prologues, HookingEachPrologue,
                         ::testing::Values(Target{"FramePointer", detour_add_one, 41, 42},
                                           Target{"HotPatch", detour_hot_patch, 1, 6},
                                           Target{"RelativeCall", detour_call_in_prologue, 10, 23},
                                           Target{"RipRelativeLoad", detour_rip_load, 2, 42},
                                           Target{"ConditionalJumpTaken", detour_jcc_prologue, -3, -1},
                                           Target{"ConditionalJumpNotTaken", detour_jcc_prologue, 4, 8},
                                           Target{"ShortWithPadding", detour_short_padded, 9, 9},
                                           Target{"CompiledCode", compiledCube, 3, 27}),
                         ::testing::PrintToStringParamName());

TEST_F(Hooking, RefusesWhatItCannotHookAndReportsMisuse) {
  const auto target = address(detour_add_one);
  const auto detour = address(plusThousand);
  void* trampoline = nullptr;
  const auto tooShortBytes = firstBytes(detour_too_short);
  EXPECT_EQ(MH_CreateHook(address(detour_too_short), detour, &trampoline), MH_ERROR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(trampoline, nullptr);
  EXPECT_EQ(MH_EnableHook(address(detour_too_short)), MH_ERROR_NOT_CREATED);
  EXPECT_EQ(firstBytes(detour_too_short), tooShortBytes);
  EXPECT_EQ(call(detour_after_too_short, 0), 7) << "the function after a refused one is intact";

  EXPECT_EQ(MH_Initialize(), MH_ERROR_ALREADY_INITIALIZED);
  EXPECT_EQ(MH_EnableHook(target), MH_ERROR_NOT_CREATED);
  EXPECT_EQ(MH_DisableHook(target), MH_ERROR_NOT_CREATED);
  EXPECT_EQ(MH_RemoveHook(target), MH_ERROR_NOT_CREATED);
  EXPECT_EQ(MH_CreateHook(&detour_rip_value, detour, &trampoline), MH_ERROR_NOT_EXECUTABLE);
  EXPECT_EQ(MH_CreateHook(target, &detour_rip_value, &trampoline), MH_ERROR_NOT_EXECUTABLE);
  EXPECT_EQ(MH_CreateHook(nullptr, detour, &trampoline), MH_ERROR_NOT_EXECUTABLE);

  ASSERT_EQ(MH_CreateHook(target, detour, &trampoline), MH_OK);
  EXPECT_EQ(MH_CreateHook(target, address(minusThousand), nullptr), MH_ERROR_ALREADY_CREATED);
  EXPECT_EQ(MH_DisableHook(target), MH_ERROR_DISABLED);
  EXPECT_EQ(MH_EnableHook(target), MH_OK);
  EXPECT_EQ(MH_EnableHook(target), MH_ERROR_ENABLED);
  EXPECT_EQ(MH_EnableHook(MH_ALL_HOOKS), MH_OK) << "nothing left to enable is no error";

  uninitialize();
  EXPECT_EQ(MH_Uninitialize(), MH_ERROR_NOT_INITIALIZED);
  EXPECT_EQ(MH_CreateHook(target, detour, &trampoline), MH_ERROR_NOT_INITIALIZED);
  EXPECT_EQ(MH_EnableHook(MH_ALL_HOOKS), MH_ERROR_NOT_INITIALIZED);
  EXPECT_EQ(MH_DisableHook(MH_ALL_HOOKS), MH_ERROR_NOT_INITIALIZED);
  EXPECT_EQ(MH_RemoveHook(target), MH_ERROR_NOT_INITIALIZED);

  EXPECT_STREQ(MH_StatusToString(MH_OK), "MH_OK");
  EXPECT_STREQ(MH_StatusToString(MH_ERROR_MEMORY_PROTECT), "MH_ERROR_MEMORY_PROTECT");
  EXPECT_STREQ(MH_StatusToString(static_cast<MH_STATUS>(99)), "MH_UNKNOWN");
}

TEST_F(Hooking, AllHooksSwitchTogetherAndUninitializeRestoresEveryTarget) {
  const auto addOneBytes = firstBytes(detour_add_one);
  const auto hotPatchBytes = firstBytes(detour_hot_patch);
  ASSERT_EQ(hook(detour_hot_patch, plusThousand), MH_OK);
  const IntFunction hotPatchTrampoline = original;
  ASSERT_EQ(hook(detour_add_one, plusThousand), MH_OK);
  EXPECT_NE(original, hotPatchTrampoline);

  ASSERT_EQ(MH_EnableHook(MH_ALL_HOOKS), MH_OK);
  EXPECT_EQ(call(detour_add_one, 1), 1002);
  EXPECT_NE(firstBytes(detour_hot_patch), hotPatchBytes);
  ASSERT_EQ(MH_DisableHook(MH_ALL_HOOKS), MH_OK);
  EXPECT_EQ(call(detour_add_one, 1), 2);
  EXPECT_EQ(firstBytes(detour_hot_patch), hotPatchBytes);

  // As at shutdown: one hook enabled, its partner only created.
  ASSERT_EQ(MH_EnableHook(address(detour_add_one)), MH_OK);
  uninitialize();
  EXPECT_EQ(firstBytes(detour_add_one), addOneBytes);
  EXPECT_EQ(firstBytes(detour_hot_patch), hotPatchBytes);
  EXPECT_EQ(call(detour_add_one, 1), 2);
  EXPECT_EQ(call(detour_hot_patch, 1), 6);

  // The library starts over cleanly.
  ASSERT_EQ(MH_Initialize(), MH_OK);
  initialized_ = true;
  ASSERT_EQ(hook(detour_add_one, minusThousand), MH_OK);
  ASSERT_EQ(MH_EnableHook(address(detour_add_one)), MH_OK);
  EXPECT_EQ(call(detour_add_one, 1), -998);
}

TEST_F(Hooking, ReportsATargetThatCannotBeWritten) {
  void* page = returnFortyTwoPage();
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(hook(reinterpret_cast<IntFunction>(page), plusThousand), MH_OK);
  munmap(page, 4096);  // the code is gone: no jump can be written there
  EXPECT_EQ(MH_EnableHook(page), MH_ERROR_MEMORY_PROTECT);
  EXPECT_EQ(MH_EnableHook(page), MH_ERROR_MEMORY_PROTECT) << "the hook stays disabled";
}

// A detour more than 2 GiB away from its target is reached through an
// absolute jump placed next to the trampoline.
TEST_F(Hooking, ReachesADetourOutOfRel32Range) {
  if (sizeof(void*) == 4) GTEST_SKIP() << "on x86 every address is within rel32 reach";
  void* page = returnFortyTwoPage();
  ASSERT_NE(page, nullptr);
  const intptr_t distance = reinterpret_cast<intptr_t>(page) - reinterpret_cast<intptr_t>(detour_add_one);
  if (std::llabs(distance) < (int64_t{1} << 32)) {
    munmap(page, 4096);
    GTEST_SKIP() << "the system placed the page near the program";
  }
  ASSERT_EQ(hook(detour_add_one, reinterpret_cast<IntFunction>(page)), MH_OK);
  ASSERT_EQ(MH_EnableHook(address(detour_add_one)), MH_OK);
  EXPECT_EQ(call(detour_add_one, 5), 42);
  EXPECT_EQ(call(original, 5), 6);
  uninitialize();
  EXPECT_EQ(call(detour_add_one, 5), 6);
  munmap(page, 4096);
}

// Enabling and disabling while other threads keep calling the target: every
// call must run either the original or the detour, never a half-written jump.
// Run with qemu translating one instruction at a time (see CMakeLists.txt).
TEST(HookStress, TogglingWhileOtherThreadsCall) {
  constexpr int kToggles = 5000;
  ASSERT_EQ(MH_Initialize(), MH_OK);
  ASSERT_EQ(hook(detour_stress_target, plusThousand), MH_OK);
  std::atomic<bool> stop{false};
  std::atomic<long> originalCalls{0}, detouredCalls{0}, wrongCalls{0};
  std::vector<std::thread> callers;
  for (int i = 0; i < 3; ++i) {
    callers.emplace_back([&] {
      long original = 0, detoured = 0, wrong = 0;
      for (int x = 0; !stop.load(std::memory_order_relaxed); x = (x + 1) & 0xFFFF) {
        const int result = call(detour_stress_target, x);
        original += result == x + 1;
        detoured += result == x + 1001;
        wrong += result != x + 1 && result != x + 1001;
      }
      originalCalls += original;
      detouredCalls += detoured;
      wrongCalls += wrong;
    });
  }
  int failures = 0;
  for (int i = 0; i < kToggles; ++i) {
    failures += MH_EnableHook(address(detour_stress_target)) != MH_OK;
    failures += MH_DisableHook(address(detour_stress_target)) != MH_OK;
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
