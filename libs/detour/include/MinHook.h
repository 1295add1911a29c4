// Inline function hooking with a C interface: a hook overwrites the first
// bytes of a target function with a jump to a detour, and hands back a
// trampoline that runs the overwritten instructions and continues in the
// target, so the detour can still call the original behaviour.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define MH_CALL __stdcall
#else
#define MH_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum MH_STATUS {
  MH_UNKNOWN = -1,
  MH_OK = 0,
  MH_ERROR_ALREADY_INITIALIZED,
  MH_ERROR_NOT_INITIALIZED,
  MH_ERROR_ALREADY_CREATED,
  MH_ERROR_NOT_CREATED,
  MH_ERROR_ENABLED,
  MH_ERROR_DISABLED,
  MH_ERROR_NOT_EXECUTABLE,
  MH_ERROR_UNSUPPORTED_FUNCTION,
  MH_ERROR_MEMORY_ALLOC,
  MH_ERROR_MEMORY_PROTECT
} MH_STATUS;

// Passed to MH_EnableHook / MH_DisableHook to act on every created hook.
#define MH_ALL_HOOKS ((void*)0)

// Prepares the library; must precede every other call.
MH_STATUS MH_CALL MH_Initialize(void);

// Disables and removes every hook, restoring all targets, and frees all memory.
MH_STATUS MH_CALL MH_Uninitialize(void);

// Creates a disabled hook on pTarget. When ppOriginal is not null it receives
// the trampoline: calling it behaves like the unhooked target.
MH_STATUS MH_CALL MH_CreateHook(void* pTarget, void* pDetour, void** ppOriginal);

// Disables the hook on pTarget if needed and releases it.
MH_STATUS MH_CALL MH_RemoveHook(void* pTarget);

// Writes the jump into pTarget, or into every disabled hook for MH_ALL_HOOKS.
MH_STATUS MH_CALL MH_EnableHook(void* pTarget);

// Puts back the original bytes of pTarget, or of every enabled hook for MH_ALL_HOOKS.
MH_STATUS MH_CALL MH_DisableHook(void* pTarget);

// The enumerator's name, e.g. "MH_ERROR_NOT_CREATED"; "MH_UNKNOWN" for other values.
const char* MH_CALL MH_StatusToString(MH_STATUS status);

#ifdef __cplusplus
}
#endif
