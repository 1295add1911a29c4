// User textures from the texture folders, bound to effect parameters by name.
#pragma once

// At detach: releases the live proxies and every custom texture.
void ReleaseCustomTextures();
