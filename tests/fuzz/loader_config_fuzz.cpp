// Arbitrary bytes as ".\Sorvane.ini" through attach, the first effect
// creation (which scans the texture folders the file names) and detach:
// nothing faults and every texture is released again.
#include <cctype>
#include <string>

#include "fuzz_host.h"
#include "image_files.h"

namespace {

const char kEffect[] =
    "texture noise;\nfloat Exposure < string UIName = \"Exposure\"; > = 1;\ntechnique T { pass P { } }\n";

void WriteGameFolder() {
  fuzzhost::WriteFile("FX\\Bloom.fx", kEffect);
  fuzzhost::WriteFile("FX\\TEXTURES\\noise.dds", test_images::DdsFile(4, 4));
  fuzzhost::WriteFile("FX\\TEXTURES\\grain.png", test_images::PngFile(2, 2));
  fuzzhost::WriteFile("FX\\TEXTURES\\LUTs\\film.png", test_images::PngFile(4, 2));
  fuzzhost::WriteFile("FX\\TEXTURES\\VOLUMES\\fog.dds", test_images::DdsFile(2, 2, 2));
  fuzzhost::WriteFile("mods\\tex\\noise.dds", test_images::DdsFile(2, 2));
  fuzzhost::WriteFile("mods\\tex\\broken.png", "not a picture");
}

// A log file path with a folder or drive in it could name any file of the
// machine, which the log would then empty: such paths are left to the unit
// tests. Every line that mentions the key is checked, whatever its section.
bool NamesLogFileInFolder(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t at = text.find("logfilepath"); at != std::string::npos;
       at = text.find("logfilepath", at + 1)) {
    if (text.find_first_of("\\/:", at) < text.find('\n', at)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (NamesLogFileInFolder(data, size)) return 0;
  fuzzhost::StartInput();
  WriteGameFolder();
  fuzzhost::WriteFile("Sorvane.ini", data, size);
  fuzzhost::Game game = fuzzhost::StartGame();
  ID3DXEffect* effect = nullptr;
  fuzzhost::Require(fuzzhost::HostCreates(game, "Bloom", &effect) == S_OK && effect != nullptr,
                    "the effect is created whatever the configuration says");
  effect->Release();
  fuzzhost::EndGame(game);
  return 0;
}
