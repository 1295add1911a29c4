// A simulated device for every test, in a folder that plays the game's folder;
// the host fixture checks that every simulated COM object was released once.
#pragma once

#include <string>

#include "host_fixture.h"
#include "sim/host_d3d.h"

class SimD3dTest : public HostFixture {
 protected:
  void SetUp() override;
  void ReleaseHostObjects() override;

  // Compiles effect source from memory; fails the test on compile errors.
  ID3DXEffect* Compile(const std::string& source);

  IDirect3DDevice9* device = nullptr;
};

