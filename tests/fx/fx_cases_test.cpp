// Compiles every effect file in cases/ and compares what the compiler extracts
// with the "//!" lines written in the file; cases/README.md describes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fx/fx_model.h"

namespace {

namespace fs = std::filesystem;
using simfx::ParamClass;
using simfx::ParamType;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Serves includes from the cases folder ("\" in a name stands for "/"), logs
// every request and checks that each buffer comes back exactly once.
class CaseIncludes {
 public:
  std::vector<std::string> lines;

  simfx::IncludeResolver Resolver() {
    simfx::IncludeResolver resolver;
    resolver.open = [this](bool system, const std::string& name, const void*& data, std::uint32_t& bytes) {
      lines.push_back(system ? "include <" + name + ">" : "include \"" + name + "\"");
      std::string relative = name;
      for (char& c : relative)
        if (c == '\\') c = '/';
      const fs::path path = fs::path(FX_CASES_DIR) / relative;
      if (!fs::is_regular_file(path)) return false;
      const std::string text = ReadBytes(path);
      char* buffer = new char[text.size() + 1];
      std::memcpy(buffer, text.data(), text.size());
      live_.insert(buffer);
      data = buffer;
      bytes = static_cast<std::uint32_t>(text.size());
      return true;
    };
    resolver.close = [this](const void* data) {
      if (live_.erase(data) == 0) lines.push_back("include buffer closed twice");
      delete[] static_cast<const char*>(data);
    };
    return resolver;
  }

  ~CaseIncludes() {
    for (const void* data : live_) delete[] static_cast<const char*>(data);
  }
  bool AllReturned() const { return live_.empty(); }

 private:
  std::set<const void*> live_;
};

std::string Number(const simfx::Variable& v, std::size_t index) {
  char text[32];
  std::int32_t bits;
  std::memcpy(&bits, v.data.data() + 4 * index, 4);
  if (v.type != ParamType::Float) return std::to_string(bits);
  float value;
  std::memcpy(&value, &bits, 4);
  return std::string(text, std::to_chars(text, text + sizeof(text), value).ptr);
}

// The declaration that gives the variable's class, type and shape; "?" marks a
// combination that no declaration gives.
std::string TypeName(const simfx::Variable& v) {
  static const char* const kTypes[] = {"void",        "bool",        "int",       "float",     "string",
                                       "texture",     "texture1D",   "texture2D", "texture3D", "textureCUBE",
                                       "sampler",     "sampler1D",   "sampler2D", "sampler3D", "samplerCUBE",
                                       "pixelshader", "vertexshader"};
  const std::string name = kTypes[static_cast<int>(v.type)];
  const std::string size = std::to_string(v.rows) + "x" + std::to_string(v.columns);
  const bool object = v.type >= ParamType::Texture;
  const bool numeric = v.type >= ParamType::Bool && v.type <= ParamType::Float;
  if (v.cls == ParamClass::Scalar && (numeric || v.type == ParamType::String) && size == "1x1") return name;
  if (v.cls == ParamClass::Vector && numeric && v.rows == 1) return name + std::to_string(v.columns);
  if (v.cls == ParamClass::MatrixColumns && numeric) return name + size;
  if (v.cls == ParamClass::MatrixRows && numeric) return "row_major " + name + size;
  if (v.cls == ParamClass::Object && object) return name;
  if (v.cls == ParamClass::Struct && v.type == ParamType::Void) return "struct";
  return "?class" + std::to_string(static_cast<int>(v.cls)) + " " + name + size;
}

void Render(const simfx::Variable& v, const std::string& indent, std::vector<std::string>& out) {
  std::string line = indent;
  for (auto [set, word] : {std::pair{v.isShared, "shared "},
                           {v.isExtern, "extern "},
                           {v.isStatic, "static "},
                           {v.isUniform, "uniform "},
                           {v.isConst, "const "}})
    if (set) line += word;
  line += TypeName(v) + " " + v.name;
  if (v.elements > 0) line += "[" + std::to_string(v.elements) + "]";
  if (!v.semantic.empty()) line += " : " + v.semantic;
  const bool numeric = v.type >= ParamType::Bool && v.type <= ParamType::Float &&
                       v.cls != ParamClass::Struct && v.cls != ParamClass::Object;
  const std::size_t bytes = numeric ? 4u * v.rows * v.columns * std::max(1u, v.elements) : 0u;
  if (v.data.size() != bytes) line += " !" + std::to_string(v.data.size()) + " bytes";
  if (v.type == ParamType::String) line += " = \"" + v.stringValue + "\"";
  bool zero = true;
  for (std::uint8_t byte : v.data) zero = zero && byte == 0;
  for (std::size_t i = 0; !zero && i < v.data.size() / 4; ++i) line += (i == 0 ? " = " : ", ") + Number(v, i);
  out.push_back(line);
  for (const simfx::Variable& m : v.members) Render(m, indent + "  member ", out);
  for (const simfx::Variable& a : v.annotations) Render(a, indent + "  ", out);
}

std::vector<std::string> Render(const simfx::CompileResult& r, const std::vector<std::string>& includes) {
  std::vector<std::string> out{r.ok ? "ok" : "failed"};
  for (std::size_t at = 0, end; at < r.messages.size(); at = end + 1) {
    end = r.messages.find('\n', at);
    out.push_back(r.messages.substr(at, end - at));
  }
  out.insert(out.end(), includes.begin(), includes.end());
  for (const simfx::Variable& v : r.effect.parameters) Render(v, "", out);
  for (const simfx::Function& f : r.effect.functions) out.push_back("function " + f.name);
  for (const simfx::Technique& t : r.effect.techniques) {
    out.push_back(t.name.empty() ? "technique" : "technique " + t.name);
    for (const simfx::Variable& a : t.annotations) Render(a, "  ", out);
    for (const simfx::Pass& p : t.passes) {
      out.push_back(p.name.empty() ? "  pass" : "  pass " + p.name);
      for (const simfx::Variable& a : p.annotations) Render(a, "    ", out);
    }
  }
  return out;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
  return text;
}

// One compile: the file with the lines of other sections blanked and the ones after it left out.
struct Section {
  std::string source;
  std::vector<std::string> expected;
  std::vector<std::pair<std::string, std::string>> macros;
  bool eachPrefix = false;
};

std::vector<Section> ReadSections(const std::string& text) {
  std::vector<Section> sections(1);
  std::string blanked;
  for (std::size_t at = 0, end; at < text.size(); at = end) {
    end = std::min(text.find('\n', at), text.size() - 1) + 1;
    const std::string line = text.substr(at, end - at);
    if (line.rfind("//!---", 0) == 0) {
      blanked += "\n";
      sections.push_back({});
      sections.back().source = blanked;
      continue;
    }
    Section& s = sections.back();
    s.source += line;
    blanked += "\n";
    if (line.rfind("//!", 0) != 0) continue;
    std::string what = line.substr(line.size() > 3 && line[3] == ' ' ? 4 : 3);
    while (!what.empty() && std::isspace(static_cast<unsigned char>(what.back()))) what.pop_back();
    if (what == "each prefix") {
      s.eachPrefix = true;
    } else if (what.rfind("define ", 0) == 0) {
      const std::size_t space = what.find(' ', 7);
      s.macros.emplace_back(what.substr(7, space - 7),
                            space == std::string::npos ? "" : what.substr(space + 1));
    } else {
      s.expected.push_back(what);
    }
  }
  return sections;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(FX_CASES_DIR))
    if (entry.path().extension() == ".fx") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FxCase : public ::testing::TestWithParam<std::string> {};

TEST_P(FxCase, CompilesAsItsCommentsSay) {
  const std::string fileName = "FX\\" + GetParam() + ".fx";
  const std::vector<Section> sections =
      ReadSections(ReadBytes(fs::path(FX_CASES_DIR) / (GetParam() + ".fx")));
  for (const Section& s : sections) {
    SCOPED_TRACE(s.expected.empty() ? "a section without expectations" : s.expected.front());
    CaseIncludes includes;
    simfx::IncludeResolver resolver = includes.Resolver();
    const simfx::CompileResult r = simfx::Compile(s.source, fileName, s.macros, &resolver);
    EXPECT_EQ(Joined(Render(r, includes.lines)), Joined(s.expected));
    EXPECT_TRUE(includes.AllReturned());
    for (std::size_t length = 0; s.eachPrefix && length < s.source.size(); ++length) {
      const simfx::CompileResult cut = simfx::Compile(s.source.substr(0, length), fileName, {}, nullptr);
      EXPECT_TRUE(cut.ok || cut.messages.find(": error X") != std::string::npos) << length;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FxCase, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// Inputs too large to keep as files.
TEST(FxLimits, DeepNestingFailsWithAnError) {
  std::string deepIf;
  for (int i = 0; i < 5000; ++i) deepIf += "#if 1\n";
  for (const std::string& source :
       {"float a = " + std::string(100000, '('), "float A = " + std::string(100000, '{'), deepIf}) {
    const simfx::CompileResult r = simfx::Compile(source, "x.fx", {}, nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.messages.find(": error X"), std::string::npos) << r.messages;
  }
}

// The resolver is the caller's code: it may throw, lack callbacks or hand back no data.
TEST(FxLimits, ResolverFailuresFailTheCompileAndEmptyDataIsAnEmptyFile) {
  simfx::IncludeResolver throwing;
  throwing.open = [](bool, const std::string&, const void*&, std::uint32_t&) -> bool { throw 42; };
  simfx::CompileResult r = simfx::Compile("#include \"a.fxh\"\n", "x.fx", {}, &throwing);
  EXPECT_EQ(r.messages, "x.fx(1,1): error X1000: internal error while compiling\n");
  simfx::IncludeResolver empty;
  r = simfx::Compile("#include \"a.fxh\"\n", "x.fx", {}, &empty);
  EXPECT_EQ(r.messages, "x.fx(1,1): error X1507: failed to open source file: 'a.fxh'\n");

  int closes = 0;
  simfx::IncludeResolver nullData;
  nullData.open = [](bool, const std::string&, const void*& data, std::uint32_t& bytes) {
    data = nullptr;
    bytes = 0;
    return true;
  };
  nullData.close = [&closes](const void*) { ++closes; };
  r = simfx::Compile("#include \"a.fxh\"\nfloat A;\n", "x.fx", {}, &nullData);
  EXPECT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(closes, 1);
}

}  // namespace
