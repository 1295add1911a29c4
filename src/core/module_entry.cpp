#include "core/module_entry.h"

#include "core/config.h"
#include "core/log.h"
#include "core/plugin_calls.h"
#include "effect/custom_textures.h"
#include "effect/screen_metrics.h"
#include "hook/call_site.h"
#include "hook/live_shaders.h"
#include "overlay/device_hooks.h"
#include "overlay/device_references.h"
#include "overlay/file_watch.h"
#include "overlay/hot_reload.h"
#include "overlay/overlay.h"
#include "overlay/overlay_state.h"
#include "platform/files.h"

DWORD startTick = 0;

namespace {

// A loader that attaches twice, or detaches without attaching, must not get
// a second log, console or lock, nor a lock deleted that was never made.
bool attached = false;

// A library loaded again into the same process starts from scratch.
void ResetModuleState() {
  ResetOverlayState();
  ResetFileWatch();
  lastReloadSummary = ReloadSummary{};
  screenMetrics = ScreenMetrics{};
  customTexturesInitialized.store(false, std::memory_order_relaxed);
}

void Attach() {
  if (attached) return;
  attached = true;
  ResetModuleState();
  LoadConfig();
  startTick = GetTickCount();
  if (loaderConfig.EnableConsole != 0) {
    AllocConsole();
    ReopenStdoutOnConsole();
    LogInfo("Velocade Vantorix Loader + KORVALINE UI Initialized!");
    LogInfo("Vantorix version %s", VANTORIX_VERSION);
    LogInfo("Config: LoggingLevel=%d, LogToFile=%d, IncludeTimestamps=%d",
            static_cast<int>(loaderConfig.LoggingLevel), loaderConfig.LogToFile,
            loaderConfig.IncludeTimestamps);
  }
  InitializeCriticalSection(&liveShadersLock);
  InitializeCriticalSection(&overlayLock);
  InitializeCriticalSection(&deviceReferencesLock);
  InitializeHookingLibrary();
  AdmitPluginCalls();
  LogInfo("Setting hooks...");
  RedirectHostCallSite();
}

// Undoes, in reverse, what the other parts set up on the host's window,
// device and code, then releases everything the system still holds.
void Detach() {
  if (!attached) return;
  attached = false;
  // Game threads may be in the window procedure, a device hook or an effect
  // creation right now: those inside finish first, later ones pass through.
  StopAdmittingPluginCalls();
  WaitForPluginCallsToLeave();
  ShutdownOverlay();
  RemoveDeviceHooks();
  CloseLogFile();
  ReleaseCustomTextures();
  WaitForPluginCallsToLeave();
  DeleteCriticalSection(&deviceReferencesLock);
  DeleteCriticalSection(&overlayLock);
  DeleteCriticalSection(&liveShadersLock);
  if (loaderConfig.EnableConsole != 0) FreeConsole();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Attach();
  if (reason == DLL_PROCESS_DETACH) Detach();
  return TRUE;
}
