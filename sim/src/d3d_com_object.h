// Reference counting shared by every simulated COM object, tied to the
// live-object counter. An object whose count reaches zero drops what it
// holds and stays behind as an inert shell, so that a later Release or
// AddRef on it is counted as an over-release instead of touching freed memory
// (the most recent shells are kept; live_objects.cpp).
#pragma once

#include <atomic>

#include "sim/host_d3d.h"

namespace sim::detail {

void NoteCreated(ObjectKind kind);
void NoteDestroyed(ObjectKind kind);
void NoteOverRelease();

// Keeps released shells until the process ends.
class Shell {
 public:
  virtual ~Shell() = default;
};
void KeepShell(Shell* shell);

template <class Interface>
class ComObject : public Interface, public Shell {
 public:
  explicit ComObject(ObjectKind kind) : kind_(kind) { NoteCreated(kind); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (!object) return E_INVALIDARG;
    if (dead_) {
      NoteOverRelease();
      return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override {
    if (dead_) {
      NoteOverRelease();
      return 0;
    }
    return ++refs_;
  }

  ULONG STDMETHODCALLTYPE Release() override {
    if (dead_) {
      NoteOverRelease();
      return 0;
    }
    const ULONG left = --refs_;
    if (left == 0) {
      dead_ = true;
      OnFinalRelease();
      NoteDestroyed(kind_);
      KeepShell(this);
    }
    return left;
  }

  bool Alive() const { return !dead_; }

 protected:
  // Drops the references and data the object holds; runs once, when the
  // count reaches zero.
  virtual void OnFinalRelease() {}

 private:
  ObjectKind kind_;
  std::atomic<ULONG> refs_{1};
  std::atomic<bool> dead_{false};
};

// Releases a held interface and clears the pointer.
template <class T>
void SafeRelease(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

}  // namespace sim::detail
