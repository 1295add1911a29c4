// Every effect compiled from a file receives the screen size, time and texel
// sizes at creation; "Time" advances on every frame.
#include <atomic>
#include <thread>

#include "frame_fixture.h"
#include "sim/host_kernel.h"

namespace {

const char kUniforms[] =
    "float ScreenResolutionX = -1; float ScreenResolutionY = -1; float AspectRatio = -1;\n"
    "float Time = -1; float MouseX = -1; float MouseY = -1;\n"
    "float4 texelSizeL0 = -1; float4 texelSizeL1 = -1; float4 texelSizeL2 = -1;\n"
    "float4 texelSizeL3 = -1; float4 texelSizeL4 = -1;\n"
    "technique T { pass P { } }\n";

class EngineUniformsTest : public FrameFixture {
 protected:
  D3DXVECTOR4 InnerVector(EffectProxy* proxy, const char* name) {
    D3DXVECTOR4 value(-9, -9, -9, -9);
    proxy->innerEffect->GetVector(name, &value);
    return value;
  }
};

struct SizeCase {
  const char* what;
  sim::RenderTargetMode mode;
  UINT targetWidth, targetHeight;
  float expectedX, expectedY;
};

TEST_F(EngineUniformsTest, TheSizeComesFromTheRenderTargetElseTheViewportAndIsAtLeast32) {
  const SizeCase cases[] = {
      {"a 1080p target", sim::RenderTargetMode::Normal, 1920, 1080, 1920.0f, 1080.0f},
      {"a 16 x 8 target counts as 32 x 32", sim::RenderTargetMode::Normal, 16, 8, 32.0f, 32.0f},
      {"no target: the viewport", sim::RenderTargetMode::CallFails, 1920, 1080, 800.0f, 600.0f},
      {"a null target: the viewport", sim::RenderTargetMode::NoSurface, 1920, 1080, 800.0f, 600.0f},
      {"an unreadable target: 32 x 32", sim::RenderTargetMode::DescFails, 1920, 1080, 32.0f, 32.0f},
  };
  WriteFile("FX\\Post.fx", kUniforms);
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.what);
    sim::SetRenderTargetMode(device, c.mode);
    sim::SetRenderTargetSize(device, c.targetWidth, c.targetHeight);
    D3DVIEWPORT9 viewport{0, 0, 800, 600, 0.0f, 1.0f};
    device->SetViewport(&viewport);
    AttachWithLevel(0);
    EffectProxy* proxy = CreateProxy("Post");
    EXPECT_EQ(InnerFloat(proxy, "ScreenResolutionX"), c.expectedX);
    EXPECT_EQ(InnerFloat(proxy, "ScreenResolutionY"), c.expectedY);
    EXPECT_EQ(InnerFloat(proxy, "AspectRatio"), c.expectedX / c.expectedY) << "in single precision";
    EXPECT_EQ(InnerVector(proxy, "texelSizeL0"), D3DXVECTOR4(1.0f / c.expectedX, 1.0f / c.expectedY, 0, 0));
    EXPECT_EQ(InnerVector(proxy, "texelSizeL4"), D3DXVECTOR4(16.0f / c.expectedX, 16.0f / c.expectedY, 0, 0));
    EXPECT_EQ(InnerFloat(proxy, "MouseX"), -1.0f) << "no mouse position before the overlay exists";
    EXPECT_EQ(proxy->recordedValues.count("ScreenResolutionX"), 0u)
        << "engine values bypass the proxy, so a reload never replays them";
    proxy->Release();
    Detach();
  }
}

TEST_F(EngineUniformsTest, TimeCountsSecondsSinceAttachOnFramesThatGetTheListAndWrapsAfter2To32Ms) {
  WriteFile("FX\\Post.fx", kUniforms);
  AttachWithLevel(0);
  sim::AdvanceClock(250);
  EffectProxy* proxy = CreateProxy("Post");
  EXPECT_EQ(InnerFloat(proxy, "Time"), 0.25f) << "set at creation";
  sim::AdvanceClock(4750);
  EXPECT_EQ(Frame(), D3D_OK);
  EXPECT_EQ(InnerFloat(proxy, "Time"), 5.0f) << "five seconds after attach";
  EXPECT_EQ(proxy->recordedValues.count("Time"), 0u) << "written into the effect itself, so never replayed";

  // Another thread (an effect-creating loader, say) holds the list's lock.
  std::atomic<int> stage{0};
  std::thread holder([&] {
    EnterCriticalSection(&liveShadersLock);
    stage = 1;
    while (stage != 2) std::this_thread::yield();
    LeaveCriticalSection(&liveShadersLock);
  });
  while (stage != 1) std::this_thread::yield();
  sim::AdvanceClock(1000);
  EXPECT_EQ(Frame(), D3D_OK) << "the frame does not wait for the lock";
  EXPECT_EQ(InnerFloat(proxy, "Time"), 5.0f) << "that frame's update is skipped";
  stage = 2;
  holder.join();
  Frame();
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Time"), 6.0f);

  sim::AdvanceClock(0xFFFFFFFFu);
  sim::AdvanceClock(1 + 250 - 6000);
  Frame();
  EXPECT_EQ(InnerFloat(proxy, "Time"), 0.25f) << "2^32 ms after the 0.25 s mark it starts again";
  proxy->Release();
}

}  // namespace
