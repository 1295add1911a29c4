// The simulated host's ANSI code page is Windows-1252, while Linux file names
// are UTF-8. Paths given to the simulated ...A functions are converted from
// the code page when they reach the file system, and file names read from a
// folder are converted back; a name the code page cannot hold has no ANSI form.
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "kernel_internal.h"
#include "sim/host_kernel.h"

namespace {

// Code points of the bytes 0x80..0x9F; 0 where Windows-1252 has no character.
constexpr char32_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `at`; false when it is malformed.
bool NextCodePoint(const std::string& text, std::size_t& at, char32_t& c) {
  auto byte = static_cast<unsigned char>(text[at++]);
  int extra = byte < 0x80           ? 0
              : (byte >> 5) == 0x6  ? 1
              : (byte >> 4) == 0xE  ? 2
              : (byte >> 3) == 0x1E ? 3
                                    : -1;
  if (extra < 0) return false;
  c = extra == 0 ? byte : byte & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (at >= text.size() || (static_cast<unsigned char>(text[at]) >> 6) != 0x2) return false;
    c = (c << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
  }
  return true;
}

bool ToAnsiByte(char32_t c, char& byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    byte = static_cast<char>(c);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == c) {
      byte = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

}  // namespace

namespace sim {

namespace {

// The host path as spelled: separators and code page converted, case as given.
std::string SpelledHostPath(const char* windowsPath) {
  std::string path;
  for (const char* p = windowsPath ? windowsPath : ""; *p != '\0'; ++p) {
    if (*p == '\\') {
      path += '/';
    } else {
      AppendUtf8(CodePointOf(static_cast<unsigned char>(*p)), path);
    }
  }
  return path;
}

}  // namespace

std::string HostPath(const char* windowsPath) {
  return MatchExistingCase(SpelledHostPath(windowsPath));
}

// One look at the file as spelled, as GetFileAttributesExA does; a name in
// another case is looked up only when that fails.
std::int64_t HostFileWriteTime(const char* windowsPath) {
  std::string path = SpelledHostPath(windowsPath);
  struct stat info;
  if (stat(path.c_str(), &info) != 0 && stat(MatchExistingCase(path).c_str(), &info) != 0) return 0;
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool HostNameToAnsi(const std::string& hostName, std::string& ansi) {
  std::string converted;
  for (std::size_t at = 0; at < hostName.size();) {
    char32_t c = 0;
    char byte = 0;
    if (!NextCodePoint(hostName, at, c) || !ToAnsiByte(c, byte)) return false;
    converted += byte;
  }
  ansi.swap(converted);
  return true;
}

}  // namespace sim
