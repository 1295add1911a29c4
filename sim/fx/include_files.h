// Finds the text of an #include: through the caller's resolver, or from disk next to the including file.
#pragma once

#include <string>

#include "fx/fx_model.h"

namespace simfx {

// Folder part of a path, with its trailing separator ("" when the path has none).
std::string FolderOf(const std::string& path);

// `path` with '/' and '\' turned into the separator of the host's file system.
std::string ToHostSeparators(const std::string& path);

struct IncludeSource {
  std::string text;
  std::string path;  // where the file was found; the folder used for its own includes
};

// Loads `name`. With a resolver, its buffer is copied and handed back through `close` right away.
// Without one, the file is read relative to `includingPath`'s folder, then as named.
// File names on disk compare without regard to case, as on Windows.
bool LoadInclude(const IncludeResolver* resolver, bool system, const std::string& name,
                 const std::string& includingPath, IncludeSource& out);

}  // namespace simfx
