#include "fx/diagnostics.h"

namespace simfx {

int Diagnostics::AddFile(const std::string& display, const std::string& path) {
  files_.push_back({display, path});
  return static_cast<int>(files_.size()) - 1;
}

const std::string& Diagnostics::FilePath(int file) const {
  static const std::string kNone;
  if (file < 0 || static_cast<size_t>(file) >= files_.size()) return kNone;
  return files_[static_cast<size_t>(file)].path;
}

void Diagnostics::Error(const SourcePos& pos, const char* code, const std::string& text) {
  // Only the first error is reported: later ones are mostly consequences of it.
  if (failed_) return;
  failed_ = true;
  Add(pos, "error", code, text);
}

void Diagnostics::Warning(const SourcePos& pos, const char* code, const std::string& text) {
  Add(pos, "warning", code, text);
}

void Diagnostics::Add(const SourcePos& pos, const char* severity, const char* code, const std::string& text) {
  std::string file;
  if (pos.file >= 0 && static_cast<size_t>(pos.file) < files_.size())
    file = files_[static_cast<size_t>(pos.file)].display;
  messages_ += file + "(" + std::to_string(pos.line) + "," + std::to_string(pos.column) + "): " + severity +
               " " + code + ": " + text + "\n";
}

std::string DescribeToken(const Token& token) {
  if (token.kind == TokenKind::EndOfFile) return "end of file";
  std::string shown;
  for (char c : token.text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      static const char kHex[] = "0123456789abcdef";
      shown += "\\x";
      shown += kHex[u >> 4];
      shown += kHex[u & 15];
    } else {
      shown += c;
    }
  }
  return "token '" + shown + "'";
}

}  // namespace simfx
