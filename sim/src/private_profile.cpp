// Private-profile (INI) files with Windows' rules: case-insensitive section
// and key names, trimmed blanks, quoted values unquoted, ';' comments, first
// match wins, defaults for anything missing, CR LF lines when writing.
// As Windows keeps recently used profile files, a file read is kept parsed
// while its size and modification time stay the same.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sim/host_kernel.h"

namespace {

// Windows serialises profile reads and writes, so a reader on one thread never
// sees a file half written by another.
std::mutex profileLock;

std::string Trim(const std::string& text) {
  auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && isBlank(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::vector<std::string> ReadLines(const char* fileName, bool* exists) {
  std::vector<std::string> lines;
  std::ifstream in(sim::HostPath(fileName), std::ios::binary);
  *exists = static_cast<bool>(in);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A parsed view of one line.
struct Line {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed, still quoted
};

Line Parse(const std::string& raw) {
  Line line;
  std::string text = Trim(raw);
  if (text.empty() || text[0] == ';') return line;
  if (text[0] == '[') {
    std::size_t close = text.find(']');
    line.kind = Line::kSection;
    line.name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  std::size_t equals = text.find('=');
  line.kind = Line::kKey;
  line.name = Trim(text.substr(0, equals));
  line.value = equals == std::string::npos ? std::string() : Trim(text.substr(equals + 1));
  return line;
}

std::string Lowered(const char* name) {
  std::string lowered(name);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

// One file as read: its lines, and the value of every key of the first
// section of each name (the first key of a name in it), looked up by
// lower-cased names as SameName compares them.
struct ProfileFile {
  std::vector<std::string> lines;
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> values;

  explicit ProfileFile(std::vector<std::string> read) : lines(std::move(read)) {
    std::unordered_map<std::string, std::string>* section = nullptr;
    for (const auto& raw : lines) {
      Line line = Parse(raw);
      if (line.kind == Line::kSection) {
        auto entry = values.try_emplace(Lowered(line.name.c_str()));
        section = entry.second ? &entry.first->second : nullptr;  // a repeated section is not read
      } else if (section && line.kind == Line::kKey) {
        section->try_emplace(Lowered(line.name.c_str()), Unquote(line.value));
      }
    }
  }

  bool Find(const char* sectionName, const char* key, std::string* value) const {
    auto section = values.find(Lowered(sectionName));
    if (section == values.end()) return false;
    auto found = section->second.find(Lowered(key));
    if (found == section->second.end()) return false;
    *value = found->second;
    return true;
  }
};

// What tells one state of a file from another. A file changed within the
// file system's clock tick of being read could keep its size and time, so a
// file younger than kSettleTime when read is read again on every call.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec;
  }
};
constexpr long long kSettleTimeNs = 100'000'000;

bool StampOf(const std::string& path, FileStamp* stamp) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  *stamp = FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  return true;
}

bool Settled(const FileStamp& stamp) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const long long age = (static_cast<long long>(now.tv_sec) - stamp.modified.tv_sec) * 1'000'000'000LL +
                        (now.tv_nsec - stamp.modified.tv_nsec);
  return age >= kSettleTimeNs;
}

struct ProfileCache {
  std::mutex lock;
  std::map<std::pair<dev_t, ino_t>, std::pair<FileStamp, std::shared_ptr<const ProfileFile>>> files;
};

ProfileCache& TheCache() {
  static ProfileCache* cache = new ProfileCache();
  return *cache;
}

// The parsed file, from the cache while it is unchanged; an empty file when
// it cannot be read.
std::shared_ptr<const ProfileFile> ReadProfile(const char* fileName) {
  const std::string path = sim::HostPath(fileName);
  FileStamp stamp;
  if (!StampOf(path, &stamp)) return std::make_shared<const ProfileFile>(std::vector<std::string>());
  ProfileCache& cache = TheCache();
  const auto key = std::make_pair(stamp.device, stamp.inode);
  {
    std::lock_guard<std::mutex> guard(cache.lock);
    auto kept = cache.files.find(key);
    if (kept != cache.files.end() && kept->second.first == stamp) return kept->second.second;
  }
  bool exists = false;
  auto file = std::make_shared<const ProfileFile>(ReadLines(fileName, &exists));
  FileStamp after;
  std::lock_guard<std::mutex> guard(cache.lock);
  if (StampOf(path, &after) && after == stamp && Settled(stamp)) {
    cache.files[key] = std::make_pair(stamp, file);
  } else {
    cache.files.erase(key);
  }
  return file;
}

// After the simulation's own write the file is read afresh.
void ForgetProfile(const char* fileName) {
  FileStamp stamp;
  if (!StampOf(sim::HostPath(fileName), &stamp)) return;
  std::lock_guard<std::mutex> guard(TheCache().lock);
  TheCache().files.erase(std::make_pair(stamp.device, stamp.inode));
}

// Copies text into the caller's buffer, cut to size - 1; returns the count copied.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  DWORD count = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

// Lists names separated by NULs and closed by a second NUL, cut to the buffer.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size < 2) return 0;
  std::string joined;
  for (const auto& name : names) joined += name + '\0';
  if (joined.size() + 1 > size) {
    joined.resize(size - 2);
    joined += '\0';
    std::memcpy(buffer, joined.data(), joined.size());
    buffer[size - 1] = '\0';
    return size - 2;
  }
  std::memcpy(buffer, joined.data(), joined.size());
  buffer[joined.size()] = '\0';
  return static_cast<DWORD>(joined.size());
}

bool WriteLines(const char* fileName, const std::vector<std::string>& lines) {
  ForgetProfile(fileName);
  std::ofstream out(sim::HostPath(fileName), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const auto& line : lines) out << line << "\r\n";
  out.flush();
  return static_cast<bool>(out);
}

bool recordingReads = false;
std::vector<sim::ProfileRead> recordedReads;

void Record(LPCSTR fileName, LPCSTR section, LPCSTR key, std::string defaultValue, std::string value,
            bool found) {
  if (!recordingReads) return;
  recordedReads.push_back(
      {fileName ? fileName : "", section, key, std::move(defaultValue), std::move(value), found});
}

}  // namespace

