// Folders whose listing fails: Linux tests run as root, where no permission
// keeps a folder from being read, so the failure is set up by name instead.
#include <mutex>
#include <set>

#include "kernel_internal.h"
#include "sim/host_kernel.h"

namespace {

struct Folders {
  std::mutex lock;
  std::set<std::string> failing;
};

Folders& TheFolders() {
  static Folders folders;
  return folders;
}

}  // namespace

namespace sim {

void FailFolderListing(const std::string& windowsFolder) {
  Folders& f = TheFolders();
  std::lock_guard<std::mutex> guard(f.lock);
  f.failing.insert(HostPath(windowsFolder.c_str()));
}

bool FolderListingFails(const std::string& windowsFolder) {
  Folders& f = TheFolders();
  std::lock_guard<std::mutex> guard(f.lock);
  return f.failing.count(HostPath(windowsFolder.c_str())) != 0;
}

void ResetFolders() {
  Folders& f = TheFolders();
  std::lock_guard<std::mutex> guard(f.lock);
  f.failing.clear();
}

}  // namespace sim
