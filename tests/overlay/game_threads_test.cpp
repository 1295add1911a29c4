// A game's threads all at once: two loader threads create effects through the
// call site and keep setting values and textures on each before they hand it
// over, the render thread draws frames with the overlay shown, resets the
// device now and then and sets per-frame values, and the window's thread
// delivers INSERT, END and mouse messages that reload and save. Bounded in count and in time. Built with
// ThreadSanitizer (preset native-tsan), any data race among them fails the run.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "hook/live_shaders.h"
#include "overlay_fixture.h"
#include "sim/host_code.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

constexpr int kCreationsPerLoader = 10;
constexpr int kUsesOnTheLoader = 20;
constexpr int kFrames = 120;
constexpr int kPlayerRounds = 3;
constexpr auto kTimeLimit = std::chrono::seconds(60);

const char kGrade[] = R"(
float Saturation < string UIName = "Saturation"; float UIMin = 0; float UIMax = 2; > = 1.0;
float3 Tint < string UIName = "Tint"; string UIWidget = "Color"; > = {1, 1, 1};
texture Dirt;
technique T { pass P { } }
)";

class GameThreadsTest : public OverlayFixture {
 protected:
  using Clock = std::chrono::steady_clock;

  bool TimeLeft() const { return Clock::now() < deadline; }

  // Waits until the render thread has drawn `count` more frames (or stopped).
  void WaitFrames(int count) {
    const int target = framesDrawn.load() + count;
    while (framesDrawn.load() < target && !renderDone.load() && TimeLeft()) std::this_thread::yield();
  }

  // One loader thread: creates its effects, keeps setting a value and its
  // texture (by name) on each while the render thread draws, then hands it to
  // the renderer, which sets their values from then on, as a game draws with
  // an effect on the thread that owns the device.
  void Load(const char* name, const char* parameter, int count, IDirect3DTexture9* texture) {
    for (int i = 0; i < count && TimeLeft(); ++i) {
      ID3DXEffect* effect = nullptr;
      ASSERT_EQ(sim::HostCreateEffectFromResource(device, module, name, nullptr, nullptr, 0, nullptr, &effect,
                                                  nullptr),
                S_OK);
      for (int use = 0; use < kUsesOnTheLoader; ++use) {
        effect->SetFloat(effect->GetParameterByName(nullptr, parameter), 0.125f);
        effect->SetTexture("Dirt", texture);
        std::this_thread::yield();
      }
      std::lock_guard<std::mutex> guard(handedOverLock);
      handedOver.push_back({effect, parameter, 0.0f});
    }
  }

  // The render thread: per-frame values on every effect it was handed, a
  // device reset every 40 frames, then the frame through the hooked EndScene.
  void Render() {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = kWidth;
    parameters.BackBufferHeight = kHeight;
    // However busy the machine, the player gets a few rounds in.
    for (int frame = 0; (frame < kFrames || playerRounds.load() < kPlayerRounds) && TimeLeft(); ++frame) {
      std::vector<HandedOver> effects;
      {
        std::lock_guard<std::mutex> guard(handedOverLock);
        effects = handedOver;
      }
      const float value = 0.5f + static_cast<float>(frame) / 1000.0f;
      for (const HandedOver& e : effects) {
        e.effect->SetFloat(e.effect->GetParameterByName(nullptr, e.parameter), value);
      }
      {
        std::lock_guard<std::mutex> guard(handedOverLock);
        for (std::size_t i = 0; i < effects.size(); ++i) handedOver[i].last = value;
      }
      if (frame % 40 == 39) device->Reset(&parameters);
      Frame();
      framesDrawn.fetch_add(1);
    }
    renderDone.store(true);
  }

  // The window's thread: a player who hides and shows the overlay, holds END,
  // moves the mouse over the window and clicks the two buttons.
  void Play() {
    while (!renderDone.load() && TimeLeft()) {
      sim::KeyDown(window, VK_END);
      WaitFrames(2);
      sim::KeyUp(window, VK_END);
      sim::PressKey(window, VK_INSERT);
      WaitFrames(1);
      sim::PressKey(window, VK_INSERT);
      for (int x = 0; x < static_cast<int>(kWidth); x += 97) sim::MouseMove(window, x, (x * 7) % kHeight);
      WaitFrames(1);
      for (const sim::Widget* button : {&reloadButton, &saveButton}) {
        sim::MouseMove(window, static_cast<int>(button->CenterX()), static_cast<int>(button->CenterY()));
        WaitFrames(1);
        sim::LeftButton(window, true);
        WaitFrames(1);
        sim::LeftButton(window, false);
        WaitFrames(1);
      }
      playerRounds.fetch_add(1);
    }
  }

  struct HandedOver {
    ID3DXEffect* effect;
    const char* parameter;
    float last;  // the value the game set last
  };
  Clock::time_point deadline;
  std::mutex handedOverLock;
  std::vector<HandedOver> handedOver;
  std::atomic<int> framesDrawn{0};
  std::atomic<int> playerRounds{0};
  std::atomic<bool> renderDone{false};
  sim::Widget reloadButton, saveButton;
};

