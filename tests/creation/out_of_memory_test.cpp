// Allocation failures inside the plug-in never reach the game as exceptions:
// every allocation of a call is made to fail in turn, and the game still gets
// an HRESULT (an effect, the fallback, or E_OUTOFMEMORY with an ERROR line).
#include <cstdio>
#include <cstdlib>
#include <new>

#include "creation_fixture.h"
#include "sim/host_input.h"
#include "sim/widget_log.h"

namespace {

// Counts allocations down to the one that fails; -1 when disarmed.
long allocationsBeforeFailure = -1;
bool failureInjected = false;

void FailAllocationAfter(long count) {
  failureInjected = false;
  allocationsBeforeFailure = count;
}

// Disarms; true when the armed failure happened.
bool Disarm() {
  allocationsBeforeFailure = -1;
  return failureInjected;
}

}  // namespace

void* operator new(std::size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    failureInjected = true;
    throw std::bad_alloc();
  }
  if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
  std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace {

const char kBloom[] = R"(float Intensity < string UIName = "Intensity"; > = 0.2;
float Radius = 1.0;
float Weights[3];
technique Day { pass P0 { } }
technique Night { pass P0 { } }
)";

class OutOfMemoryTest : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    WriteFile("FX\\Bloom.fx", kBloom);
    sim::RegisterResource(module, "Bloom", "float Builtin = 1;");
    AttachWithLevel(2);
    CreateProxy("Bloom")->Release();  // the one-time set-up of the first creation
  }
  void TearDown() override {
    Disarm();
    CreationFixture::TearDown();
  }
  int OutOfMemoryLines() {
    int count = 0;
    for (const auto& line : LogLines()) count += line.rfind("[ERROR] Out of memory while ", 0) == 0;
    return count;
  }
};

TEST_F(OutOfMemoryTest, ProxyCallsAnswerOutOfMemory) {
  for (long n = 0;; ++n) {
    EffectProxy* proxy = CreateProxy("Bloom");
    int linesBefore = OutOfMemoryLines();
    FailAllocationAfter(n);
    HRESULT results[4];
    D3DXHANDLE radius = proxy->GetParameterByName(nullptr, "Radius");
    D3DXHANDLE weight = proxy->GetParameterElement(proxy->GetParameterByName(nullptr, "Weights"), 1);
    results[0] = proxy->SetFloat(radius, 2.0f);
    results[1] = proxy->SetFloat(weight, 3.0f);
    results[2] = proxy->SetTechnique(proxy->GetTechniqueByName("Night"));
    results[3] = proxy->SetString(radius, "x");
    bool injected = Disarm();
    bool refused = false;
    for (HRESULT result : results) {
      EXPECT_TRUE(result == S_OK || result == E_OUTOFMEMORY || result == D3DERR_INVALIDCALL) << n;
      refused |= result == E_OUTOFMEMORY;
    }
    if (refused) {
      EXPECT_GT(OutOfMemoryLines(), linesBefore) << "allocation " << n;
    }
    proxy->Release();
    if (!injected) {
      EXPECT_EQ(results[0], S_OK);
      break;
    }
  }
}

// What one game session gave while one allocation failed.
struct Outcome {
  HRESULT creation = S_OK;
  bool gotEffect = false;
  bool proxy = false;    // the file's effect, not the game's own resource
  bool escaped = false;  // an exception reached the game
  int errorLines = 0;
  int live = 0;  // simulated COM objects alive after detach
  int overReleases = 0;
};

