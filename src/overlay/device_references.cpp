#include "overlay/device_references.h"

#include <map>

#include "core/log.h"
#include "core/plugin_calls.h"
#include "effect/custom_textures.h"
#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "overlay/overlay.h"
#include "overlay/overlay_state.h"

CRITICAL_SECTION deviceReferencesLock;

namespace {

thread_local int ownCalls = 0;
thread_local IDirect3DDevice9* countedDevice = nullptr;  // the innermost counting scope's

// The creating threads, the render thread and a game thread that takes a
// reloaded effect in all change it. Its lock is taken last and held only
// for the map itself.
std::map<IDirect3DDevice9*, long> pluginReferences;

class ReferencesLocked {
 public:
  ReferencesLocked() { EnterCriticalSection(&deviceReferencesLock); }
  ~ReferencesLocked() { LeaveCriticalSection(&deviceReferencesLock); }
  ReferencesLocked(const ReferencesLocked&) = delete;
  ReferencesLocked& operator=(const ReferencesLocked&) = delete;
};

void ForgetDevice(IDirect3DDevice9* device) {
  ReferencesLocked locked;
  pluginReferences.erase(device);
}

ULONG References(IDirect3DDevice9* device) {
  device->AddRef();
  return device->Release();
}

// Only tries the lock: a game thread may release a device reference while
// it holds an effect's lock that the render thread, holding the list's lock,
// waits for. A device is let go by the game's last Release, which comes from
// the thread that draws, when nothing else holds the list.
bool HeldOnlyByPlugin(IDirect3DDevice9* device, ULONG left) {
  if (!TryEnterCriticalSection(&liveShadersLock)) return false;
  bool onlyPlugin;
  {
    ReferencesLocked locked;
    const auto found = pluginReferences.find(device);
    onlyPlugin = found != pluginReferences.end() && found->second == static_cast<long>(left);
  }
  LeaveCriticalSection(&liveShadersLock);
  return onlyPlugin;
}

// Takes the listed effects of the device out of the list, unless the game
// still holds one of them (then it still uses the device).
// Like HeldOnlyByPlugin, it only tries the list's lock.
bool TakeEffectsOf(IDirect3DDevice9* device, std::vector<EffectProxy*>& taken) {
  if (!TryEnterCriticalSection(&liveShadersLock)) return false;
  struct Leave {
    ~Leave() { LeaveCriticalSection(&liveShadersLock); }
  } leave;
  for (const LoadedShader& shader : liveShaders) {
    if (shader.device == device && shader.proxy && shader.proxy->refCount.load() > 1) return false;
  }
  for (auto it = liveShaders.begin(); it != liveShaders.end();) {
    if (it->device != device) {
      ++it;
      continue;
    }
    if (it->proxy) taken.push_back(it->proxy);
    it = liveShaders.erase(it);
  }
  anyLiveShader.store(!liveShaders.empty(), std::memory_order_relaxed);
  ForgetDevice(device);
  return true;
}

// The game let the device go: the overlay renderer, the user textures and
// the effects on it are released; the last of them destroys the device.
bool LetDeviceGo(IDirect3DDevice9* device) {
  std::vector<EffectProxy*> effects;
  if (!TakeEffectsOf(device, effects)) return false;
  OwnDeviceCalls own;
  ReleaseOverlayDevice(device);
  ReleaseDeviceTextures(device);
  for (EffectProxy* proxy : effects) proxy->Release();
  return true;
}

}  // namespace

OwnDeviceCalls::OwnDeviceCalls() {
  ++ownCalls;
}

OwnDeviceCalls::~OwnDeviceCalls() {
  --ownCalls;
}

// A scope inside another that counts on the same device counts nothing: its
// change is already part of the outer one's.
PluginCallsOn::PluginCallsOn(IDirect3DDevice9* device)
    : device_(device != countedDevice ? device : nullptr),
      outer_(countedDevice),
      before_(device_ ? References(device_) : 0) {
  if (device_) countedDevice = device_;
}

PluginCallsOn::~PluginCallsOn() {
  if (device_ == nullptr) return;
  countedDevice = outer_;
  const long change = static_cast<long>(References(device_)) - static_cast<long>(before_);
  if (change == 0) return;
  ReferencesLocked locked;
  try {
    pluginReferences[device_] += change;
  } catch (...) {
    // The device's references are not followed: the game's last Release
    // then leaves what the plug-in holds on it alive.
    LogError("Out of memory while counting the device's references");
  }
}

ULONG STDMETHODCALLTYPE DeviceReleaseHook(IDirect3DDevice9* device) {
  PluginCall call;
  const ULONG left = overlayState.releaseTrampoline(device);
  if (!call.Admitted() || ownCalls > 0) return left;
  if (left == 0) {
    ForgetDevice(device);
    ReleaseDeviceTextures(device);  // none loaded, but its address may come back
    return 0;
  }
  if (!HeldOnlyByPlugin(device, left)) return left;
  return LetDeviceGo(device) ? 0 : left;
}

void ForgetDeviceReferences() {
  pluginReferences.clear();
}
