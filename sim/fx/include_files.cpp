#include "fx/include_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "src/kernel_internal.h"

namespace simfx {

namespace {

// Names compare without regard to case, as on Windows.
bool ReadFile(const std::string& spelled, std::string& text) {
  const std::string path = sim::MatchExistingCase(spelled);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool IsAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

// Returns the resolver's buffer exactly once, whatever happens while it is copied.
class ResolverBuffer {
 public:
  ResolverBuffer(const IncludeResolver& resolver, const void* data) : resolver_(resolver), data_(data) {}
  ResolverBuffer(const ResolverBuffer&) = delete;
  ResolverBuffer& operator=(const ResolverBuffer&) = delete;
  ~ResolverBuffer() {
    try {
      if (resolver_.close) resolver_.close(data_);
    } catch (...) {
      // A failing close must not escape a destructor.
    }
  }

 private:
  const IncludeResolver& resolver_;
  const void* data_;
};

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ToHostSeparators(const std::string& path) {
  constexpr char kHostSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
  std::string out = path;
  for (char& c : out)
    if (c == '/' || c == '\\') c = kHostSeparator;
  return out;
}

bool LoadInclude(const IncludeResolver* resolver, bool system, const std::string& name,
                 const std::string& includingPath, IncludeSource& out) {
  if (resolver) {
    if (!resolver->open) return false;
    const void* data = nullptr;
    std::uint32_t bytes = 0;
    if (!resolver->open(system, name, data, bytes)) return false;
    ResolverBuffer release(*resolver, data);
    if (data && bytes > 0) out.text.assign(static_cast<const char*>(data), bytes);
    out.path = name;
    return true;
  }
  if (!IsAbsolute(name)) {
    std::string besideParent = ToHostSeparators(FolderOf(includingPath) + name);
    if (ReadFile(besideParent, out.text)) {
      out.path = besideParent;
      return true;
    }
  }
  std::string asNamed = ToHostSeparators(name);
  if (ReadFile(asNamed, out.text)) {
    out.path = asNamed;
    return true;
  }
  return false;
}

}  // namespace simfx
