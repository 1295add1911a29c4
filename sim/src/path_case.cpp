// Windows finds "FX\noise_2d.fxh" when the file on disk is "FX/noise_2D.fxh":
// its file names compare without regard to case. Each part of a host path
// that does not exist as spelled is looked up in its folder without regard
// to case; parts with no match keep their spelling (a file about to be made).
// POSIX calls rather than std::filesystem: some of the library's calls end
// the program when an allocation fails, and tests make allocations fail.
#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <string>

#include "kernel_internal.h"

namespace sim {

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Letters of the ASCII range only: the code page's other letters are rare in
// the game's file names and have no single folding rule in UTF-8 bytes.
bool SameIgnoringCase(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] != '\0' && i < b.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return a[i] == '\0' && i == b.size();
}

// The entry of `folder` named `part` without regard to case, else `part`.
std::string ExistingSpelling(const std::string& folder, const std::string& part) {
  DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return part;
  std::string found = part;
  while (const dirent* entry = readdir(listing)) {
    if (SameIgnoringCase(entry->d_name, part)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(listing);
  return found;
}

}  // namespace

std::string MatchExistingCase(const std::string& hostPath) {
  if (hostPath.empty() || Exists(hostPath)) return hostPath;
  std::string matched;
  bool folderExists = true;
  std::size_t start = 0;
  for (;;) {
    std::size_t slash = hostPath.find('/', start);
    const bool last = slash == std::string::npos;
    if (last) slash = hostPath.size();
    std::string part = hostPath.substr(start, slash - start);
    if (folderExists && !part.empty() && part != "." && part != "..") {
      const std::string spelled = matched + part;
      if (Exists(spelled)) {
        matched = spelled;
      } else {
        matched += ExistingSpelling(matched, part);
        folderExists = Exists(matched);
      }
    } else {
      matched += part;
    }
    if (last) break;
    matched += '/';
    start = slash + 1;
  }
  return matched;
}

}  // namespace sim
