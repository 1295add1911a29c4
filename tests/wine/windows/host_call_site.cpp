// The executable is linked at 0x400000 without relocations, and this array
// in .bss is large enough to span 0x70AAA8: Wine's process heap reserves that
// region, so it cannot be allocated at run time.
#include "host_call_site.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

alignas(4096) unsigned char hostImage[0x600000];

#if defined(_WIN64)
// sub rsp, 0x58; the five stack arguments copied down into the new frame;
// call rel32; add rsp, 0x58; ret. The callee sees the caller's nine
// arguments exactly as a direct call would pass them.
constexpr std::size_t kFrame = 0x58;
constexpr std::size_t kCallOffset = 4 + 5 * 13;

std::vector<unsigned char> FunctionBytes(std::int32_t displacement) {
  std::vector<unsigned char> code = {0x48, 0x83, 0xEC, kFrame};
  for (unsigned char i = 0; i < 5; ++i) {
    const std::uint32_t from = kFrame + 0x28 + 8 * i;  // the caller's fifth argument onwards
    code.insert(code.end(), {0x48, 0x8B, 0x84, 0x24});
    for (int b = 0; b < 4; ++b) code.push_back(static_cast<unsigned char>(from >> (8 * b)));
    code.insert(code.end(), {0x48, 0x89, 0x44, 0x24, static_cast<unsigned char>(0x20 + 8 * i)});
  }
  code.push_back(0xE8);
  for (int b = 0; b < 4; ++b) code.push_back(static_cast<unsigned char>(displacement >> (8 * b)));
  code.insert(code.end(), {0x48, 0x83, 0xC4, kFrame, 0xC3});
  return code;
}

// Unwind data for the function (allocates kFrame bytes in a 4-byte prologue),
// so that exceptions raised below it can walk past it.
struct UnwindData {
  unsigned char header[4] = {0x01, 4, 1, 0};
  unsigned char codes[4] = {4, static_cast<unsigned char>(((kFrame / 8 - 1) << 4) | 2), 0, 0};
};

void RegisterUnwindData(std::uintptr_t begin, std::uintptr_t start, std::size_t size) {
  auto* unwind = reinterpret_cast<UnwindData*>(kHostCallSite + 0x40);
  *unwind = UnwindData{};
  static RUNTIME_FUNCTION function;
  function.BeginAddress = static_cast<DWORD>(start - begin);
  function.EndAddress = static_cast<DWORD>(start + size - begin);
  function.UnwindData = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(unwind) - begin);
  RtlAddFunctionTable(&function, 1, begin);
}
#else
// __stdcall: nine pushes of [esp+0x24] copy the caller's arguments down, from
// the last to the first; call rel32; ret 0x24 pops the caller's arguments.
constexpr std::size_t kCallOffset = 9 * 4;

std::vector<unsigned char> FunctionBytes(std::int32_t displacement) {
  std::vector<unsigned char> code;
  for (int i = 0; i < 9; ++i) code.insert(code.end(), {0xFF, 0x74, 0x24, 0x24});
  code.push_back(0xE8);
  for (int b = 0; b < 4; ++b) code.push_back(static_cast<unsigned char>(displacement >> (8 * b)));
  code.insert(code.end(), {0xC2, 0x24, 0x00});
  return code;
}

// x86 code unwinds through the frame chain: nothing to register.
void RegisterUnwindData(std::uintptr_t, std::uintptr_t, std::size_t) {}
#endif

}  // namespace

CreateEffectFromResource BuildHostCallSite() {
  const auto begin = reinterpret_cast<std::uintptr_t>(hostImage);
  const std::uintptr_t start = kHostCallSite - kCallOffset;
  if (start < begin || kHostCallSite + 0x100 > begin + sizeof(hostImage)) {
    std::printf("the image array spans 0x%llX-0x%llX, not 0x%llX\n", static_cast<unsigned long long>(begin),
                static_cast<unsigned long long>(begin + sizeof(hostImage)),
                static_cast<unsigned long long>(kHostCallSite));
    return nullptr;
  }
  const auto import = reinterpret_cast<std::uintptr_t>(&D3DXCreateEffectFromResourceA);
  const auto distance = static_cast<long long>(import) - static_cast<long long>(kHostCallSite + 5);
  if (distance < INT32_MIN || distance > INT32_MAX) {
    std::printf("the import at 0x%llX is out of rel32 reach\n", static_cast<unsigned long long>(import));
    return nullptr;
  }
  const std::vector<unsigned char> code = FunctionBytes(static_cast<std::int32_t>(distance));
  std::memcpy(reinterpret_cast<void*>(start), code.data(), code.size());
  RegisterUnwindData(begin, start, code.size());
  DWORD old = 0;
  VirtualProtect(reinterpret_cast<void*>(start & ~std::uintptr_t{0xFFF}), 0x2000, PAGE_EXECUTE_READ, &old);
  FlushInstructionCache(GetCurrentProcess(), reinterpret_cast<void*>(start), code.size());
  return reinterpret_cast<CreateEffectFromResource>(start);
}

std::uintptr_t HostCallDestination() {
  std::int32_t displacement = 0;
  std::memcpy(&displacement, reinterpret_cast<const void*>(kHostCallSite + 1), sizeof(displacement));
  return kHostCallSite + 5 + static_cast<std::intptr_t>(displacement);
}