// A game session: it creates Bloom, draws a frame, shows the overlay, clicks
// SAVE CONFIG TO DISK, presses END for a reload, releases its effect and quits.
class AllocationSweepTest : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    WriteFile("FX\\Bloom.fx", kBloom);
    sim::RegisterResource(module, "Bloom", "float Builtin = 1;");
    sim::SetRasterizerEnabled(device, false);
    sim::SetKeyDown(VK_INSERT, false);  // the key table has its entries before any allocation fails
    sim::SetKeyDown(VK_END, false);
    sim::SetKeyDown(VK_LBUTTON, false);
  }
  void TearDown() override {
    Disarm();
    CreationFixture::TearDown();
  }

  void Frame() {
    device->BeginScene();
    device->EndScene();
  }

  void Session(ID3DXEffect** effect, HRESULT* creation) {
    *creation = HostCreates("Bloom", effect);
    Frame();
    sim::PressKey(window, VK_INSERT);
    Frame();
    sim::MouseMove(window, saveX, saveY);
    Frame();
    sim::LeftButton(window, true);
    Frame();
    sim::LeftButton(window, false);
    Frame();
    sim::KeyDown(window, VK_END);
    Frame();
    sim::KeyUp(window, VK_END);
  }

  // One session from attach to detach with the n-th allocation after attach
  // failing (never when n < 0).
  Outcome Run(long n, bool* injected) {
    Outcome outcome;
    AttachWithLevel(2);
    ID3DXEffect* effect = nullptr;
    FailAllocationAfter(n);
    try {
      Session(&effect, &outcome.creation);
    } catch (...) {
      outcome.escaped = true;
    }
    *injected = Disarm();
    outcome.gotEffect = effect != nullptr;
    outcome.proxy = effect != nullptr && !sim::GetEffectActivity(effect).simulated;
    for (const std::string& line : LogLines()) outcome.errorLines += line.rfind("[ERROR] ", 0) == 0;
    if (effect != nullptr) effect->Release();
    Detach();
    outcome.live = sim::LiveObjects();
    outcome.overReleases = sim::OverReleases();
    return outcome;
  }

  int saveX = 0, saveY = 0;
};

TEST_F(AllocationSweepTest, EveryFailedAllocationEndsInAnHresultOrTheFallbackAndLeaksNothing) {
  // The session without a failure shows where the save button is.
  AttachWithLevel(2);
  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(HostCreates("Bloom", &effect), S_OK);
  Frame();
  sim::RecordWidgets();
  sim::PressKey(window, VK_INSERT);
  Frame();
  Frame();
  for (const sim::Widget& widget : sim::FrameWidgets()) {
    if (widget.label != "SAVE CONFIG TO DISK") continue;
    saveX = static_cast<int>(widget.CenterX());
    saveY = static_cast<int>(widget.CenterY());
  }
  effect->Release();
  Detach();
  ASSERT_GT(saveX, 0);
  bool injected = false;
  Outcome clean = Run(-1, &injected);
  ASSERT_TRUE(clean.proxy);
  ASSERT_EQ(clean.errorLines, 0);
  ASSERT_TRUE(HasLine(LogLines(), "[INFO] Saved settings for Bloom to .\\vantorix_settings.ini"));
  ASSERT_TRUE(HasLine(LogLines(), "[INFO] [OK] Reloaded: Bloom"));

  int tried = 0, fallbacks = 0, failureCodes = 0, laterErrors = 0, silent = 0;
  for (long n = 0; n < 100000; ++n) {
    Outcome outcome = Run(n, &injected);
    if (!injected) break;
    ++tried;
    ASSERT_FALSE(outcome.escaped) << "allocation " << n;
    ASSERT_LE(outcome.errorLines, 1) << "allocation " << n;
    ASSERT_EQ(outcome.live, 0) << "allocation " << n;
    ASSERT_EQ(outcome.overReleases, 0) << "allocation " << n;
    if (FAILED(outcome.creation)) {
      ASSERT_FALSE(outcome.gotEffect) << "allocation " << n;
      ++failureCodes;
    } else {
      ASSERT_TRUE(outcome.gotEffect) << "allocation " << n;
      if (!outcome.proxy) {
        ++fallbacks;
      } else if (outcome.errorLines == 1) {
        ++laterErrors;
      } else {
        ++silent;
      }
    }
  }
  ASSERT_GT(tried, 0);
  std::printf("allocation points: %d; fallback to the resource: %d; failure code: %d; "
              "file's effect with an ERROR line later: %d; absorbed without a line: %d\n",
              tried, fallbacks, failureCodes, laterErrors, silent);
}


}  // namespace
