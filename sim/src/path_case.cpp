// Windows finds "FX\noise_2d.fxh" when the file on disk is "FX/noise_2D.fxh":
// its file names compare without regard to case. Each part of a host path
// that does not exist as spelled is looked up in its folder without regard
// to case; parts with no match keep their spelling (a file about to be made).
#include <cctype>
#include <filesystem>
#include <string>

#include "kernel_internal.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

// Letters of the ASCII range only: the code page's other letters are rare in
// the game's file names and have no single folding rule in UTF-8 bytes.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The entry of `folder` named `part` without regard to case, else `part`.
std::string ExistingSpelling(const fs::path& folder, const std::string& part) {
  std::error_code error;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
  if (error) return part;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) return part;
    std::string name = it->path().filename().string();
    if (SameIgnoringCase(name, part)) return name;
  }
  return part;
}

}  // namespace

std::string MatchExistingCase(const std::string& hostPath) {
  std::error_code error;
  if (hostPath.empty() || fs::exists(hostPath, error)) return hostPath;
  fs::path matched;
  bool folderExists = true;
  std::size_t start = 0;
  while (start <= hostPath.size()) {
    std::size_t slash = hostPath.find('/', start);
    if (slash == std::string::npos) slash = hostPath.size();
    std::string part = hostPath.substr(start, slash - start);
    if (start == 0 && part.empty()) {
      matched = "/";
    } else if (!part.empty() && part != "." && part != "..") {
      if (folderExists && !fs::exists(matched / part, error)) part = ExistingSpelling(matched, part);
      matched /= part;
      folderExists = folderExists && fs::exists(matched, error);
    } else if (!part.empty()) {
      matched /= part;
    }
    if (slash == hostPath.size()) break;
    start = slash + 1;
  }
  // Keep the trailing separator of a folder path.
  std::string result = matched.string();
  if (hostPath.back() == '/' && (result.empty() || result.back() != '/')) result += '/';
  return result;
}

}  // namespace sim
