#include "platform/files.h"

#include <filesystem>
#include <fstream>
#include <new>

#ifndef _WIN32
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

}  // namespace

bool PathExists(const std::string& path) {
  std::error_code error;
  return fs::exists(HostPath(path), error) && !error;
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
    std::error_code error;
    fs::directory_iterator it(HostPath(folder), error);
    if (error) return false;
    for (; it != fs::directory_iterator(); it.increment(error)) {
      if (error) return false;
      FolderEntry entry;
      entry.name = it->path().filename().string();
      entry.path = folder + entry.name;
      std::error_code typeError;
      entry.isRegularFile = it->is_regular_file(typeError) && !typeError;
      entries.push_back(std::move(entry));
    }
    return true;
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
