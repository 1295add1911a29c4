// A temporary working folder that plays the game's folder, and helpers to
// load and unload the plug-in the way the process loader does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  // Detaches when still attached, lets the derived fixture release what the
  // host holds (ReleaseHostObjects), then checks that every simulated COM
  // object was released exactly once.
  void TearDown() override;
  virtual void ReleaseHostObjects() {}

  // Writes a file under the working folder, creating its folders; the path
  // may use backslashes as the game's paths do.
  void WriteFile(const std::string& path, const std::string& content);
  std::string ReadFile(const std::string& path) const;
  bool FileExists(const std::string& path) const;

  void Attach();
  void Detach();
  // Attaches with the console off, no timestamps, the given log level and
  // more loader settings ("[Section]\r\nKey=Value\r\n") when given.
  void AttachWithLevel(int level, const std::string& moreSettings = "");

  // Lines of the log file, without their newlines.
  std::vector<std::string> LogLines(const std::string& path = "Tessaly.log") const;
  // Every debugger output line, without its newline.
  std::vector<std::string> DebuggerLines() const;
  // Log lines that, stamp removed, equal the text.
  int CountLines(const std::string& text) const;

  std::string workDir;

 private:
  std::string previousDir;
  bool attached = false;
};

class EffectProxy;
struct ShaderParam;
// A float of the proxy's current effect; -1 when it has none of that name.
float InnerFloat(EffectProxy* proxy, const char* name);
// The float value the proxy recorded for a parameter.
float RecordedFloat(EffectProxy* proxy, const std::string& name);
// The panel's model of a parameter, or null.
const ShaderParam* Param(EffectProxy* proxy, const std::string& name);

// The bytes of a value, as the proxy records them.
template <typename T>
std::vector<std::uint8_t> BytesOf(const T& value) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
  return std::vector<std::uint8_t>(bytes, bytes + sizeof(T));
}

// An address as log lines write it: as many digits as the build's pointers.
std::string LoggedAddress(std::uintptr_t address);

// The operand of FF 15 / FF 25 at `site` that names the pointer at `pointer`:
// relative to the next instruction on x86-64, the absolute address on x86.
std::uint32_t IndirectOperand(std::uintptr_t site, std::uintptr_t pointer);

// Strips the "[YYYY-MM-DD hh:mm:ss.mmm] " stamp from a log line when present.
std::string WithoutStamp(const std::string& line);

// True when some line, stamp removed, equals the expected text.
bool HasLine(const std::vector<std::string>& lines, const std::string& expected);
