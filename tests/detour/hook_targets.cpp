#include "hook_targets.h"

// `function name` starts an exported function, aligned to 16 bytes unless an
// alignment (as a power of two) is given.
asm(R"(
    .macro function name, align=4
    .p2align \align
    .globl \name
    .type \name, @function
\name:
    .endm

    .text
    function detour_call_in_prologue
    call doubling_helper
    add $3, %eax
    ret

    function detour_too_short
    xor %eax, %eax
    ret
    function detour_after_too_short, 0
    mov $7, %eax
    ret

    .data
    .p2align 2
    .globl detour_rip_value
detour_rip_value:
    .long 40
    .text
)");

#if defined(__x86_64__)
asm(R"(
    .p2align 4
doubling_helper:
    lea (%rdi,%rdi), %eax
    ret

    function detour_add_one
    push %rbp
    mov %rsp, %rbp
    lea 1(%rdi), %eax
    pop %rbp
    ret

    function detour_hot_patch
    .byte 0x8b, 0xff
    push %rbp
    mov %rsp, %rbp
    lea 5(%rdi), %eax
    pop %rbp
    ret

    function detour_rip_load
    mov detour_rip_value(%rip), %eax
    add %edi, %eax
    ret

    function detour_jcc_prologue
    test %edi, %edi
    jle 1f
    lea (%rdi,%rdi), %eax
    ret
1:  mov $-1, %eax
    ret

    function detour_short_padded
    mov %edi, %eax
    ret

    function detour_stress_target
    .byte 0x8d, 0x87, 0x01, 0x00, 0x00, 0x00  # lea 1(%rdi), %eax with a 32-bit displacement
    ret
)");
#else
// x86: the argument is on the stack at 4(%esp).
asm(R"(
    .p2align 4
doubling_helper:
    mov 8(%esp), %eax
    add %eax, %eax
    ret

    function detour_add_one
    push %ebp
    mov %esp, %ebp
    mov 8(%ebp), %eax
    inc %eax
    pop %ebp
    ret

    function detour_hot_patch
    .byte 0x8b, 0xff
    push %ebp
    mov %esp, %ebp
    mov 8(%ebp), %eax
    add $5, %eax
    pop %ebp
    ret

    function detour_rip_load
    mov detour_rip_value, %eax
    add 4(%esp), %eax
    ret

    function detour_jcc_prologue
    pop %ecx
    pop %eax
    test %eax, %eax
    jle 1f
    push %eax
    push %ecx
    add %eax, %eax
    ret
1:  push %eax
    push %ecx
    mov $-1, %eax
    ret

    function detour_short_padded
    push $9
    pop %eax
    ret

    function detour_stress_target
    .byte 0x8b, 0x84, 0x24, 0x04, 0x00, 0x00, 0x00  # mov 4(%esp), %eax with a 32-bit displacement
    inc %eax
    ret
)");
#endif
