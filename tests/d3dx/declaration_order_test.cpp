// The simulated interfaces against the MinGW-w64 DirectX headers, read at
// run time: the same methods in the same order, because callers reach them
// through vtable slots.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Declaration {
  std::string base;
  std::vector<std::string> methods;
};
using Declarations = std::map<std::string, Declaration>;

std::string ReadWithoutComments(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  static const std::regex comments(R"(/\*[\s\S]*?\*/|//[^\n]*)");
  return std::regex_replace(text.str(), comments, " ");
}

// Every DECLARE_INTERFACE(Name) / DECLARE_INTERFACE_(Name, Base) block with
// the names of its STDMETHOD and STDMETHOD_ entries in order.
Declarations ParseInterfaces(const std::string& text) {
  Declarations found;
  static const std::regex header(R"(DECLARE_INTERFACE_?\s*\(\s*(\w+)\s*(?:,\s*(\w+)\s*)?\)\s*\{)");
  static const std::regex method(R"(STDMETHOD_?\s*\(\s*(?:[^,()]+,\s*)?(\w+)\s*\))");
  for (std::sregex_iterator it(text.begin(), text.end(), header), end; it != end; ++it) {
    std::size_t at = it->position(0) + it->length(0);
    std::size_t close = at;
    for (int depth = 1; close < text.size() && depth > 0; ++close) {
      depth += text[close] == '{' ? 1 : text[close] == '}' ? -1 : 0;
    }
    const std::string body = text.substr(at, close - at);
    Declaration declaration;
    declaration.base = (*it)[2].str();
    for (std::sregex_iterator m(body.begin(), body.end(), method), mend; m != mend; ++m) {
      declaration.methods.push_back((*m)[1].str());
    }
    found.emplace((*it)[1].str(), declaration);
  }
  return found;
}

// Method names in vtable order. Some headers repeat the base's methods in a
// derived interface; others declare only the new ones.
std::vector<std::string> SlotOrder(const Declarations& declarations, const std::string& name) {
  const auto found = declarations.find(name);
  if (found == declarations.end()) {
    if (name == "IUnknown") return {"QueryInterface", "AddRef", "Release"};
    return {};
  }
  const Declaration& declaration = found->second;
  if (declaration.base.empty() ||
      (!declaration.methods.empty() && declaration.methods.front() == "QueryInterface")) {
    return declaration.methods;
  }
  std::vector<std::string> slots = SlotOrder(declarations, declaration.base);
  slots.insert(slots.end(), declaration.methods.begin(), declaration.methods.end());
  return slots;
}

Declarations ParseFiles(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += ReadWithoutComments(path) + "\n";
  return ParseInterfaces(text);
}

// The interfaces whose slots callers reach, in the headers' order.
const char kInterfaces[] =
    "IDirect3D9 IDirect3DDevice9 IDirect3DResource9 IDirect3DBaseTexture9 IDirect3DTexture9 "
    "IDirect3DVolumeTexture9 IDirect3DCubeTexture9 IDirect3DSurface9 IDirect3DVolume9 "
    "IDirect3DVertexBuffer9 IDirect3DIndexBuffer9 IDirect3DSwapChain9 IDirect3DStateBlock9 "
    "IDirect3DVertexDeclaration9 IDirect3DVertexShader9 IDirect3DPixelShader9 "
    "IDirect3DQuery9 ID3DXBuffer ID3DXInclude ID3DXEffectPool ID3DXEffectStateManager "
    "ID3DXBaseEffect ID3DXEffect";

TEST(DeclarationOrder, InterfacesMatchTheSdkOrderAndDetouredSlotsAreWhereCallersExpectThem) {
  const std::string mingw = MINGW_HEADER_DIR;
  if (!std::filesystem::exists(mingw + "/d3d9.h") || !std::filesystem::exists(mingw + "/d3dx9effect.h")) {
    GTEST_SKIP() << "MinGW-w64 DirectX headers are not installed in " << mingw;
  }
  const Declarations reference = ParseFiles(
      {mingw + "/d3d9.h", mingw + "/d3dx9core.h", mingw + "/d3dx9shader.h", mingw + "/d3dx9effect.h"});
  const std::string sim = SIM_HEADER_DIR;
  const Declarations ours = ParseFiles({sim + "/win32.h", sim + "/d3d9.h", sim + "/d3dx9.h"});
  std::istringstream interfaces(kInterfaces);
  for (std::string name; interfaces >> name;) {
    const std::vector<std::string> expected = SlotOrder(reference, name);
    ASSERT_FALSE(expected.empty()) << name << " not found in the MinGW headers";
    EXPECT_EQ(SlotOrder(ours, name), expected) << name;
  }
  const std::vector<std::string> device = SlotOrder(ours, "IDirect3DDevice9");
  ASSERT_EQ(device.size(), 119u);
  EXPECT_EQ(device[16], "Reset");
  EXPECT_EQ(device[42], "EndScene");
  const std::vector<std::string> effect = SlotOrder(ours, "ID3DXEffect");
  ASSERT_EQ(effect.size(), 79u);
  EXPECT_EQ(effect.back(), "SetRawValue");
}

}  // namespace
