// What a hook costs: creating and enabling one, and a call that passes
// through a detour and its trampoline compared with a direct call.
#include <benchmark/benchmark.h>

#include "MinHook.h"

extern "C" int bench_add_one(int x);

asm(R"(
    .text
    .p2align 4
    .globl bench_add_one
    .type bench_add_one, @function
bench_add_one:
    push %rbp
    mov %rsp, %rbp
    lea 1(%rdi), %eax
    pop %rbp
    ret
    .size bench_add_one, .-bench_add_one
)");

namespace {

using IntFunction = int (*)(int);
IntFunction original = nullptr;

__attribute__((noinline)) int forwardToOriginal(int x) {
  return original(x);
}

void* target() {
  return reinterpret_cast<void*>(&bench_add_one);
}
void* detour() {
  return reinterpret_cast<void*>(&forwardToOriginal);
}

void runCalls(benchmark::State& state) {
  IntFunction volatile function = bench_add_one;
  int x = 0;
  for (auto _ : state) {
    x = function(x);
    benchmark::DoNotOptimize(x);
  }
}

void BM_DirectCall(benchmark::State& state) {
  runCalls(state);
}
BENCHMARK(BM_DirectCall);

void BM_CallThroughDetourAndTrampoline(benchmark::State& state) {
  MH_Initialize();
  void* trampoline = nullptr;
  if (MH_CreateHook(target(), detour(), &trampoline) != MH_OK || MH_EnableHook(target()) != MH_OK) {
    state.SkipWithError("hook could not be set");
    MH_Uninitialize();
    return;
  }
  original = reinterpret_cast<IntFunction>(trampoline);
  runCalls(state);
  MH_Uninitialize();
}
BENCHMARK(BM_CallThroughDetourAndTrampoline);

void BM_CreateAndEnableHook(benchmark::State& state) {
  MH_Initialize();
  void* trampoline = nullptr;
  for (auto _ : state) {
    if (MH_CreateHook(target(), detour(), &trampoline) != MH_OK || MH_EnableHook(target()) != MH_OK) {
      state.SkipWithError("hook could not be set");
      break;
    }
    state.PauseTiming();
    MH_RemoveHook(target());
    state.ResumeTiming();
  }
  MH_Uninitialize();
}
BENCHMARK(BM_CreateAndEnableHook)->Unit(benchmark::kMicrosecond);

void BM_EnableThenDisable(benchmark::State& state) {
  MH_Initialize();
  void* trampoline = nullptr;
  MH_CreateHook(target(), detour(), &trampoline);
  for (auto _ : state) {
    MH_EnableHook(target());
    MH_DisableHook(target());
  }
  MH_Uninitialize();
}
BENCHMARK(BM_EnableThenDisable)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
