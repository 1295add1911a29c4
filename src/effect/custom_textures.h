// User textures from the texture folders, bound to effect parameters by name:
// every ".dds" or ".png" file becomes a texture bound to the parameter named
// like the file without its extension.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/direct3d.h"

struct CustomTexture {
  std::string path;                          // folder text, then the file name (ANSI code page)
  std::string uniformName;                   // the file name without its extension, case kept
  IDirect3DBaseTexture9* texture = nullptr;  // owned; null until loaded or when loading failed
};

// The texture folder, then its LUT subfolder; loaded as 2D textures.
extern std::vector<CustomTexture> textures2D;
// The volume subfolder; loaded as volume textures.
extern std::vector<CustomTexture> textures3D;

// Set once InitializeCustomTextures has run to its end; never reset. Threads
// that create effects read it without a lock; it publishes the textures and
// the screen metrics, so it is stored with release and loaded with acquire.
extern std::atomic<bool> customTexturesInitialized;

// Runs once, on the host's first effect creation, with the host's device:
// detects the screen size, scans and loads the folders, then installs the
// device hooks.
void InitializeCustomTextures(IDirect3DDevice9* device);
// The same for a creation on any thread: the first one runs it under
// liveShadersLock, so that a second thread creating an effect meanwhile waits
// for the textures instead of loading them again.
void InitializeCustomTexturesOnce(IDirect3DDevice9* device);

// Appends a record for every ".dds"/".png" file directly inside the folder.
void ScanTextureFolder(const std::string& folder, std::vector<CustomTexture>& list);

// Binds every loaded texture to the effect by its uniform name.
void BindCustomTextures(ID3DXEffect* effect);

// At detach: releases the live proxies and every custom texture.
void ReleaseCustomTextures();
