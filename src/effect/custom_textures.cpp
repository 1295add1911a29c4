#include "effect/custom_textures.h"

#include <cctype>

#include "core/config.h"
#include "core/log.h"
#include "core/scoped_timer.h"
#include "effect/screen_metrics.h"
#include "hook/live_shaders.h"
#include "overlay/device_hooks.h"
#include "platform/files.h"

std::vector<CustomTexture> textures2D;
std::vector<CustomTexture> textures3D;
std::atomic<bool> customTexturesInitialized{false};

namespace {

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
void LoadTexture(TextureLoader<Texture> load, const char* kind, IDirect3DDevice9* device,
                 CustomTexture& record) {
  Texture* texture = nullptr;
  const HRESULT hr = load(device, record.path.c_str(), &texture);
  if (FAILED(hr)) {
    LogError("Failed to load %s texture: %s (HRESULT: %X)", kind, record.path.c_str(),
             static_cast<unsigned>(hr));
    return;
  }
  record.texture = texture;
}

void ReleaseTextures(std::vector<CustomTexture>& list) {
  for (CustomTexture& record : list) {
    if (record.texture != nullptr) record.texture->Release();
    record.texture = nullptr;
  }
  list.clear();
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
      list.push_back(CustomTexture{entry.path, entry.name.substr(0, ExtensionDot(entry.name)), nullptr});
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
  for (CustomTexture& record : textures2D)
    LoadTexture<IDirect3DTexture9>(&D3DXCreateTextureFromFileA, "2D", device, record);
  for (CustomTexture& record : textures3D)
    LoadTexture<IDirect3DVolumeTexture9>(&D3DXCreateVolumeTextureFromFileA, "3D", device, record);
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

void InitializeCustomTexturesOnce(IDirect3DDevice9* device) {
  if (customTexturesInitialized.load(std::memory_order_acquire)) return;
  EnterCriticalSection(&liveShadersLock);
  InitializeCustomTextures(device);
  LeaveCriticalSection(&liveShadersLock);
}

void BindCustomTextures(ID3DXEffect* effect) {
  for (const std::vector<CustomTexture>* list : {&textures2D, &textures3D}) {
    for (const CustomTexture& record : *list) {
      if (record.texture == nullptr) continue;
      const HRESULT hr = effect->SetTexture(record.uniformName.c_str(), record.texture);
      if (FAILED(hr)) {
        LogError("SetTexture '%s' failed! (HRESULT: %X)", record.uniformName.c_str(),
                 static_cast<unsigned>(hr));
      }
    }
  }
}

void ReleaseCustomTextures() {
  ScopedTimer timer("ReleaseCustomTextures");
  ReleaseLiveShaders();
  ReleaseTextures(textures2D);
  ReleaseTextures(textures3D);
}
