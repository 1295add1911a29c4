// Allocation failures inside the plug-in never reach the game as exceptions:
// every allocation of a call is made to fail in turn, and the game still gets
// an HRESULT (an effect, the fallback, or E_OUTOFMEMORY with an ERROR line).
#include <cstdlib>
#include <new>

#include "creation_fixture.h"
#include "overlay/hot_reload.h"

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

TEST_F(OutOfMemoryTest, CreationFallsBackToTheResource) {
  int failures = 0;
  for (long n = 0;; ++n) {
    ID3DXEffect* effect = nullptr;
    FailAllocationAfter(n);
    HRESULT result = HostCreates("Bloom", &effect);
    bool injected = Disarm();
    ASSERT_EQ(result, S_OK) << "allocation " << n;
    ASSERT_NE(effect, nullptr) << "allocation " << n;
    effect->Release();
    if (!injected) break;
    ++failures;
  }
  EXPECT_GT(failures, 0);
  EXPECT_GT(OutOfMemoryLines(), 0);
}

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

TEST_F(OutOfMemoryTest, ReloadAlwaysFinishesAndFreesTheLock) {
  for (long n = 0;; ++n) {
    FailAllocationAfter(n);
    ReloadAllShaders(device);
    bool injected = Disarm();
    ASSERT_TRUE(TryEnterCriticalSection(&liveShadersLock)) << "allocation " << n;
    LeaveCriticalSection(&liveShadersLock);
    std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    if (lines.back() != "[INFO] === HOT-RELOAD FINISHED ===") {
      // The finishing line itself may be the one that could not be written.
      EXPECT_TRUE(injected) << lines.back();
    }
    if (!injected) break;
  }
}

}  // namespace
