#include "core/config.h"

#include "core/log.h"
#include "platform/files.h"
#include "platform/win32.h"

LoaderConfig loaderConfig;

namespace {

const char kConfigFile[] = ".\\Sorvane.ini";

std::string ReadText(const char* section, const char* key, const char* defaultValue) {
  char buffer[260] = {};
  GetPrivateProfileStringA(section, key, defaultValue, buffer, sizeof(buffer), kConfigFile);
  return buffer;
}

int ReadInt(const char* key, const char* section = "Debug") {
  return static_cast<int>(GetPrivateProfileIntA(section, key, 1, kConfigFile));
}

}  // namespace

std::string NormalizeFolder(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder;
  return folder + "\\";
}

void LoadConfig() {
  loaderConfig.EnableConsole = ReadInt("EnableConsole");
  loaderConfig.LoggingLevel = static_cast<unsigned>(ReadInt("LoggingLevel"));
  loaderConfig.LogToFile = ReadInt("LogToFile");
  loaderConfig.IncludeTimestamps = ReadInt("IncludeTimestamps");
  loaderConfig.LogFilePath = ReadText("Debug", "LogFilePath", ".\\Tessaly.log");
  loaderConfig.TexturePath = NormalizeFolder(ReadText("Paths", "TexturePath", "FX\\TEXTURES\\"));
  loaderConfig.LUTsSubdir = NormalizeFolder(ReadText("Paths", "LUTsSubdir", "LUTs\\"));
  loaderConfig.VolumesSubdir = NormalizeFolder(ReadText("Paths", "VolumesSubdir", "VOLUMES\\"));
  loaderConfig.ExtendedAnnotations =
      static_cast<int>(GetPrivateProfileIntA("Compatibility", "ExtendedAnnotations", 0, kConfigFile));
  loaderConfig.WatchFiles = ReadInt("WatchFiles", "Reload");

  if (loaderConfig.LogToFile != 0) logStream = OpenLogFile(loaderConfig.LogFilePath);

  LogDebug("LoadConfig: EnableConsole=%d, LoggingLevel=%d, LogToFile=%d", loaderConfig.EnableConsole,
           static_cast<int>(loaderConfig.LoggingLevel), loaderConfig.LogToFile);
}
