// Linux: memory from mmap placed by reading /proc/self/maps, protection
// changes with mprotect, and jumps written in steps that a thread running the
// target never sees half done.
#include <fcntl.h>
#include <linux/membarrier.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <vector>

#include "os.h"

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0
#endif

namespace vantorix::detour::os {
namespace {

pthread_mutex_t registryMutex = PTHREAD_MUTEX_INITIALIZER;

constexpr int kReadWriteExecute = PROT_READ | PROT_WRITE | PROT_EXEC;
constexpr uintptr_t kLowestMappable = 0x10000;

struct Mapping {
  uintptr_t start = 0;
  uintptr_t end = 0;
  int protection = 0;
};

uintptr_t pageSize() {
  return static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
}

// Parses "start-end perms ..." at the head of a /proc/self/maps line.
bool parseMapping(const char* line, size_t length, Mapping& out) {
  size_t i = 0;
  auto hex = [&](uintptr_t& value) {
    value = 0;
    size_t digits = 0;
    for (; i < length; ++i, ++digits) {
      const char c = line[i];
      int nibble = -1;
      if (c >= '0' && c <= '9') nibble = c - '0';
      if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
      if (nibble < 0) break;
      value = value << 4 | static_cast<uintptr_t>(nibble);
    }
    return digits > 0;
  };
  if (!hex(out.start) || i >= length || line[i++] != '-' || !hex(out.end)) return false;
  if (i + 4 >= length || line[i] != ' ') return false;
  out.protection = (line[i + 1] == 'r' ? PROT_READ : 0) | (line[i + 2] == 'w' ? PROT_WRITE : 0) |
                   (line[i + 3] == 'x' ? PROT_EXEC : 0);
  return true;
}

// Reads /proc/self/maps one mapping at a time, so that a question answered
// by the first lines does not make the kernel write out the rest.
struct MapsReader {
  int fd = -1;
  char buffer[4096];
  size_t used = 0;       // bytes in buffer
  size_t scanned = 0;    // bytes searched for the end of the current line
  size_t lineStart = 0;  // where the current line begins
  bool skippingLongLine = false;
};

bool openMaps(MapsReader& reader) {
  reader.used = reader.scanned = reader.lineStart = 0;
  reader.skippingLongLine = false;
  reader.fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  return reader.fd >= 0;
}

void closeMaps(MapsReader& reader) {
  if (reader.fd >= 0) close(reader.fd);
  reader.fd = -1;
}

// The next mapping in address order; false at the end of the file.
bool nextMapping(MapsReader& r, Mapping& out) {
  for (;;) {
    for (; r.scanned < r.used; ++r.scanned) {
      if (r.buffer[r.scanned] != '\n') continue;
      const size_t start = r.lineStart;
      const size_t length = r.scanned - start;
      const bool skip = r.skippingLongLine;
      r.skippingLongLine = false;
      r.lineStart = ++r.scanned;
      if (!skip && parseMapping(r.buffer + start, length, out)) return true;
    }
    if (r.lineStart == 0 && r.used == sizeof r.buffer) {
      // A line longer than the buffer (a long path): its head is all we need.
      const bool skip = r.skippingLongLine;
      r.skippingLongLine = true;
      r.used = r.scanned = 0;
      if (!skip && parseMapping(r.buffer, sizeof r.buffer, out)) return true;
      continue;
    }
    std::memmove(r.buffer, r.buffer + r.lineStart, r.used - r.lineStart);
    r.used -= r.lineStart;
    r.scanned = r.used;
    r.lineStart = 0;
    const ssize_t n = read(r.fd, r.buffer + r.used, sizeof r.buffer - r.used);
    if (n <= 0) return false;
    r.used += static_cast<size_t>(n);
  }
}

// One reading of /proc/self/maps serves every question of one call into the
// library (each runs under the registry lock): a reading takes about as long
// as the rest of a hook's creation. The mappings read so far are kept, and
// the file is read further only when a question needs more. All of it is
// dropped when the call ends and when the library maps memory itself.
// Guarded by registryMutex.
struct MapsSnapshot {
  bool inCall = false;
  bool complete = false;
  MapsReader reader;  // open while more can be read
  std::vector<Mapping> mappings;
};
MapsSnapshot snapshot;

void forgetSnapshot() {
  closeMaps(snapshot.reader);
  snapshot.mappings.clear();
  snapshot.complete = false;
}

// Calls visit(mapping) for each mapping in address order until it returns
// false; inside a call, from the call's one reading. False when the file
// cannot be read.
template <typename Visit>
bool forEachMapping(Visit visit) {
  Mapping m;
  if (!snapshot.inCall) {
    MapsReader reader;
    if (!openMaps(reader)) return false;
    while (nextMapping(reader, m) && visit(m)) {
    }
    closeMaps(reader);
    return true;
  }
  for (size_t i = 0;;) {
    if (i < snapshot.mappings.size()) {
      if (!visit(snapshot.mappings[i++])) return true;
      continue;
    }
    if (snapshot.complete) return true;
    if (snapshot.reader.fd < 0 && (i > 0 || !openMaps(snapshot.reader))) return i > 0;
    if (!nextMapping(snapshot.reader, m)) {
      closeMaps(snapshot.reader);
      snapshot.complete = true;
      return true;
    }
    try {
      snapshot.mappings.push_back(m);
    } catch (const std::bad_alloc&) {
      // No room to keep it: this question reads on directly, the next one afresh.
      while (visit(m) && nextMapping(snapshot.reader, m)) {
      }
      forgetSnapshot();
      return true;
    }
  }
}

bool findMapping(uintptr_t address, Mapping& found) {
  bool hit = false;
  forEachMapping([&](const Mapping& m) {
    if (address >= m.start && address < m.end) {
      found = m;
      hit = true;
    }
    return !hit && m.start <= address;
  });
  return hit;
}

#if defined(__x86_64__)
uint64_t distance(uintptr_t a, uintptr_t b) {
  return a > b ? a - b : b - a;
}

// The free range of `size` bytes closest to `target`, all of it within reach.
uintptr_t nearestFreeRange(uintptr_t target, size_t size) {
  const uintptr_t page = pageSize();
  const uintptr_t lowest = target > kNearReach + kLowestMappable ? target - kNearReach : kLowestMappable;
  const uintptr_t highest = target + kNearReach;
  uintptr_t best = 0;
  auto consider = [&](uintptr_t gapStart, uintptr_t gapEnd) {
    gapStart = ((gapStart < lowest ? lowest : gapStart) + page - 1) & ~(page - 1);
    gapEnd = (gapEnd > highest ? highest : gapEnd) & ~(page - 1);
    if (gapEnd <= gapStart || gapEnd - gapStart < size) return;
    const uintptr_t closest =
        distance(gapStart, target) < distance(gapEnd - size, target) ? gapStart : gapEnd - size;
    if (best == 0 || distance(closest, target) < distance(best, target)) best = closest;
  };
  uintptr_t previousEnd = 0;
  forEachMapping([&](const Mapping& m) {
    consider(previousEnd, m.start);
    if (m.end > previousEnd) previousEnd = m.end;
    return m.start < highest;
  });
  consider(previousEnd, highest);
  return best;
}
#endif

void storeTwoBytes(uint8_t* address, const uint8_t* bytes) {
  // xchg with memory is locked: the two bytes change together even when
  // they straddle a cache line.
  uint16_t value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
  asm volatile("xchgw %0, (%1)" : "+r"(value) : "r"(address) : "memory");
}

// Makes every thread of the process execute a serialising instruction, so
// none keeps running code it fetched before the last store.
void synchronizeCores() {
  static const bool available =
      syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED_SYNC_CORE, 0) == 0;
  if (available) syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED_SYNC_CORE, 0);
}

