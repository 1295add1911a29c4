#include "d3dx_test_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sim/host_kernel.h"

void SimD3dTest::SetUp() {
  liveBefore = sim::LiveObjects();
  overReleasesBefore = sim::OverReleases();
  device = sim::CreateDevice(1920, 1080, window);
}

void SimD3dTest::TearDown() {
  if (device) {
    EXPECT_EQ(device->Release(), 0u) << "the device is still referenced";
  }
  EXPECT_EQ(sim::LiveObjects(), liveBefore) << "a simulated object was not released";
  EXPECT_EQ(sim::OverReleases(), overReleasesBefore) << "a simulated object was released too often";
}

ID3DXEffect* SimD3dTest::Compile(const std::string& source) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  const HRESULT hr = D3DXCreateEffect(device, source.data(), static_cast<UINT>(source.size()), nullptr,
                                      nullptr, 0, nullptr, &effect, &errors);
  if (errors) {
    if (FAILED(hr)) ADD_FAILURE() << BufferText(errors);
    errors->Release();
  }
  EXPECT_EQ(hr, D3D_OK);
  return effect;
}

void SimFileTest::SetUp() {
  previousDir = std::filesystem::current_path().string();
  char pattern[] = "/tmp/vantorix_d3dx_XXXXXX";
  workDir = mkdtemp(pattern);
  std::filesystem::current_path(workDir);
  SimD3dTest::SetUp();
}

void SimFileTest::TearDown() {
  SimD3dTest::TearDown();
  std::filesystem::current_path(previousDir);
  std::filesystem::remove_all(workDir);
}

void SimFileTest::WriteFile(const std::string& path, const std::string& bytes) {
  const std::filesystem::path target = sim::HostPath(path.c_str());
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary) << bytes;
}

std::string BufferText(ID3DXBuffer* buffer) {
  const char* text = static_cast<const char*>(buffer->GetBufferPointer());
  const DWORD size = buffer->GetBufferSize();
  EXPECT_GT(size, 0u);
  EXPECT_EQ(text[size - 1], '\0') << "the buffer text is not NUL-terminated";
  return std::string(text, size - 1);
}
