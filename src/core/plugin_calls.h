// The calls through which the game's threads enter the plug-in (the window
// procedure, the device hooks, effect creation). Detach stops admitting new
// ones and waits for those still inside before it takes down what they use:
// the overlay's context and the locks.
#pragma once

#include <atomic>

extern std::atomic<int> pluginCallsInside;
extern std::atomic<bool> pluginCallsAdmitted;

// Counts the calling thread as inside for its lifetime. A call made once
// detach has begun is not admitted: it must touch nothing of the plug-in's
// and only pass the game's call on.
class PluginCall {
 public:
  PluginCall() : admitted(false) {
    pluginCallsInside.fetch_add(1);
    admitted = pluginCallsAdmitted.load();
  }
  ~PluginCall() { pluginCallsInside.fetch_sub(1); }
  PluginCall(const PluginCall&) = delete;
  PluginCall& operator=(const PluginCall&) = delete;

  bool Admitted() const { return admitted; }

 private:
  bool admitted;
};

void AdmitPluginCalls();
void StopAdmittingPluginCalls();
// Returns once no thread is inside a PluginCall, or after a few seconds
// (with a WARN line) when one stays inside.
void WaitForPluginCallsToLeave();
