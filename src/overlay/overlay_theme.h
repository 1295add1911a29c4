// The overlay's look: flat corners, a centred title and a purple scheme for
// frames, buttons and headers over Dear ImGui's dark colours.
#pragma once

// Writes the theme into the current context's style; every other style value
// keeps the library's default.
void ApplyOverlayTheme();
