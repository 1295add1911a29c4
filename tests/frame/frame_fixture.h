// The game creating its effects and presenting frames: EndScene and Reset
// are called through the device's interface, as the game calls them.
#pragma once

#include <string>
#include <vector>

#include "creation_fixture.h"
#include "sim/host_kernel.h"

class FrameFixture : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    sim::SetClock(1000, SYSTEMTIME{2026, 12, 1, 7, 10, 0, 0, 0});
  }

  HRESULT Frame() { return device->EndScene(); }
};
