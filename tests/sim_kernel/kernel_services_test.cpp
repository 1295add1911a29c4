// Critical sections of the simulated kernel: recursive for their owner, closed to other threads.
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

}  // namespace
