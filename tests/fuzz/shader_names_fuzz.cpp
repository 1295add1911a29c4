// Arbitrary shader and include names through ResolveShaderPath and the
// include handler, over a game folder with a file in every searched place:
// the answer is always the file an independent search finds, byte for byte.
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "core/config.h"
#include "fuzz_host.h"
#include "hook/shader_source.h"
#include "sim/host_kernel.h"

namespace {

namespace fs = std::filesystem;

fs::file_status Status(const std::string& path) {
  std::error_code error;
  return fs::status(sim::HostPath(path.c_str()), error);
}

// Names that climb out of the working folder or start at the root would
// read the machine's own files: real, but not this program's business.
bool StaysInWorkFolder(const std::string& name) {
  if (name.empty()) return true;
  if (name[0] == '\\' || name[0] == '/') return false;
  return name.find("..") == std::string::npos && name.find(':') == std::string::npos;
}

void WriteGameFolder() {
  fuzzhost::WriteFile("FX\\water.fx", "float A = 1;\n");
  fuzzhost::WriteFile("FX\\folder.fx\\inner.txt", "a folder named like an effect");
  fuzzhost::WriteFile("Shaders\\IDI_rain_FX", "float B = 2;\n");
  fuzzhost::WriteFile("shared.fxh", "working folder");
  fuzzhost::WriteFile("FX\\shared.fxh", "FX");
  fuzzhost::WriteFile("FX\\fx_only.fxh", "fx only");
  fuzzhost::WriteFile("FX\\includes\\common.fxh", "includes");
  fuzzhost::WriteFile("Shaders\\shaders.fxh", "shaders");
  fuzzhost::WriteFile("common\\empty.fxh", "");
  fuzzhost::WriteFile("common\\Noise_2D.fxh", "noise");
}

void CheckShaderPath(const std::string& name) {
  std::string expected;
  for (const std::string& candidate : {"FX\\" + name + ".fx", "Shaders\\IDI_" + name + "_FX"}) {
    if (candidate.size() < MAX_PATH && fs::exists(Status(candidate))) {
      expected = candidate;
      break;
    }
  }
  fuzzhost::Require(ResolveShaderPath(name.c_str()) == expected,
                    "ResolveShaderPath gives the first existing candidate");
}

void CheckInclude(const std::string& name) {
  static const char* const kPrefixes[] = {"", "FX\\", "FX\\includes\\", "Shaders\\", "common\\"};
  std::optional<std::string> expected;
  for (const char* prefix : kPrefixes) {
    if (fs::is_regular_file(Status(prefix + name))) {
      expected = fuzzhost::ReadFile(prefix + name);
      break;
    }
  }
  LPCVOID data = nullptr;
  UINT bytes = 0;
  const HRESULT result = includeHandler.Open(D3DXINC_LOCAL, name.c_str(), nullptr, &data, &bytes);
  fuzzhost::Require(result == (expected ? S_OK : E_FAIL), "Open succeeds exactly when a candidate is a file");
  if (result != S_OK) return;
  fuzzhost::Require(bytes == expected->size() && std::memcmp(data, expected->data(), bytes) == 0,
                    "the include buffer holds the first candidate's bytes");
  fuzzhost::Require(includeHandler.Close(data) == S_OK, "Close succeeds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The name as the compiler or the game passes it: text up to its NUL.
  const std::string name(reinterpret_cast<const char*>(data),
                         strnlen(reinterpret_cast<const char*>(data), size));
  if (!StaysInWorkFolder(name)) return 0;
  fuzzhost::StartInput();
  loaderConfig.LoggingLevel = 3;
  WriteGameFolder();
  CheckShaderPath(name);
  CheckInclude(name);
  return 0;
}
