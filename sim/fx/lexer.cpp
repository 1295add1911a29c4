#include "fx/lexer.h"

#include <cstring>

#include "fx/diagnostics.h"

namespace simfx {

namespace {

// The source after joining continued lines, with the physical position of every character.
struct SplicedText {
  std::string chars;
  std::vector<int> lines;
  std::vector<int> columns;
};

SplicedText Splice(const std::string& text) {
  SplicedText out;
  out.chars.reserve(text.size());
  out.lines.reserve(text.size());
  out.columns.reserve(text.size());
  size_t i = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;  // UTF-8 byte order mark
  int line = 1;
  int column = 1;
  auto isLineEnd = [&](size_t at) { return at < text.size() && (text[at] == '\n' || text[at] == '\r'); };
  auto lineEndLength = [&](size_t at) {
    return (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ? size_t{2} : size_t{1};
  };
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\' && isLineEnd(i + 1)) {
      i += 1 + lineEndLength(i + 1);
      ++line;
      column = 1;
      continue;
    }
    if (c == '\r' || c == '\n') {
      out.chars.push_back('\n');
      out.lines.push_back(line);
      out.columns.push_back(column);
      i += lineEndLength(i);
      ++line;
      column = 1;
      continue;
    }
    out.chars.push_back(c);
    out.lines.push_back(line);
    out.columns.push_back(column);
    ++i;
    ++column;
  }
  out.lines.push_back(line);
  out.columns.push_back(column);
  return out;
}

const char* const kPunctuators[] = {
    "...", "<<=", ">>=", "##", "&&", "||", "==", "!=", "<=", ">=", "<<", ">>",
    "++",  "--",  "+=",  "-=", "*=", "/=", "%=", "&=", "|=", "^=", "->", "::"};

size_t PunctuatorLength(const std::string& s, size_t at) {
  for (const char* p : kPunctuators) {
    size_t n = std::strlen(p);
    if (s.compare(at, n, p) == 0) return n;
  }
  return 1;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsPunctChar(char c) {
  return c > 0x20 && c < 0x7f && !IsIdentifierChar(c) && c != '"';
}

}  // namespace

bool IsIdentifierStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsIdentifierChar(char c) {
  return IsIdentifierStart(c) || IsDigit(c);
}

std::vector<Token> LexSource(const std::string& text, int file) {
  SplicedText src = Splice(text);
  const std::string& s = src.chars;
  std::vector<Token> tokens;
  bool spaceBefore = false;
  size_t i = 0;
  auto emit = [&](TokenKind kind, size_t start, size_t end) {
    Token t;
    t.kind = kind;
    t.text = s.substr(start, end - start);
    t.pos = {file, src.lines[start], src.columns[start]};
    t.spaceBefore = spaceBefore;
    tokens.push_back(std::move(t));
    spaceBefore = false;
  };
  while (i < s.size()) {
    char c = s[i];
    if (IsSpace(c)) {
      spaceBefore = true;
      ++i;
    } else if (c == '\n') {
      emit(TokenKind::Newline, i, i + 1);
      ++i;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
      while (i < s.size() && s[i] != '\n') ++i;
      spaceBefore = true;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      size_t end = s.find("*/", i + 2);
      if (end == std::string::npos) {
        emit(TokenKind::Invalid, i, i + 2);
        i = s.size();
      } else {
        i = end + 2;
        spaceBefore = true;
      }
    } else if (IsIdentifierStart(c)) {
      size_t start = i;
      while (i < s.size() && IsIdentifierChar(s[i])) ++i;
      emit(TokenKind::Identifier, start, i);
    } else if (IsDigit(c) || (c == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
      size_t start = i;
      while (i < s.size()) {
        char d = s[i];
        if ((d == 'e' || d == 'E') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-') &&
            s.compare(start, 2, "0x") != 0 && s.compare(start, 2, "0X") != 0) {
          i += 2;
        } else if (IsIdentifierChar(d) || d == '.') {
          ++i;
        } else {
          break;
        }
      }
      emit(TokenKind::Number, start, i);
    } else if (c == '"') {
      size_t start = i++;
      bool closed = false;
      while (i < s.size() && s[i] != '\n') {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] != '\n') {
          i += 2;
        } else if (s[i++] == '"') {
          closed = true;
          break;
        }
      }
      emit(closed ? TokenKind::String : TokenKind::Invalid, start, i);
    } else if (IsPunctChar(c)) {
      size_t n = PunctuatorLength(s, i);
      emit(TokenKind::Punct, i, i + n);
      i += n;
    } else {
      emit(TokenKind::Invalid, i, i + 1);
      ++i;
    }
  }
  if (tokens.empty() || tokens.back().kind != TokenKind::Newline) {
    Token nl;
    nl.kind = TokenKind::Newline;
    nl.text = "\n";
    nl.pos = {file, src.lines.back(), src.columns.back()};
    tokens.push_back(nl);
  }
  Token end;
  end.kind = TokenKind::EndOfFile;
  end.pos = {file, src.lines.back(), src.columns.back()};
  tokens.push_back(end);
  return tokens;
}

std::string InvalidTokenMessage(const Token& token) {
  if (token.text.compare(0, 2, "/*") == 0) return "unexpected end of file in comment";
  if (!token.text.empty() && token.text[0] == '"') return "newline in string constant";
  return "syntax error: illegal character " + DescribeToken(token).substr(6);
}

std::string DecodeStringLiteral(const std::string& raw) {
  std::string out;
  size_t end = raw.size();
  if (end > 0 && raw[end - 1] == '"') --end;
  for (size_t i = raw.empty() || raw[0] != '"' ? 0 : 1; i < end; ++i) {
    char c = raw[i];
    if (c != '\\' || i + 1 >= end) {
      out += c;
      continue;
    }
    char e = raw[++i];
    switch (e) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '0':
        out += '\0';
        break;
      case 'a':
        out += '\a';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'v':
        out += '\v';
        break;
      default:
        out += e;
        break;  // \\, \", \' and unknown escapes stand for the character itself
    }
  }
  return out;
}

}  // namespace simfx