// First a two-byte jump to itself parks any thread arriving at the target,
// then the tail is written behind it, then the head replaces the parking
// jump in one locked store. Threads are not suspended here, so a thread that
// has already run the target's first instruction but not yet left the
// overwritten bytes is not moved: this is sound for threads entering the
// target, and for targets whose first instruction covers the whole jump.
// Code pages have no ThreadSanitizer shadow, so these stores stay
// uninstrumented in a sanitised build.
__attribute__((no_sanitize_thread)) void writeInSteps(uint8_t* address, const uint8_t* bytes) {
  static const uint8_t kJumpToSelf[2] = {0xEB, 0xFE};
  storeTwoBytes(address, kJumpToSelf);
  synchronizeCores();
  for (size_t i = 2; i < kPatchSize; ++i) __atomic_store_n(address + i, bytes[i], __ATOMIC_RELAXED);
  synchronizeCores();
  storeTwoBytes(address, bytes);
  synchronizeCores();
}

bool writeOne(CodeWrite& w) {
  const uintptr_t page = pageSize();
  const uintptr_t first = reinterpret_cast<uintptr_t>(w.address) & ~(page - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(w.address) + kPatchSize - 1) & ~(page - 1);
  Mapping firstMapping;
  Mapping lastMapping;
  if (!findMapping(first, firstMapping)) return false;
  if (last != first && !findMapping(last, lastMapping)) return false;
  if (mprotect(reinterpret_cast<void*>(first), last + page - first, kReadWriteExecute) != 0) return false;
  writeInSteps(w.address, w.bytes);
  mprotect(reinterpret_cast<void*>(first), page, firstMapping.protection);
  if (last != first) mprotect(reinterpret_cast<void*>(last), page, lastMapping.protection);
  flushInstructionCache(w.address, kPatchSize);
  return true;
}

}  // namespace

void* allocateNear(const void* target, size_t size) {
#if defined(__x86_64__)
  for (int attempt = 0; attempt < 4; ++attempt) {
    const uintptr_t candidate = nearestFreeRange(reinterpret_cast<uintptr_t>(target), size);
    if (candidate == 0) return nullptr;
    void* block = mmap(reinterpret_cast<void*>(candidate), size, kReadWriteExecute,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    forgetSnapshot();  // the map changed, or another thread changed it
    if (block == reinterpret_cast<void*>(candidate)) return block;
    if (block != MAP_FAILED) munmap(block, size);  // taken meanwhile, or the hint was not honoured
  }
  return nullptr;
#else
  (void)target;
  void* block = mmap(nullptr, size, kReadWriteExecute, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  forgetSnapshot();
  return block == MAP_FAILED ? nullptr : block;
#endif
}

void release(void* block, size_t size) {
  munmap(block, size);
  forgetSnapshot();
}

bool isExecutable(const void* address) {
  Mapping mapping;
  return findMapping(reinterpret_cast<uintptr_t>(address), mapping) && (mapping.protection & PROT_EXEC) != 0;
}

void flushInstructionCache(void* address, size_t size) {
  char* begin = static_cast<char*>(address);
  __builtin___clear_cache(begin, begin + size);
}

void writeCode(CodeWrite* writes, size_t count) {
  for (size_t i = 0; i < count; ++i) writes[i].written = writeOne(writes[i]);
}

void lockRegistry() {
  pthread_mutex_lock(&registryMutex);
  snapshot.inCall = true;
}
void unlockRegistry() {
  snapshot.inCall = false;
  forgetSnapshot();
  pthread_mutex_unlock(&registryMutex);
}

}  // namespace vantorix::detour::os
