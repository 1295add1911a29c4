#include "effect/custom_textures.h"

#include <cctype>

#include "core/config.h"
#include "core/log.h"
#include "core/scoped_timer.h"
#include "effect/engine_uniforms.h"
#include "effect/screen_metrics.h"
#include "hook/live_shaders.h"
#include "overlay/device_hooks.h"
#include "platform/files.h"

std::vector<CustomTexture> textures2D;
std::vector<CustomTexture> textures3D;
std::atomic<bool> customTexturesInitialized{false};

namespace {

// The textures of textures2D then textures3D, loaded for one device; null
// where loading failed. Guarded by liveShadersLock.
struct DeviceTextures {
  IDirect3DDevice9* device;
  std::vector<IDirect3DBaseTexture9*> textures;
};
std::vector<DeviceTextures> deviceTextures;
// The device of the latest creation, for a lock-free test that it is known.
std::atomic<IDirect3DDevice9*> preparedDevice{nullptr};

DeviceTextures* TexturesOf(IDirect3DDevice9* device) {
  for (DeviceTextures& loaded : deviceTextures) {
    if (loaded.device == device) return &loaded;
  }
  return nullptr;
}

// Position of the extension's dot, or npos: "." and "..", and a name whose
// only dot is its first character, have no extension.
std::size_t ExtensionDot(const std::string& name) {
  if (name == "." || name == "..") return std::string::npos;
  const std::size_t dot = name.rfind('.');
  return dot == 0 ? std::string::npos : dot;
}

bool IsTextureFile(const std::string& name) {
  const std::size_t dot = ExtensionDot(name);
  if (dot == std::string::npos) return false;
  std::string extension = name.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".dds" || extension == ".png";
}

void LogRecords(const char* kind, const std::vector<CustomTexture>& list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    LogDebug("[%s %zu] %s -> uniform '%s'", kind, i, list[i].path.c_str(), list[i].uniformName.c_str());
  }
}

template <typename Texture>
using TextureLoader = HRESULT(WINAPI*)(LPDIRECT3DDEVICE9 device, LPCSTR path, Texture** texture);

// A file D3DX cannot load keeps its record, with no texture, and is never bound.
template <typename Texture>
IDirect3DBaseTexture9* LoadTexture(TextureLoader<Texture> load, const char* kind, IDirect3DDevice9* device,
                                   const CustomTexture& record) {
  Texture* texture = nullptr;
  const HRESULT hr = load(device, record.path.c_str(), &texture);
  if (FAILED(hr)) {
    LogError("Failed to load %s texture: %s (HRESULT: %X)", kind, record.path.c_str(),
             static_cast<unsigned>(hr));
    return nullptr;
  }
  return texture;
}

void ReleaseTextures(DeviceTextures& loaded) {
  for (IDirect3DBaseTexture9*& texture : loaded.textures) {
    if (texture != nullptr) texture->Release();
    texture = nullptr;
  }
}

// Loads every listed file for the device; the device gains an entry first,
// so that running out of memory midway keeps what was loaded.
void LoadFor(IDirect3DDevice9* device) {
  deviceTextures.push_back(DeviceTextures{device, {}});
  std::vector<IDirect3DBaseTexture9*>& textures = deviceTextures.back().textures;
  textures.reserve(textures2D.size() + textures3D.size());
  for (const CustomTexture& record : textures2D)
    textures.push_back(LoadTexture<IDirect3DTexture9>(&D3DXCreateTextureFromFileA, "2D", device, record));
  for (const CustomTexture& record : textures3D)
    textures.push_back(
        LoadTexture<IDirect3DVolumeTexture9>(&D3DXCreateVolumeTextureFromFileA, "3D", device, record));
}

}  // namespace

void ScanTextureFolder(const std::string& folder, std::vector<CustomTexture>& list) {
  if (!PathExists(folder)) return;
  std::vector<FolderEntry> entries;
  const bool listed = ListFolder(folder, entries);
  if (!listed) LogError("Cannot list the texture folder: %s", folder.c_str());
  try {
    for (const FolderEntry& entry : entries) {
      if (entry.unreadable) {
        LogError("Cannot read the texture folder entry: %s", entry.path.c_str());
        continue;
      }
      if (!entry.isRegularFile || !IsTextureFile(entry.name)) continue;
      list.push_back(CustomTexture{entry.path, entry.name.substr(0, ExtensionDot(entry.name))});
    }
  } catch (...) {
    LogError("Out of memory while listing the texture folder: %s", folder.c_str());
  }
}

