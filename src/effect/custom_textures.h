// User textures from the texture folders, bound to effect parameters by name.
#pragma once

#include "platform/direct3d.h"

// Set once InitializeCustomTextures has run to its end; never reset.
extern bool customTexturesInitialized;

// Runs once, on the host's first effect creation, with the host's device.
void InitializeCustomTextures(IDirect3DDevice9* device);

// At detach: releases the live proxies and every custom texture.
void ReleaseCustomTextures();
