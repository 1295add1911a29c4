#include "platform/files.h"

#include <filesystem>
#include <fstream>
#include <new>

#ifdef _WIN32
#include "platform/win32.h"
#else
#include "sim/host_kernel.h"
#endif

namespace {

namespace fs = std::filesystem;

fs::path HostPath(const std::string& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  return fs::path(sim::HostPath(path.c_str()));
#endif
}

// The entry's file name in the ANSI code page, which the ...A functions take.
// False when the code page cannot represent it; `name` then shows it with '?'.
bool AnsiFileName(const fs::path& entry, std::string& name) {
#ifdef _WIN32
  // MinGW's narrow names are UTF-8, not the ANSI code page: convert from the wide name.
  const std::wstring wide = entry.filename().wstring();
  if (wide.empty()) {
    name.clear();
    return true;
  }
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(),
                                       static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  if (size <= 0) {
    name = "?";
    return false;
  }
  name.assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), static_cast<int>(wide.size()), &name[0],
                      size, "?", &lossy);
  return lossy == FALSE;
#else
  const std::string hostName = entry.filename().string();
  if (sim::HostNameToAnsi(hostName, name)) return true;
  name.clear();
  for (unsigned char c : hostName) {
    if (c < 0x80)
      name += static_cast<char>(c);
    else if ((c & 0xC0) != 0x80)
      name += '?';
  }
  return false;
#endif
}

}  // namespace

bool PathExists(const std::string& path) {
  std::error_code error;
  return fs::exists(HostPath(path), error) && !error;
}

std::int64_t FileWriteTime(const std::string& path) {
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
         data.ftLastWriteTime.dwLowDateTime;
#else
  return sim::HostFileWriteTime(path.c_str());
#endif
}

bool ReadFileBytes(const std::string& path, std::vector<char>& bytes) {
  try {
    std::error_code error;
    if (fs::is_directory(HostPath(path), error)) return false;  // folders cannot be opened as files
    std::ifstream in(HostPath(path), std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    std::vector<char> data(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(data.data(), size)) return false;
    bytes.swap(data);
    return true;
  } catch (...) {  // allocation or stream failure: treat as unreadable
    return false;
  }
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  try {
#ifndef _WIN32
    if (sim::FolderListingFails(folder)) return false;
#endif
    std::error_code error;
    fs::directory_iterator it(HostPath(folder), error);
    if (error) return false;
    for (; it != fs::directory_iterator(); it.increment(error)) {
      if (error) return false;
      FolderEntry entry;
      entry.unreadable = !AnsiFileName(it->path(), entry.name);
      entry.path = folder + entry.name;
      std::error_code typeError;
      entry.isRegularFile = it->is_regular_file(typeError);
      if (typeError) entry.unreadable = true;
      entries.push_back(std::move(entry));
    }
    return !error;
  } catch (...) {
    return false;
  }
}

std::FILE* OpenLogFile(const std::string& path) {
#ifdef _WIN32
  return std::fopen(path.c_str(), "w");
#else
  return std::fopen(sim::HostPath(path.c_str()).c_str(), "w");
#endif
}

void ReopenStdoutOnConsole() {
#ifdef _WIN32
  std::FILE* ignored = std::freopen("CONOUT$", "w", stdout);
  (void)ignored;
#else
  sim::ReopenStdoutOnConsole();
#endif
}

void WriteToConsole(const char* text) {
#ifdef _WIN32
  std::printf("%s", text);
#else
  sim::WriteConsole(text);
#endif
}
