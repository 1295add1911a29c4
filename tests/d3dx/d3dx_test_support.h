// A simulated device for every test, with a check at the end that every
// simulated COM object the test made was released exactly once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim/host_d3d.h"

class SimD3dTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Compiles effect source from memory; fails the test on compile errors.
  ID3DXEffect* Compile(const std::string& source);

  IDirect3DDevice9* device = nullptr;
  HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5150));

 private:
  int liveBefore = 0;
  int overReleasesBefore = 0;
};

// Runs each test in a fresh temporary folder that plays the game's folder.
class SimFileTest : public SimD3dTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a file below the folder; the path may use backslashes.
  void WriteFile(const std::string& path, const std::string& bytes);

 private:
  std::string previousDir;
  std::string workDir;
};

// The text of an error buffer, which must end with a NUL byte.
std::string BufferText(ID3DXBuffer* buffer);
