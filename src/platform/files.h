// File-system and console access. Paths are the plug-in's relative,
// backslash-separated Windows paths; on the simulated host they are mapped
// onto the current directory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// True for any existing entry, folder included; false when absent or when the
// entry cannot be examined.
bool PathExists(const std::string& path);

// The file's last modification time as an opaque count that changes with
// every write; 0 when the file is absent or cannot be examined.
std::int64_t FileWriteTime(const std::string& path);

// Reads the whole file as raw bytes. False when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::vector<char>& bytes);

struct FolderEntry {
  std::string path;            // folder text unchanged, then the file name (ANSI code page)
  std::string name;            // file name only (ANSI code page)
  bool isRegularFile = false;  // links followed
  // The entry's name has no ANSI form, or its type could not be read (a
  // broken link, say); name then shows the name with '?' for what is lost.
  bool unreadable = false;
};

// The folder's direct entries in the order the file system returns them.
// False when the folder cannot be listed, or the listing broke off; the
// entries read until then are kept.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// Opens the log file in text mode with "w" (created or emptied). Null on failure.
std::FILE* OpenLogFile(const std::string& path);

// Standard output reopened on the process's console ("CONOUT$").
void ReopenStdoutOnConsole();
void WriteToConsole(const char* text);