void sim::RecordProfileReads(bool on) {
  std::lock_guard<std::mutex> guard(profileLock);
  recordingReads = on;
  if (on) recordedReads.clear();
}

std::vector<sim::ProfileRead> sim::ProfileReads() {
  std::lock_guard<std::mutex> guard(profileLock);
  return recordedReads;
}

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                      DWORD size, LPCSTR fileName) {
  std::lock_guard<std::mutex> guard(profileLock);
  std::shared_ptr<const ProfileFile> file = ReadProfile(fileName);
  if (section == nullptr || key == nullptr) {
    std::vector<std::string> names;
    bool inSection = false;
    for (const auto& raw : file->lines) {
      Line line = Parse(raw);
      if (line.kind == Line::kSection) {
        inSection = section != nullptr && SameName(line.name, section);
        if (section == nullptr) names.push_back(line.name);
      } else if (inSection && line.kind == Line::kKey) {
        names.push_back(line.name);
      }
    }
    return CopyList(names, buffer, size);
  }
  std::string value;
  const bool found = file->Find(section, key, &value);
  if (!found) value = Trim(defaultValue ? defaultValue : "");
  Record(fileName, section, key, defaultValue ? defaultValue : "", value, found);
  return CopyOut(value, buffer, size);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  std::lock_guard<std::mutex> guard(profileLock);
  std::shared_ptr<const ProfileFile> file = ReadProfile(fileName);
  std::string value;
  if (section == nullptr || key == nullptr) return static_cast<UINT>(defaultValue);
  if (!file->Find(section, key, &value)) {
    Record(fileName, section, key, std::to_string(defaultValue), std::to_string(defaultValue), false);
    return static_cast<UINT>(defaultValue);
  }
  // Optional sign and leading decimal digits, wrapping as a 32-bit unsigned value.
  std::size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  std::uint32_t result = 0;
  while (i < value.size() && std::isdigit(static_cast<unsigned char>(value[i]))) {
    result = result * 10u + static_cast<std::uint32_t>(value[i++] - '0');
  }
  result = negative ? 0u - result : result;
  Record(fileName, section, key, std::to_string(defaultValue), std::to_string(static_cast<INT>(result)),
         true);
  return result;
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  std::lock_guard<std::mutex> guard(profileLock);
  if (section == nullptr || fileName == nullptr) return FALSE;
  bool exists = false;
  std::vector<std::string> lines = ReadLines(fileName, &exists);

  // Locate the first section of that name: its header and its last non-blank line.
  std::size_t header = std::string::npos, lastInSection = 0, sectionEnd = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Line line = Parse(lines[i]);
    if (line.kind == Line::kSection) {
      if (header != std::string::npos) {
        sectionEnd = i;
        break;
      }
      if (SameName(line.name, section)) header = lastInSection = i;
    } else if (header != std::string::npos && !Trim(lines[i]).empty()) {
      lastInSection = i;
    }
  }

  if (header == std::string::npos) {
    if (key == nullptr || value == nullptr) return TRUE;  // nothing to delete
    lines.push_back(std::string("[") + section + "]");
    lines.push_back(std::string(key) + "=" + value);
    return WriteLines(fileName, lines) ? TRUE : FALSE;
  }

  if (key == nullptr) {  // delete the whole section
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd));
    return WriteLines(fileName, lines) ? TRUE : FALSE;
  }

  for (std::size_t i = header + 1; i < sectionEnd; ++i) {
    Line line = Parse(lines[i]);
    if (line.kind == Line::kKey && SameName(line.name, key)) {
      if (value == nullptr) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        lines[i] = std::string(key) + "=" + value;
      }
      return WriteLines(fileName, lines) ? TRUE : FALSE;
    }
  }
  if (value == nullptr) return TRUE;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastInSection + 1),
               std::string(key) + "=" + value);
  return WriteLines(fileName, lines) ? TRUE : FALSE;
}
}