namespace {

void ScanAndLoad(IDirect3DDevice9* device) {
  const std::string& folder = loaderConfig.TexturePath;
  ScanTextureFolder(folder, textures2D);
  ScanTextureFolder(folder + loaderConfig.LUTsSubdir, textures2D);
  ScanTextureFolder(folder + loaderConfig.VolumesSubdir, textures3D);
  LogInfo("Found %zu 2D textures and %zu 3D/Volume textures.", textures2D.size(), textures3D.size());
  LogRecords("2D", textures2D);
  LogRecords("3D", textures3D);
  LoadFor(device);
}

// A device seen after the first: the game recreated its device, so the
// screen is measured again and the textures are loaded for it.
void PrepareAnotherDevice(IDirect3DDevice9* device) {
  ScopedTimer timer("InitializeCustomTextures");
  DetectScreenMetrics(device);
  ApplyScreenMetricsToLiveEffects();
  try {
    LoadFor(device);
  } catch (...) {
    LogError("Out of memory while loading the custom textures");
  }
  LogInfo("Custom texture loading complete.");
}

}  // namespace

// Running out of memory while scanning or loading keeps the textures loaded
// until then; the device hooks are installed all the same.
void InitializeCustomTextures(IDirect3DDevice9* device) {
  ScopedTimer timer("InitializeCustomTextures");
  if (customTexturesInitialized.load(std::memory_order_acquire)) return;
  DetectScreenMetrics(device);
  try {
    ScanAndLoad(device);
  } catch (...) {
    LogError("Out of memory while loading the custom textures");
  }
  LogInfo("Custom texture loading complete.");
  customTexturesInitialized.store(true, std::memory_order_release);
  InstallDeviceHooks(device);
}

void PrepareDeviceOnce(IDirect3DDevice9* device) {
  if (preparedDevice.load(std::memory_order_acquire) == device) return;
  LiveShadersLocked locked;
  if (!customTexturesInitialized.load(std::memory_order_acquire)) {
    InitializeCustomTextures(device);
  } else if (TexturesOf(device) == nullptr) {
    PrepareAnotherDevice(device);
  }
  preparedDevice.store(device, std::memory_order_release);
}

void ReleaseDeviceTextures(IDirect3DDevice9* device) {
  LiveShadersLocked locked;
  for (auto it = deviceTextures.begin(); it != deviceTextures.end(); ++it) {
    if (it->device != device) continue;
    ReleaseTextures(*it);
    deviceTextures.erase(it);
    break;
  }
  IDirect3DDevice9* expected = device;
  preparedDevice.compare_exchange_strong(expected, nullptr);
}

// An effect on a device that has no textures loaded gets none.
void BindCustomTextures(ID3DXEffect* effect) {
  IDirect3DDevice9* device = nullptr;
  if (FAILED(effect->GetDevice(&device)) || device == nullptr) return;
  device->Release();  // the effect keeps the device alive
  LiveShadersLocked locked;
  const DeviceTextures* loaded = TexturesOf(device);
  if (loaded == nullptr) return;
  const std::size_t count = textures2D.size() + textures3D.size();
  for (std::size_t i = 0; i < count && i < loaded->textures.size(); ++i) {
    IDirect3DBaseTexture9* texture = loaded->textures[i];
    if (texture == nullptr) continue;
    const std::string& name =
        i < textures2D.size() ? textures2D[i].uniformName : textures3D[i - textures2D.size()].uniformName;
    const HRESULT hr = effect->SetTexture(name.c_str(), texture);
    if (FAILED(hr))
      LogError("SetTexture '%s' failed! (HRESULT: %X)", name.c_str(), static_cast<unsigned>(hr));
  }
}

void ReleaseCustomTextures() {
  ScopedTimer timer("ReleaseCustomTextures");
  ReleaseLiveShaders();
  LiveShadersLocked locked;
  for (DeviceTextures& loaded : deviceTextures) ReleaseTextures(loaded);
  deviceTextures.clear();
  textures2D.clear();
  textures3D.clear();
  preparedDevice.store(nullptr, std::memory_order_relaxed);
}
