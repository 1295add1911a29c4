#include "hook_targets.h"

#if defined(__x86_64__)
asm(R"(
    .text
    .p2align 4
    .globl detour_add_one
    .type detour_add_one, @function
detour_add_one:
    push %rbp
    mov %rsp, %rbp
    lea 1(%rdi), %eax
    pop %rbp
    ret
    .size detour_add_one, .-detour_add_one

    .p2align 4
    .globl detour_hot_patch
    .type detour_hot_patch, @function
detour_hot_patch:
    .byte 0x8b, 0xff
    push %rbp
    mov %rsp, %rbp
    lea 5(%rdi), %eax
    pop %rbp
    ret
    .size detour_hot_patch, .-detour_hot_patch

    .p2align 4
doubling_helper:
    lea (%rdi,%rdi), %eax
    ret

    .p2align 4
    .globl detour_call_in_prologue
    .type detour_call_in_prologue, @function
detour_call_in_prologue:
    call doubling_helper
    add $3, %eax
    ret
    .size detour_call_in_prologue, .-detour_call_in_prologue

    .p2align 4
    .globl detour_rip_load
    .type detour_rip_load, @function
detour_rip_load:
    mov detour_rip_value(%rip), %eax
    add %edi, %eax
    ret
    .size detour_rip_load, .-detour_rip_load

    .p2align 4
    .globl detour_jcc_prologue
    .type detour_jcc_prologue, @function
detour_jcc_prologue:
    test %edi, %edi
    jle 1f
    lea (%rdi,%rdi), %eax
    ret
1:  mov $-1, %eax
    ret
    .size detour_jcc_prologue, .-detour_jcc_prologue

    .p2align 4
    .globl detour_short_padded
    .type detour_short_padded, @function
detour_short_padded:
    mov %edi, %eax
    ret
    .size detour_short_padded, .-detour_short_padded
    .p2align 4

    .globl detour_too_short
    .type detour_too_short, @function
detour_too_short:
    xor %eax, %eax
    ret
    .size detour_too_short, .-detour_too_short
    .globl detour_after_too_short
    .type detour_after_too_short, @function
detour_after_too_short:
    mov $7, %eax
    ret
    .size detour_after_too_short, .-detour_after_too_short

    .p2align 4
    .globl detour_stress_target
    .type detour_stress_target, @function
detour_stress_target:
    .byte 0x8d, 0x87, 0x01, 0x00, 0x00, 0x00  # lea 1(%rdi), %eax with a 32-bit displacement
    ret
    .size detour_stress_target, .-detour_stress_target

    .data
    .p2align 2
    .globl detour_rip_value
detour_rip_value:
    .long 40
    .text
)");
#else
// x86: the argument is on the stack at 4(%esp).
asm(R"(
    .text
    .p2align 4
    .globl detour_add_one
    .type detour_add_one, @function
detour_add_one:
    push %ebp
    mov %esp, %ebp
    mov 8(%ebp), %eax
    inc %eax
    pop %ebp
    ret
    .size detour_add_one, .-detour_add_one

    .p2align 4
    .globl detour_hot_patch
    .type detour_hot_patch, @function
detour_hot_patch:
    .byte 0x8b, 0xff
    push %ebp
    mov %esp, %ebp
    mov 8(%ebp), %eax
    add $5, %eax
    pop %ebp
    ret
    .size detour_hot_patch, .-detour_hot_patch

    .p2align 4
doubling_helper:
    mov 8(%esp), %eax
    add %eax, %eax
    ret

    .p2align 4
    .globl detour_call_in_prologue
    .type detour_call_in_prologue, @function
detour_call_in_prologue:
    call doubling_helper
    add $3, %eax
    ret
    .size detour_call_in_prologue, .-detour_call_in_prologue

    .p2align 4
    .globl detour_rip_load
    .type detour_rip_load, @function
detour_rip_load:
    mov detour_rip_value, %eax
    add 4(%esp), %eax
    ret
    .size detour_rip_load, .-detour_rip_load

    .p2align 4
    .globl detour_jcc_prologue
    .type detour_jcc_prologue, @function
detour_jcc_prologue:
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
    .size detour_jcc_prologue, .-detour_jcc_prologue

    .p2align 4
    .globl detour_short_padded
    .type detour_short_padded, @function
detour_short_padded:
    push $9
    pop %eax
    ret
    .size detour_short_padded, .-detour_short_padded
    .p2align 4

    .globl detour_too_short
    .type detour_too_short, @function
detour_too_short:
    xor %eax, %eax
    ret
    .size detour_too_short, .-detour_too_short
    .globl detour_after_too_short
    .type detour_after_too_short, @function
detour_after_too_short:
    mov $7, %eax
    ret
    .size detour_after_too_short, .-detour_after_too_short

    .p2align 4
    .globl detour_stress_target
    .type detour_stress_target, @function
detour_stress_target:
    .byte 0x8b, 0x84, 0x24, 0x04, 0x00, 0x00, 0x00  # mov 4(%esp), %eax with a 32-bit displacement
    inc %eax
    ret
    .size detour_stress_target, .-detour_stress_target

    .data
    .p2align 2
    .globl detour_rip_value
detour_rip_value:
    .long 40
    .text
)");
#endif
