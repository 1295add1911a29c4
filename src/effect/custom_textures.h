// User textures from the texture folders, bound to effect parameters by name:
// every ".dds" or ".png" file becomes a texture bound to the parameter named
// like the file without its extension.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/direct3d.h"

struct CustomTexture {
  std::string path;         // folder text, then the file name (ANSI code page)
  std::string uniformName;  // the file name without its extension, case kept
};

// The texture folder, then its LUT subfolder; loaded as 2D textures.
extern std::vector<CustomTexture> textures2D;
// The volume subfolder; loaded as volume textures.
extern std::vector<CustomTexture> textures3D;

// Set once InitializeCustomTextures has run to its end; never reset.
extern std::atomic<bool> customTexturesInitialized;

// Runs once, on the host's first effect creation, with the host's device:
// detects the screen size, scans the folders, loads them for the device,
// then installs the device hooks.
void InitializeCustomTextures(IDirect3DDevice9* device);
// For a creation on any thread and any device: the first one runs the above;
// a device seen for the first time later has the screen measured again and
// the textures loaded for it. Runs under liveShadersLock, so that a second
// thread creating an effect meanwhile waits instead of loading them again.
void PrepareDeviceOnce(IDirect3DDevice9* device);

// Releases the textures loaded for a device the game let go.
void ReleaseDeviceTextures(IDirect3DDevice9* device);

// Appends a record for every ".dds"/".png" file directly inside the folder.
void ScanTextureFolder(const std::string& folder, std::vector<CustomTexture>& list);

// Binds every texture loaded for the effect's device to it by its uniform name.
void BindCustomTextures(ID3DXEffect* effect);

// At detach: releases the live proxies and every custom texture.
void ReleaseCustomTextures();
