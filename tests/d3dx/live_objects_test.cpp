// The live-object counter that the plug-in's tests lean on to prove that
// every reference is released exactly once.
#include "d3dx_test_support.h"

namespace {

using LiveObjectsTest = SimD3dTest;

TEST_F(LiveObjectsTest, CountsObjectsByKindUntilTheirLastReleaseAndCountsReleasesTooMany) {
  const int before = sim::LiveObjects();
  const int over = sim::OverReleases();
  ID3DXBuffer* buffer = nullptr;
  D3DXCreateBuffer(4, &buffer);
  ID3DXEffect* effect = Compile("float Value;\n");
  EXPECT_EQ(sim::LiveObjects(), before + 2);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Buffer), 1);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 1);

  effect->AddRef();
  EXPECT_EQ(effect->Release(), 1u);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 1);
  EXPECT_EQ(effect->Release(), 0u);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 0);

  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(buffer->AddRef(), 0u);
  EXPECT_EQ(sim::OverReleases(), over + 2);
  EXPECT_EQ(sim::LiveObjects(), before) << "the count does not go below zero";
  sim::ResetOverReleases();
}

}  // namespace
