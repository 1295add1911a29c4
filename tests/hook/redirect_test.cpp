// The host calls through its own call instruction at 0x70AAA8; attach
// redirects it to the plug-in, which falls back to D3DX for the resource.
#include "creation_fixture.h"

namespace {

class RedirectTest : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    sim::RegisterResource(module, "Water", "float Depth = 2.0; technique T { pass P {} }");
    WriteFile("Sorvane.ini", "[Debug]\r\nEnableConsole=0\r\nIncludeTimestamps=0\r\n");
  }
};

TEST_F(RedirectTest, BeforeAttachTheHostReachesD3DXDirectly) {
  ID3DXEffect* effect = nullptr;
  EXPECT_EQ(HostCreates("Water", &effect), S_OK);
  ASSERT_NE(effect, nullptr);
  effect->Release();
  EXPECT_TRUE(DebuggerLines().empty());
}

TEST_F(RedirectTest, AfterAttachTheHostReachesTheHookAndGetsTheResourceEffect) {
  Attach();
  ID3DXEffect* effect = nullptr;
  EXPECT_EQ(HostCreates("Water", &effect), S_OK);
  ASSERT_NE(effect, nullptr);
  FLOAT depth = 0;
  EXPECT_EQ(effect->GetFloat("Depth", &depth), S_OK);
  EXPECT_EQ(depth, 2.0f);
  effect->Release();
  EXPECT_EQ(sim::LastResourceCall().module, module);

  ID3DXEffect* missing = nullptr;
  EXPECT_TRUE(FAILED(HostCreates("NoSuchResource", &missing)));
  EXPECT_EQ(missing, nullptr);
  Detach();
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "[INFO] Setting hooks...");
  EXPECT_EQ(lines[1], "[INFO] Hook triggered for shader: Water");
  EXPECT_EQ(lines[6], "[INFO] Reset Hook initialized.");
  EXPECT_EQ(lines[7], "[INFO] Falling back to original resource shader for: Water");
  EXPECT_EQ(lines[8], "[INFO] Hook triggered for shader: NoSuchResource");
  EXPECT_EQ(lines[9], "[INFO] Falling back to original resource shader for: NoSuchResource");
}

}  // namespace
