// Where a proxy's effect came from and how the latest compile of its file
// went, for the overlay and for reloading the effect when its files change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file that went into the effect, with the modification time it had when
// it was compiled, and the time seen at the latest poll while it differs.
struct WatchedFile {
  std::string path;
  std::int64_t compiledTime = 0;
  std::int64_t seenTime = 0;
};

struct EffectSource {
  std::string path;                // the effect file the current effect was compiled from
  std::vector<WatchedFile> files;  // that file, then every file its compile included
  bool failed = false;             // the latest compile failed; the previous effect is kept
  std::string messages;            // what the compiler said about that failure
};
