// The in-game overlay window.
#pragma once

// At detach, when the overlay was initialised: puts the host's window
// procedure back and shuts Dear ImGui down.
void ShutdownOverlay();
