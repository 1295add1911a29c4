#include "overlay/file_watch.h"

#include <string>
#include <utility>
#include <vector>

#include "core/config.h"
#include "core/log.h"
#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "overlay/hot_reload.h"
#include "platform/files.h"

namespace {

constexpr DWORD kPollInterval = 500;  // milliseconds

bool clockStarted = false;
DWORD nextPoll = 0;

// Polls follow a fixed 500 ms grid, so that frame lengths do not stretch the
// interval; after a stall the grid starts again from now.
bool PollDue() {
  const DWORD now = GetTickCount();
  if (!clockStarted) {
    clockStarted = true;
    nextPoll = now;
  }
  if (static_cast<LONG>(now - nextPoll) < 0) return false;
  nextPoll += kPollInterval;
  if (static_cast<LONG>(now - nextPoll) >= 0) nextPoll = now + kPollInterval;
  return true;
}

// Each distinct file is examined once per poll, however many effects include it.
using PollTimes = std::vector<std::pair<const std::string*, std::int64_t>>;

std::int64_t TimeThisPoll(const std::string& path, PollTimes& times) {
  for (const auto& known : times) {
    if (*known.first == path) return known.second;
  }
  const std::int64_t time = FileWriteTime(path);
  times.emplace_back(&path, time);
  return time;
}

// Takes each file's present time; true when some file differs from what was
// compiled and every file held its time since the previous poll (a missing
// file never holds: it may be between the steps of a save).
bool ChangedAndSettled(EffectSource& source, PollTimes& times) {
  bool changed = false;
  bool settled = true;
  for (WatchedFile& file : source.files) {
    const std::int64_t time = TimeThisPoll(file.path, times);
    settled = settled && time == file.seenTime && time != 0;
    changed = changed || time != file.compiledTime;
    file.seenTime = time;
  }
  return changed && settled;
}

}  // namespace

// The frame never waits for the list: while another thread holds it (a
// loader creating an effect), the poll moves to the next frame.
void WatchEffectFiles(IDirect3DDevice9* device) {
  if (loaderConfig.WatchFiles == 0 || !anyLiveShader.load(std::memory_order_relaxed) || !PollDue()) return;
  if (!TryEnterCriticalSection(&liveShadersLock)) {
    nextPoll = GetTickCount();
    return;
  }
  std::vector<EffectProxy*> changed;
  try {
    PollTimes times;
    for (const LoadedShader& shader : liveShaders) {
      if (shader.proxy != nullptr && ChangedAndSettled(shader.proxy->source, times))
        changed.push_back(shader.proxy);
    }
  } catch (...) {
    LogError("Out of memory while watching the effect files");
    changed.clear();  // the next poll tries again
  }
  LeaveCriticalSection(&liveShadersLock);
  if (!changed.empty()) ReloadShaders(device, changed);
}

void ResetFileWatch() {
  clockStarted = false;
  nextPoll = 0;
}
