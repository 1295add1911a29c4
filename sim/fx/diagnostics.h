// Collects the compiler's error and warning lines and the table of source files they refer to.
#pragma once

#include <string>
#include <vector>

#include "fx/token.h"

namespace simfx {

// Message codes used by the compiler.
namespace code {
constexpr const char* kSyntax = "X3000";
constexpr const char* kRedefinition = "X3003";
constexpr const char* kUndeclared = "X3004";
constexpr const char* kConversion = "X3017";
constexpr const char* kTruncation = "X3206";
constexpr const char* kUnterminated = "X1004";
constexpr const char* kPreprocessor = "X1021";
constexpr const char* kConditional = "X1020";
constexpr const char* kMacro = "X1510";
constexpr const char* kUserError = "X1501";
constexpr const char* kIncludeDepth = "X1504";
constexpr const char* kIncludeOpen = "X1507";
constexpr const char* kPragmaMessage = "X1519";
constexpr const char* kLimit = "X1000";
}  // namespace code

class Diagnostics {
 public:
  // Registers a source file; `display` is what messages print, `path` is used to find its includes.
  int AddFile(const std::string& display, const std::string& path);
  const std::string& FilePath(int file) const;

  void Error(const SourcePos& pos, const char* code, const std::string& text);
  void Warning(const SourcePos& pos, const char* code, const std::string& text);

  bool Failed() const { return failed_; }
  const std::string& Messages() const { return messages_; }

 private:
  void Add(const SourcePos& pos, const char* severity, const char* code, const std::string& text);

  struct File {
    std::string display;
    std::string path;
  };
  std::vector<File> files_;
  std::string messages_;
  bool failed_ = false;
};

// "token 'x'" or "end of file", as "unexpected ..." messages show a token.
std::string DescribeToken(const Token& token);

}  // namespace simfx
