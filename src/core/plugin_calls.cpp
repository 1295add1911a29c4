#include "core/plugin_calls.h"

#include "core/log.h"
#include "platform/win32.h"

std::atomic<int> pluginCallsInside{0};
std::atomic<bool> pluginCallsAdmitted{false};

void AdmitPluginCalls() {
  pluginCallsAdmitted.store(true);
}

void StopAdmittingPluginCalls() {
  pluginCallsAdmitted.store(false);
}

void WaitForPluginCallsToLeave() {
  constexpr int kMostWaits = 5000;  // about five seconds of 1 ms sleeps
  for (int wait = 0; pluginCallsInside.load() != 0; ++wait) {
    if (wait == kMostWaits) {
      LogWarn("A game thread is still inside the plug-in at unload");
      return;
    }
    Sleep(wait < 100 ? 0 : 1);
  }
}
