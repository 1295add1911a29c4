// The game's code around its effect-creation call, as machine code of the
// build's own architecture on a page at the host's address. The function
// passes its nine arguments on through the call instruction at 0x70AAA8,
// exactly as the game's call does.
#include "sim/host_code.h"

#include <sys/mman.h>

#include <cstring>

#include "kernel_internal.h"
#include "sim/host_kernel.h"

namespace {

constexpr std::size_t kPageSize = 0x1000;

#if defined(__x86_64__)
// The first six arguments stay in their registers; the three stack arguments
// are copied down.
const std::uint8_t kPrologue[] = {
    0x48, 0x83, 0xEC, 0x28,        // sub rsp, 0x28
    0x48, 0x8B, 0x44, 0x24, 0x30,  // mov rax, [rsp+0x30]   (7th argument)
    0x48, 0x89, 0x04, 0x24,        // mov [rsp], rax
    0x48, 0x8B, 0x44, 0x24, 0x38,  // mov rax, [rsp+0x38]   (8th)
    0x48, 0x89, 0x44, 0x24, 0x08,  // mov [rsp+8], rax
    0x48, 0x8B, 0x44, 0x24, 0x40,  // mov rax, [rsp+0x40]   (9th)
    0x48, 0x89, 0x44, 0x24, 0x10,  // mov [rsp+0x10], rax
};
const std::uint8_t kEpilogue[] = {
    0x48, 0x83, 0xC4, 0x28,  // add rsp, 0x28
    0xC3,                    // ret
};
#else
// All nine arguments are on the stack: after 8 bytes that keep the call
// 16-byte aligned, each push of [esp+0x2C] copies the next one down, from the
// last to the first. The caller pops them.
const std::uint8_t kPrologue[] = {
    0x83, 0xEC, 0x08,                                                        // sub esp, 8
    0xFF, 0x74, 0x24, 0x2C, 0xFF, 0x74, 0x24, 0x2C, 0xFF, 0x74, 0x24, 0x2C,  // push dword [esp+0x2C] x3
    0xFF, 0x74, 0x24, 0x2C, 0xFF, 0x74, 0x24, 0x2C, 0xFF, 0x74, 0x24, 0x2C,  // x3
    0xFF, 0x74, 0x24, 0x2C, 0xFF, 0x74, 0x24, 0x2C, 0xFF, 0x74, 0x24, 0x2C,  // x3
};
const std::uint8_t kEpilogue[] = {
    0x83, 0xC4, 0x2C,  // add esp, 0x2C
    0xC3,              // ret
};
#endif

constexpr std::uintptr_t kEntry = sim::kHostCallSite - sizeof(kPrologue);

using CreateFromResource = HRESULT (*)(LPDIRECT3DDEVICE9, HMODULE, LPCSTR, const D3DXMACRO*, LPD3DXINCLUDE,
                                       DWORD, LPD3DXEFFECTPOOL, LPD3DXEFFECT*, LPD3DXBUFFER*);

}  // namespace

namespace sim {

bool InstallHostCode() {
  void* page = reinterpret_cast<void*>(kHostCodePage);
  if (QueryProtection(kHostCodePage) == 0) {
    void* mapped = mmap(page, kPageSize, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (mapped != page) return false;
  }
  DWORD old = 0;
  if (!VirtualProtect(page, kPageSize, PAGE_READWRITE, &old)) return false;
  auto* code = reinterpret_cast<std::uint8_t*>(kEntry);
  std::memset(page, 0xCC, kPageSize);
  std::memcpy(code, kPrologue, sizeof(kPrologue));
  auto target = reinterpret_cast<std::uintptr_t>(&D3DXCreateEffectFromResourceA);
  auto displacement = static_cast<std::int32_t>(static_cast<std::int64_t>(target) -
                                                static_cast<std::int64_t>(kHostCallSite + 5));
  code[sizeof(kPrologue)] = 0xE8;
  std::memcpy(code + sizeof(kPrologue) + 1, &displacement, sizeof(displacement));
  std::memcpy(code + sizeof(kPrologue) + 5, kEpilogue, sizeof(kEpilogue));
  return VirtualProtect(page, kPageSize, PAGE_EXECUTE_READ, &old) != FALSE;
}

void RemoveHostCode() {
  if (QueryProtection(kHostCodePage) == 0) return;
  munmap(reinterpret_cast<void*>(kHostCodePage), kPageSize);
  ForgetPage(kHostCodePage);
}

HRESULT HostCreateEffectFromResource(LPDIRECT3DDEVICE9 device, HMODULE module, LPCSTR resource,
                                     const D3DXMACRO* defines, LPD3DXINCLUDE include, DWORD flags,
                                     LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors) {
  auto hostFunction = reinterpret_cast<CreateFromResource>(kEntry);
  return hostFunction(device, module, resource, defines, include, flags, pool, effect, errors);
}

}  // namespace sim
