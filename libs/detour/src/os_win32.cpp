// Windows: memory from VirtualAlloc, protection changes with VirtualProtect,
// and patches written while every other thread of the process is suspended.
#include <windows.h>
// tlhelp32.h needs the types of windows.h first.
#include <tlhelp32.h>

#include <cstring>
#include <new>
#include <vector>

#include "os.h"

namespace vantorix::detour::os {
namespace {

SRWLOCK registryLock = SRWLOCK_INIT;

bool isExecutableProtection(DWORD protection) {
  const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return (protection & executable) != 0 && (protection & PAGE_GUARD) == 0;
}

#if defined(_WIN64)
void* allocateAt(uintptr_t address, size_t size) {
  return VirtualAlloc(reinterpret_cast<void*>(address), size, MEM_RESERVE | MEM_COMMIT,
                      PAGE_EXECUTE_READWRITE);
}

// Walks the address space down from the target, then up, one allocation at
// a time, and takes the first free granule within reach.
void* allocateNearTarget(uintptr_t target, size_t size) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const uintptr_t granularity = info.dwAllocationGranularity;
  const uintptr_t minimum = reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress);
  const uintptr_t maximum = reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress);
  const uintptr_t lowest = target > minimum + kNearReach ? target - kNearReach : minimum;
  const uintptr_t highest = maximum - target > kNearReach ? target + kNearReach : maximum;
  MEMORY_BASIC_INFORMATION region;

  uintptr_t address = target / granularity * granularity;
  while (address >= lowest + granularity) {
    address -= granularity;
    if (VirtualQuery(reinterpret_cast<void*>(address), &region, sizeof region) == 0) break;
    if (region.State != MEM_FREE) {
      address = reinterpret_cast<uintptr_t>(region.AllocationBase) / granularity * granularity;
      continue;
    }
    if (void* block = allocateAt(address, size)) return block;
  }

  address = (target + granularity - 1) / granularity * granularity;
  while (address + size <= highest) {
    if (VirtualQuery(reinterpret_cast<void*>(address), &region, sizeof region) == 0) break;
    if (region.State == MEM_FREE) {
      if (void* block = allocateAt(address, size)) return block;
      address += granularity;
    } else {
      const uintptr_t end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
      address = (end + granularity - 1) / granularity * granularity;
    }
  }
  return nullptr;
}
#endif

// Ids of the other threads of this process; empty when they cannot be listed.
std::vector<DWORD> otherThreadIds() {
  std::vector<DWORD> ids;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  THREADENTRY32 entry;
  entry.dwSize = sizeof entry;
  const DWORD process = GetCurrentProcessId();
  const DWORD self = GetCurrentThreadId();
  try {
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID == process && entry.th32ThreadID != self)
        ids.push_back(entry.th32ThreadID);
      entry.dwSize = sizeof entry;
    }
  } catch (const std::bad_alloc&) {
    ids.clear();
  }
  CloseHandle(snapshot);
  return ids;
}

// A suspended thread standing on one of the moves' sources continues at its destination.
void moveInstructionPointer(HANDLE thread, const CodeWrite& write) {
  CONTEXT context;
  std::memset(&context, 0, sizeof context);
  context.ContextFlags = CONTEXT_FULL;
  if (!GetThreadContext(thread, &context)) return;
#if defined(_WIN64)
  DWORD64& ip = context.Rip;
#else
  DWORD& ip = context.Eip;
#endif
  for (size_t i = 0; i < write.moveCount; ++i) {
    if (ip != write.moves[i].from) continue;
    ip = write.moves[i].to;
    SetThreadContext(thread, &context);
    return;
  }
}

bool copyIntoCode(const CodeWrite& write) {
  DWORD previous = 0;
  if (!VirtualProtect(write.address, kPatchSize, PAGE_EXECUTE_READWRITE, &previous)) return false;
  std::memcpy(write.address, write.bytes, kPatchSize);
  VirtualProtect(write.address, kPatchSize, previous, &previous);
  flushInstructionCache(write.address, kPatchSize);
  return true;
}

}  // namespace

void* allocateNear(const void* target, size_t size) {
#if defined(_WIN64)
  return allocateNearTarget(reinterpret_cast<uintptr_t>(target), size);
#else
  (void)target;
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE);
#endif
}

void release(void* block, size_t) {
  VirtualFree(block, 0, MEM_RELEASE);
}

bool isExecutable(const void* address) {
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQuery(address, &region, sizeof region) == 0) return false;
  return region.State == MEM_COMMIT && isExecutableProtection(region.Protect);
}

void flushInstructionCache(void* address, size_t size) {
  FlushInstructionCache(GetCurrentProcess(), address, size);
}

void writeCode(CodeWrite* writes, size_t count) {
  // Everything that allocates happens before the first thread is suspended:
  // a suspended thread may hold the heap lock.
  const std::vector<DWORD> ids = otherThreadIds();
  std::vector<HANDLE> suspended;
  try {
    suspended.reserve(ids.size());
  } catch (const std::bad_alloc&) {
  }
  const DWORD access = THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT;
  for (const DWORD id : ids) {
    if (suspended.size() == suspended.capacity()) break;
    const HANDLE thread = OpenThread(access, FALSE, id);
    if (thread == nullptr) continue;
    if (SuspendThread(thread) == static_cast<DWORD>(-1)) {
      CloseHandle(thread);
      continue;
    }
    suspended.push_back(thread);
  }

  for (size_t i = 0; i < count; ++i) {
    for (const HANDLE thread : suspended) moveInstructionPointer(thread, writes[i]);
    writes[i].written = copyIntoCode(writes[i]);
  }

  for (const HANDLE thread : suspended) {
    ResumeThread(thread);
    CloseHandle(thread);
  }
}

void lockRegistry() {
  AcquireSRWLockExclusive(&registryLock);
}
void unlockRegistry() {
  ReleaseSRWLockExclusive(&registryLock);
}

}  // namespace vantorix::detour::os
