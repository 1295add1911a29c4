#include "host_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/module_entry.h"
#include "effect/effect_proxy.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

namespace fs = std::filesystem;

void HostFixture::SetUp() {
  char buffer[4096];
  previousDir = getcwd(buffer, sizeof(buffer)) ? buffer : ".";
  std::string pattern = (fs::temp_directory_path() / "vantorix-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  ASSERT_NE(mkdtemp(name.data()), nullptr);
  workDir = name.data();
  ASSERT_EQ(chdir(workDir.c_str()), 0);
  sim::ResetKernel();
  ASSERT_TRUE(sim::InstallHostCode());
}

void HostFixture::TearDown() {
  if (attached) Detach();
  ReleaseHostObjects();
  EXPECT_EQ(sim::LiveObjects(), 0) << "every COM object is released by the end of the test";
  EXPECT_EQ(sim::OverReleases(), 0) << "no COM object is released more often than it was referenced";
  sim::ResetOverReleases();
  sim::ResetKernel();
  if (chdir(previousDir.c_str()) != 0) return;
  std::error_code error;
  fs::remove_all(workDir, error);
}

void HostFixture::WriteFile(const std::string& path, const std::string& content) {
  fs::path target = sim::HostPath(path.c_str());
  if (target.has_parent_path()) fs::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary);
  out << content;
}

std::string HostFixture::ReadFile(const std::string& path) const {
  std::ifstream in(sim::HostPath(path.c_str()), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool HostFixture::FileExists(const std::string& path) const {
  return fs::exists(sim::HostPath(path.c_str()));
}

void HostFixture::Attach() {
  DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
  attached = true;
}

void HostFixture::Detach() {
  DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
  attached = false;
}

void HostFixture::AttachWithLevel(int level, const std::string& moreSettings) {
  WriteFile("Sorvane.ini", "[Debug]\r\nEnableConsole=0\r\nLoggingLevel=" + std::to_string(level) +
                               "\r\nIncludeTimestamps=0\r\n" + moreSettings);
  Attach();
}

std::vector<std::string> HostFixture::LogLines(const std::string& path) const {
  std::vector<std::string> lines;
  std::ifstream in(sim::HostPath(path.c_str()), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::vector<std::string> HostFixture::DebuggerLines() const {
  std::vector<std::string> lines;
  for (std::string text : sim::DebuggerOutput()) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    lines.push_back(text);
  }
  return lines;
}

int HostFixture::CountLines(const std::string& text) const {
  int count = 0;
  for (const std::string& line : LogLines()) count += WithoutStamp(line) == text;
  return count;
}

float InnerFloat(EffectProxy* proxy, const char* name) {
  FLOAT value = -1;
  proxy->innerEffect->GetFloat(name, &value);
  return value;
}

float RecordedFloat(EffectProxy* proxy, const std::string& name) {
  float value = -1;
  std::memcpy(&value, proxy->recordedValues.at(name).data(), sizeof(value));
  return value;
}

const ShaderParam* Param(EffectProxy* proxy, const std::string& name) {
  for (const ShaderParam& param : proxy->parameters) {
    if (param.name == name) return &param;
  }
  return nullptr;
}

std::string WithoutStamp(const std::string& line) {
  static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}\] )");
  return std::regex_replace(line, stamp, "", std::regex_constants::format_first_only);
}

bool HasLine(const std::vector<std::string>& lines, const std::string& expected) {
  for (const auto& line : lines) {
    if (WithoutStamp(line) == expected) return true;
  }
  return false;
}

std::string LoggedAddress(std::uintptr_t address) {
  char text[32];
  std::snprintf(text, sizeof(text), "0x%0*llX", static_cast<int>(sizeof(void*) * 2),
                static_cast<unsigned long long>(address));
  return text;
}

std::uint32_t IndirectOperand(std::uintptr_t site, std::uintptr_t pointer) {
  return static_cast<std::uint32_t>(sizeof(void*) == 8 ? pointer - (site + 6) : pointer);
}
