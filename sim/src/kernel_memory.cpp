// VirtualProtect on real memory through mprotect. Linux cannot be asked for a
// page's protection directly, so the last protection set per page is kept,
// and pages never touched are looked up in /proc/self/maps.
#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>

#include "kernel_internal.h"
#include "sim/host_kernel.h"

namespace {

struct Memory {
  std::mutex lock;
  std::map<std::uintptr_t, DWORD> pageProtection;
  std::vector<std::pair<std::uintptr_t, std::size_t>> failRanges;
};

Memory& TheMemory() {
  static Memory memory;
  return memory;
}

std::uintptr_t PageSize() {
  return static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
}

int ToPosix(DWORD protect) {
  switch (protect & 0xFF) {
    case PAGE_NOACCESS:
      return PROT_NONE;
    case PAGE_READONLY:
      return PROT_READ;
    case PAGE_READWRITE:
      return PROT_READ | PROT_WRITE;
    case PAGE_EXECUTE:
      return PROT_EXEC;
    case PAGE_EXECUTE_READ:
      return PROT_READ | PROT_EXEC;
    case PAGE_EXECUTE_READWRITE:
      return PROT_READ | PROT_WRITE | PROT_EXEC;
    default:
      return -1;
  }
}

DWORD FromPosixFlags(bool r, bool w, bool x) {
  if (x) return w ? PAGE_EXECUTE_READWRITE : (r ? PAGE_EXECUTE_READ : PAGE_EXECUTE);
  if (w) return PAGE_READWRITE;
  return r ? PAGE_READONLY : PAGE_NOACCESS;
}

// Protection of an untracked page, from the process's memory map; 0 when unmapped.
DWORD ProtectionFromMaps(std::uintptr_t address) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    std::istringstream in(line);
    std::string range, perms;
    in >> range >> perms;
    auto dash = range.find('-');
    if (dash == std::string::npos || perms.size() < 3) continue;
    std::uintptr_t begin = std::stoull(range.substr(0, dash), nullptr, 16);
    std::uintptr_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
    if (address >= begin && address < end)
      return FromPosixFlags(perms[0] == 'r', perms[1] == 'w', perms[2] == 'x');
  }
  return 0;
}

DWORD ProtectionOfPage(Memory& m, std::uintptr_t page) {
  auto it = m.pageProtection.find(page);
  return it != m.pageProtection.end() ? it->second : ProtectionFromMaps(page);
}

}  // namespace

namespace sim {

void FailVirtualProtectIn(std::uintptr_t begin, std::size_t size) {
  Memory& m = TheMemory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.failRanges.emplace_back(begin, size);
}

void ClearVirtualProtectFailures() {
  Memory& m = TheMemory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.failRanges.clear();
}

DWORD QueryProtection(std::uintptr_t address) {
  Memory& m = TheMemory();
  std::lock_guard<std::mutex> guard(m.lock);
  return ProtectionOfPage(m, address & ~(PageSize() - 1));
}

void ForgetPage(std::uintptr_t page) {
  Memory& m = TheMemory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.pageProtection.erase(page & ~(PageSize() - 1));
}

void ResetMemory() {
  Memory& m = TheMemory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.failRanges.clear();
  m.pageProtection.clear();
}

}  // namespace sim

extern "C" BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect) {
  Memory& m = TheMemory();
  std::lock_guard<std::mutex> guard(m.lock);
  auto begin = reinterpret_cast<std::uintptr_t>(address);
  if (size == 0 || oldProtect == nullptr) return FALSE;
  for (const auto& range : m.failRanges) {
    if (begin < range.first + range.second && range.first < begin + size) return FALSE;
  }
  int posix = ToPosix(newProtect);
  if (posix < 0) return FALSE;
  std::uintptr_t first = begin & ~(PageSize() - 1);
  std::uintptr_t last = (begin + size - 1) & ~(PageSize() - 1);
  DWORD previous = ProtectionOfPage(m, first);
  if (previous == 0) return FALSE;  // not mapped
  if (mprotect(reinterpret_cast<void*>(first), last - first + PageSize(), posix) != 0) return FALSE;
  for (std::uintptr_t page = first; page <= last; page += PageSize()) m.pageProtection[page] = newProtect;
  *oldProtect = previous;
  return TRUE;
}

// One page at a time: enough for callers that ask about a single address.
extern "C" SIZE_T WINAPI VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T size) {
  if (info == nullptr || size < sizeof(MEMORY_BASIC_INFORMATION)) return 0;
  const std::uintptr_t page = reinterpret_cast<std::uintptr_t>(address) & ~(PageSize() - 1);
  const DWORD protection = sim::QueryProtection(page);
  *info = MEMORY_BASIC_INFORMATION{};
  info->BaseAddress = reinterpret_cast<LPVOID>(page);
  info->RegionSize = PageSize();
  info->State = protection != 0 ? MEM_COMMIT : MEM_FREE;
  info->Protect = protection;
  if (protection != 0) {
    info->AllocationBase = info->BaseAddress;
    info->AllocationProtect = protection;
  }
  return sizeof(MEMORY_BASIC_INFORMATION);
}
