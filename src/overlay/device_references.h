// What the plug-in's own objects hold on each of the game's devices: the
// overlay renderer, the user textures and the effects wrapped for the game.
// When the game's own references on a device are gone, everything the
// plug-in holds on it is released, so that the game's last Release destroys
// the device.
#pragma once

#include "platform/direct3d.h"

// Guards the count of the plug-in's references on each device; taken last,
// never held while another lock is taken.
extern CRITICAL_SECTION deviceReferencesLock;

// Marks the calls made on this thread as the plug-in's own while it lives:
// the device's Release detour passes them through untouched.
class OwnDeviceCalls {
 public:
  OwnDeviceCalls();
  ~OwnDeviceCalls();
  OwnDeviceCalls(const OwnDeviceCalls&) = delete;
  OwnDeviceCalls& operator=(const OwnDeviceCalls&) = delete;
};

// The same, and counts the references the device gains or loses meanwhile
// as the plug-in's own. Any thread may count, with or without other locks.
class PluginCallsOn : public OwnDeviceCalls {
 public:
  explicit PluginCallsOn(IDirect3DDevice9* device);
  ~PluginCallsOn();

 private:
  IDirect3DDevice9* device_;
  IDirect3DDevice9* outer_;
  ULONG before_;
};

// The detour on the device's Release (slot 2 of its table).
ULONG STDMETHODCALLTYPE DeviceReleaseHook(IDirect3DDevice9* device);

// At load: no device is known.
void ForgetDeviceReferences();
