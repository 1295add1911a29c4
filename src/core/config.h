// The loader configuration read once from ".\Sorvane.ini" at attach.
#pragma once

#include <string>

struct LoaderConfig {
  int EnableConsole = 0;
  unsigned LoggingLevel = 1;
  int LogToFile = 1;
  int IncludeTimestamps = 1;
  std::string LogFilePath = ".\\Tessaly.log";
  std::string TexturePath = "FX\\TEXTURES\\";
  std::string LUTsSubdir = "LUTs\\";
  std::string VolumesSubdir = "VOLUMES\\";
  // 1: the panel also reads the annotations of effects written for other
  // tools (params/annotation_model.cpp).
  int ExtendedAnnotations = 0;
  int WatchFiles = 1;  // [Reload]: reload an effect when its files change on disk
};

extern LoaderConfig loaderConfig;

// Reads the file, normalises the texture folders and opens the log file.
void LoadConfig();

// Appends one backslash to a non-empty folder that ends in no separator.
std::string NormalizeFolder(const std::string& folder);