TEST_F(GameThreadsTest, LoadersRendererAndWindowRunTogether) {
  WriteFile("FX\\Bloom.fx", kBloom);
  WriteFile("FX\\Grade.fx", kGrade);
  AttachWithLevel(3);
  sim::SetRasterizerEnabled(device, false);  // the threads are under test here, not the pixels
  deadline = Clock::now() + kTimeLimit;

  IDirect3DTexture9* textures[2] = {};
  for (IDirect3DTexture9*& texture : textures)
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);

  // The game's first two effects, at once: one of them sets up the textures
  // and the device hooks, the other waits for it. This thread draws with them.
  std::thread first[] = {
      std::thread([&] { Load("Bloom", "Intensity", 1, textures[0]); }),
      std::thread([&] { Load("Grade", "Saturation", 1, textures[1]); }),
  };
  for (std::thread& loader : first) loader.join();
  for (const HandedOver& e : handedOver) e.effect->SetFloat(e.parameter, 0.125f);
  Show();
  reloadButton = Find("Force Reload (END)");
  saveButton = Find("SAVE CONFIG TO DISK");

  std::thread render([this] { Render(); });
  std::thread player([this] { Play(); });
  std::thread loaders[] = {
      std::thread([&] { Load("Bloom", "Intensity", kCreationsPerLoader, textures[0]); }),
      std::thread([&] { Load("Grade", "Saturation", kCreationsPerLoader, textures[1]); }),
  };
  for (std::thread& loader : loaders) loader.join();
  render.join();
  player.join();
  ASSERT_TRUE(TimeLeft()) << "the threads finished within the time limit";
  ASSERT_GE(framesDrawn.load(), kFrames);
  for (HandedOver& e : handedOver) {
    created.push_back(e.effect);
    if (e.last != 0.0f) continue;  // created after the renderer's last frame
    e.last = 0.25f;
    e.effect->SetFloat(e.effect->GetParameterByName(nullptr, e.parameter), e.last);
  }

  // The values and textures the game set last survive the reloads that ran
  // meanwhile and one more, including those that waited for the game's call.
  Frame();
  sim::KeyDown(window, VK_END);
  Frame();
  sim::KeyUp(window, VK_END);
  for (const HandedOver& e : handedOver) {
    FLOAT value = 0;
    e.effect->GetFloat(e.parameter, &value);
    EXPECT_FLOAT_EQ(value, e.last) << e.parameter;
    if (std::string(e.parameter) != "Saturation") continue;
    IDirect3DBaseTexture9* dirt = nullptr;
    static_cast<EffectProxy*>(e.effect)->innerEffect->GetTexture("Dirt", &dirt);
    EXPECT_EQ(dirt, textures[1]);
    if (dirt) dirt->Release();
  }
  for (IDirect3DTexture9* texture : textures) texture->Release();
  EXPECT_EQ(liveShaders.size(), 2u + 2 * kCreationsPerLoader);
  EXPECT_EQ(CountLines("[INFO] Custom texture loading complete."), 1);
  EXPECT_EQ(CountLines("[INFO] EndScene Hook initialized."), 1);
  EXPECT_EQ(CountLines("[INFO] ImGui Initialized."), 1);
  const int reloads = CountLines("[INFO] === HOT-RELOAD STARTED ===");
  EXPECT_GE(reloads, 3) << "END and the reload button, from the window's thread";
  EXPECT_EQ(CountLines("[INFO] === HOT-RELOAD FINISHED ==="), reloads);
  // The player's clicks may all have missed a button that the tabs moved.
  Click(Find("SAVE CONFIG TO DISK"));
  EXPECT_GE(CountLines("[INFO] Saved settings for Grade to .\\vantorix_settings.ini"), 1);
  EXPECT_NE(ReadFile("vantorix_settings.ini").find("[Grade]\r\nSaturation="), std::string::npos);
  for (const std::string& line : LogLines()) EXPECT_NE(line.rfind("[ERROR]", 0), 0u) << line;
}

// The player presses INSERT and moves the mouse while the game unloads the
// plug-in: every message reaches the game, during and after the unload, and
// none touches the overlay once it is going.
TEST_F(GameThreadsTest, WindowMessagesDuringUnload) {
  WriteFile("FX\\Bloom.fx", kBloom);
  std::atomic<bool> unloaded{false};
  for (int run = 0; run < 50; ++run) {
    AttachWithLevel(3);
    Create("Bloom");
    Frame();
    unloaded.store(false);
    int afterUnload = 0;
    std::thread player([&] {
      while (afterUnload < 3) {
        afterUnload += unloaded.load();
        sim::PressKey(window, VK_INSERT);
        sim::MouseMove(window, 10 + afterUnload, 10);
      }
    });
    Frames(2);
    Detach();
    unloaded.store(true);
    player.join();
  }
  EXPECT_TRUE(HostSaw(WM_KEYDOWN, VK_INSERT));
}

}  // namespace
