// Critical sections, the clock and memory protection of the simulated kernel.
#include <sys/mman.h>

#include <atomic>
#include <thread>

#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

class KernelServicesTest : public HostFixture {};

TEST_F(KernelServicesTest, CriticalSectionIsRecursiveForItsOwner) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));
  std::atomic<int> otherGot{-1};
  std::thread other([&] {
    otherGot = TryEnterCriticalSection(&cs);
    if (otherGot) LeaveCriticalSection(&cs);
  });
  other.join();
  EXPECT_EQ(otherGot, FALSE);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  std::thread after([&] {
    otherGot = TryEnterCriticalSection(&cs);
    if (otherGot) LeaveCriticalSection(&cs);
  });
  after.join();
  EXPECT_EQ(otherGot, TRUE);
  DeleteCriticalSection(&cs);
}

TEST_F(KernelServicesTest, ClockMovesOnlyWhenAdvanced) {
  SYSTEMTIME t{};
  t.wYear = 2026;
  t.wMonth = 12;
  t.wDay = 31;
  t.wHour = 23;
  t.wMinute = 59;
  t.wSecond = 59;
  t.wMilliseconds = 900;
  sim::SetClock(0xFFFFFF00u, t);
  sim::AdvanceClock(0x200);
  EXPECT_EQ(GetTickCount(), 0x100u);  // wraps like the real counter
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2027);
  EXPECT_EQ(now.wMonth, 1);
  EXPECT_EQ(now.wDay, 1);
  EXPECT_EQ(now.wMilliseconds, (900 + 0x200) % 1000);
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  sim::AdvanceClock(5);
  QueryPerformanceCounter(&b);
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  EXPECT_EQ((b.QuadPart - a.QuadPart) * 1000 / f.QuadPart, 5);
}

TEST_F(KernelServicesTest, VirtualProtectChangesAndReportsProtection) {
  void* page = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  auto address = reinterpret_cast<std::uintptr_t>(page);
  EXPECT_EQ(sim::QueryProtection(address), static_cast<DWORD>(PAGE_READONLY));
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(page, 1, PAGE_EXECUTE_READWRITE, &old));
  EXPECT_EQ(old, static_cast<DWORD>(PAGE_READONLY));
  static_cast<char*>(page)[0] = 1;  // writable now
  ASSERT_TRUE(VirtualProtect(page, 1, old, &old));
  EXPECT_EQ(sim::QueryProtection(address), static_cast<DWORD>(PAGE_READONLY));
  sim::FailVirtualProtectIn(address, 16);
  EXPECT_FALSE(VirtualProtect(page, 1, PAGE_EXECUTE_READWRITE, &old));
  munmap(page, 4096);
}

}  // namespace
