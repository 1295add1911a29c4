// The length decoder against binutils: every instruction objdump finds in
// real compiled code must decode to the same length.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "decoder.h"
#include "objdump_inputs.h"

namespace vantorix::detour {
namespace {

struct Comparison {
  size_t compared = 0;
  size_t mismatches = 0;
  std::string details;  // the first few mismatches, for the failure message
};

// Reads "  addr:\tbytes\tmnemonic operands" into the instruction bytes; false
// for headers, labels and lines objdump could not decode.
bool parseInstructionLine(const std::string& line, std::vector<uint8_t>& bytes) {
  const size_t firstTab = line.find('\t');
  if (firstTab == std::string::npos || firstTab == 0 || line[firstTab - 1] != ':') return false;
  const size_t secondTab = line.find('\t', firstTab + 1);
  if (secondTab == std::string::npos) return false;
  std::string text = line.substr(secondTab + 1);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.rfind("(bad)", 0) == 0 || text.rfind(".byte", 0) == 0) return false;
  // A prefix shown alone is data cut off by the next symbol, not an instruction.
  static const std::set<std::string> kLonePrefixes = {
      "cs", "ds", "es", "fs", "gs", "ss", "data16", "addr16", "addr32", "lock", "repz", "repnz", "rep"};
  if (kLonePrefixes.count(text) != 0) return false;
  bytes.clear();
  std::istringstream hex(line.substr(firstTab + 1, secondTab - firstTab - 1));
  for (unsigned byte = 0; hex >> std::hex >> byte;) bytes.push_back(static_cast<uint8_t>(byte));
  return !bytes.empty();
}

bool decodesAs(const std::vector<uint8_t>& bytes, CpuMode mode) {
  Instruction insn;
  if (!decodeInstruction(bytes.data(), bytes.size(), mode, insn)) return false;
  if (insn.length == bytes.size()) return true;
  // objdump shows wait (9B) and the x87 instruction after it as one "fstsw"
  // or "fstcw"; the processor runs them as two instructions.
  return bytes[0] == 0x9B && insn.length == 1 &&
         decodeInstruction(bytes.data() + 1, bytes.size() - 1, mode, insn) && insn.length == bytes.size() - 1;
}

void compareWithObjdump(const std::string& objdump, const std::string& file, CpuMode mode,
                        Comparison& result) {
  const std::string command = objdump + " -d -w --insn-width=16 '" + file + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr) << command;
  char* buffer = nullptr;
  size_t capacity = 0;
  std::vector<uint8_t> bytes;
  while (getline(&buffer, &capacity, pipe) > 0) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!parseInstructionLine(line, bytes)) continue;
    ++result.compared;
    if (decodesAs(bytes, mode)) continue;
    Instruction insn;
    const bool decoded = decodeInstruction(bytes.data(), bytes.size(), mode, insn);
    if (++result.mismatches <= 20)
      result.details +=
          file + ": " + line + "  => " + (decoded ? std::to_string(insn.length) : "undecodable") + "\n";
  }
  free(buffer);
  pclose(pipe);
}

// Every file with executable code mapped into this test: the program itself
// and the shared libraries it runs on.
std::vector<std::string> nativeBinaries() {
  std::ifstream maps("/proc/self/maps");
  std::set<std::string> files;
  std::string line;
  while (std::getline(maps, line)) {
    std::istringstream fields(line);
    std::string range, permissions, offset, device, inode, path;
    fields >> range >> permissions >> offset >> device >> inode >> path;
    if (permissions.size() == 4 && permissions[2] == 'x' && !path.empty() && path[0] == '/')
      files.insert(path);
  }
  return {files.begin(), files.end()};
}

void expectAgreement(const Comparison& result, const char* what) {
  ::testing::Test::RecordProperty("instructions_compared", static_cast<int>(result.compared));
  std::printf("[ objdump  ] %zu %s instructions compared, %zu mismatches\n", result.compared, what,
              result.mismatches);
  EXPECT_GT(result.compared, 10000u);
  EXPECT_EQ(result.mismatches, 0u) << result.details;
}

// The program's own code and its libraries, in the build's own mode.
TEST(DecoderAgainstObjdump, NativeBinaries) {
  const std::string objdump = kObjdump;
  if (objdump.empty()) GTEST_SKIP() << "objdump (binutils) was not found when configuring";
  const bool x64 = sizeof(void*) == 8;
  Comparison result;
  for (const std::string& file : nativeBinaries())
    compareWithObjdump(objdump, file, x64 ? CpuMode::X64 : CpuMode::X86, result);
  expectAgreement(result, x64 ? "x86-64" : "x86-32");
}

TEST(DecoderAgainstObjdump, X86MingwRuntime) {
  const std::string objdump = kMingwObjdump;
  if (objdump.empty() || kMingwRuntimeArchives[0] == nullptr)
    GTEST_SKIP() << "i686-w64-mingw32-objdump or the MinGW runtime archives were not found when configuring";
  Comparison result;
  for (const char* const* archive = kMingwRuntimeArchives; *archive != nullptr; ++archive)
    compareWithObjdump(objdump, *archive, CpuMode::X86, result);
  expectAgreement(result, "x86-32");
}

}  // namespace
}  // namespace vantorix::detour
