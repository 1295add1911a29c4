// Functions to hook, written in assembly so that their first bytes are
// exactly what each test needs, for x86-64 and for x86.
#pragma once

extern "C" {
// x + 1 behind push rbp; mov rbp, rsp (ebp, esp on x86).
int detour_add_one(int x);
// x + 5 behind the hot-patch prologue mov edi, edi; push rbp; mov rbp, rsp.
int detour_hot_patch(int x);
// 2 * x + 3; starts with a relative call.
int detour_call_in_prologue(int x);
// detour_rip_value + x; starts with a RIP-relative load (absolute on x86).
int detour_rip_load(int x);
extern int detour_rip_value;
// x > 0 ? 2 * x : -1; a conditional jump within the first bytes.
int detour_jcc_prologue(int x);
// x in three bytes (9 in four on x86) followed by alignment nops.
int detour_short_padded(int x);
// 0, in three bytes directly followed by detour_after_too_short.
int detour_too_short(int x);
int detour_after_too_short(int x);
// x + 1; its first instruction is longer than the jump.
int detour_stress_target(int x);
}
