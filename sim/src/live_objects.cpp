#include <array>
#include <deque>
#include <mutex>
#include <vector>

#include "d3d_com_object.h"

namespace sim {
namespace {

// Enough for any over-release a test provokes right after the final one.
constexpr std::size_t kKeptShells = 4096;
constexpr std::size_t kKinds = static_cast<std::size_t>(ObjectKind::StateBlock) + 1;

struct Counters {
  std::mutex lock;
  std::array<int, kKinds> live{};
  int overReleases = 0;
  // The most recent shells, oldest first; older ones are freed, so a long
  // session's memory stays flat. Never destroyed itself: shells may be
  // touched by releases during static teardown.
  std::deque<detail::Shell*>* shells = new std::deque<detail::Shell*>();
};

Counters& counters() {
  static Counters* instance = new Counters();
  return *instance;
}

}  // namespace

namespace detail {

void NoteCreated(ObjectKind kind) {
  std::lock_guard<std::mutex> guard(counters().lock);
  ++counters().live[static_cast<std::size_t>(kind)];
}

void NoteDestroyed(ObjectKind kind) {
  std::lock_guard<std::mutex> guard(counters().lock);
  --counters().live[static_cast<std::size_t>(kind)];
}

void NoteOverRelease() {
  std::lock_guard<std::mutex> guard(counters().lock);
  ++counters().overReleases;
}

void KeepShell(Shell* shell) {
  std::lock_guard<std::mutex> guard(counters().lock);
  try {
    counters().shells->push_back(shell);
    if (counters().shells->size() > kKeptShells) {
      delete counters().shells->front();
      counters().shells->pop_front();
    }
  } catch (...) {
    // Out of memory: the shell is simply not listed; it is never freed either way.
  }
}

}  // namespace detail

int LiveObjects() {
  std::lock_guard<std::mutex> guard(counters().lock);
  int total = 0;
  for (int n : counters().live) total += n;
  return total;
}

int LiveObjects(ObjectKind kind) {
  std::lock_guard<std::mutex> guard(counters().lock);
  return counters().live[static_cast<std::size_t>(kind)];
}

int OverReleases() {
  std::lock_guard<std::mutex> guard(counters().lock);
  return counters().overReleases;
}

void ResetOverReleases() {
  std::lock_guard<std::mutex> guard(counters().lock);
  counters().overReleases = 0;
}

ULONG RefCount(IUnknown* object) {
  if (!object) return 0;
  object->AddRef();
  return object->Release();
}

}  // namespace sim
