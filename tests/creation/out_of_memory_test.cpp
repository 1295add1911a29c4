// Allocation failures inside the plug-in never reach the game as exceptions:
// every allocation the plug-in makes is made to fail in turn, and the game
// still gets an HRESULT (an effect, the fallback, or E_OUTOFMEMORY with an
// ERROR line) and nothing leaks.
//
// In the game, Direct3D, D3DX and Windows allocate from their own heaps, not
// through the plug-in's operator new. Here the simulated host shares it, so
// each allocation is attributed by the code that made it: the innermost
// frame that belongs to the simulated host or to the plug-in (its libraries
// included) decides, and only the plug-in's allocations count and fail.
#include <execinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "creation_fixture.h"
#include "sim/host_input.h"
#include "sim/widget_log.h"

namespace {

enum class Side : char { kNeither, kPlugin, kHost };

struct CodeRange {
  std::uintptr_t begin, end;
  Side side;
};

// The outermost scope a mangled name belongs to (its namespace, class or
// function), "std" for the standard library, "" for operators.
std::string OutermostName(const std::string& symbol) {
  std::size_t at = 2;  // past "_Z"
  while (at < symbol.size() && std::strchr("NZKVrL", symbol[at])) ++at;
  if (at < symbol.size() && symbol[at] == 'S') return "std";
  std::size_t length = 0;
  for (; at < symbol.size() && std::isdigit(static_cast<unsigned char>(symbol[at])); ++at)
    length = length * 10 + static_cast<std::size_t>(symbol[at] - '0');
  return symbol.substr(at, length);
}

Side SideOf(const std::string& symbol) {
  if (symbol.rfind("_Z", 0) != 0) {  // a C function: the host's API, or the hooking library's
    return symbol.rfind("MH_", 0) == 0 || symbol == "DllMain" ? Side::kPlugin : Side::kHost;
  }
  const std::string outer = OutermostName(symbol);
  if (outer == "sim" || outer == "simfx") return Side::kHost;
  for (const char* neutral : {"", "std", "__gnu_cxx", "__cxxabiv1", "testing", "_GLOBAL__N_1"}) {
    if (outer == neutral) return Side::kNeither;
  }
  return Side::kPlugin;
}

// The program's functions by address, from its symbol table.
std::vector<CodeRange>& CodeMap() {
  static std::vector<CodeRange> ranges;
  if (!ranges.empty()) return ranges;
  char program[4096] = {};
  if (readlink("/proc/self/exe", program, sizeof(program) - 1) <= 0) return ranges;
  FILE* nm = popen(("nm -S --defined-only '" + std::string(program) + "'").c_str(), "r");
  char line[8192];
  while (nm && std::fgets(line, sizeof(line), nm)) {
    unsigned long long address = 0, size = 0;
    char type = 0;
    char name[8000];
    if (std::sscanf(line, "%llx %llx %c %7999s", &address, &size, &type, name) != 4) continue;
    if (std::strchr("tTwW", type) == nullptr || size == 0) continue;
    ranges.push_back(
        {static_cast<std::uintptr_t>(address), static_cast<std::uintptr_t>(address + size), SideOf(name)});
  }
  if (nm) pclose(nm);
  std::sort(ranges.begin(), ranges.end(),
            [](const CodeRange& a, const CodeRange& b) { return a.begin < b.begin; });
  return ranges;
}

// Whether the allocation being made comes from the plug-in.
bool PluginAllocates() {
  void* frames[64];
  const int depth = backtrace(frames, 64);
  const std::vector<CodeRange>& ranges = CodeMap();
  for (int i = 1; i < depth; ++i) {
    const auto pc = reinterpret_cast<std::uintptr_t>(frames[i]) - 1;
    auto next = std::upper_bound(ranges.begin(), ranges.end(), pc,
                                 [](std::uintptr_t value, const CodeRange& r) { return value < r.begin; });
    if (next == ranges.begin()) continue;
    const CodeRange& range = *(next - 1);
    if (pc >= range.end || range.side == Side::kNeither) continue;
    return range.side == Side::kPlugin;
  }
  return false;
}

// Counts the plug-in's allocations down to the one that fails; -1 when disarmed.
long allocationsBeforeFailure = -1;
bool failureInjected = false;

void FailAllocationAfter(long count) {
  CodeMap();  // read before any allocation is counted
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
  static thread_local bool attributing = false;
  if (allocationsBeforeFailure >= 0 && !attributing) {
    attributing = true;
    const bool counted = PluginAllocates();
    attributing = false;
    if (counted && allocationsBeforeFailure-- == 0) {
      allocationsBeforeFailure = -1;
      failureInjected = true;
      throw std::bad_alloc();
    }
  }
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

// What one game session gave while one allocation failed.
struct Outcome {
  HRESULT creation = S_OK;
  bool gotEffect = false;
  bool proxy = false;    // the file's effect, not the game's own resource
  bool escaped = false;  // an exception reached the game
  int errorLines = 0;    // ERROR reports
  std::string errors;    // the ERROR lines, for the failure message
  int live = 0;          // simulated COM objects alive after detach besides the game's device
  int overReleases = 0;
};

// A game session: it creates Bloom, sets values and a technique, draws a
// frame, shows the overlay, clicks SAVE CONFIG TO DISK, presses END for a
// reload, releases its effect and quits.
class AllocationSweepTest : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    WriteFile("FX\\Bloom.fx", kBloom);
    sim::RegisterResource(module, "Bloom", "float Builtin = 1;");
    sim::SetRasterizerEnabled(device, false);
    sim::SetKeyDown(VK_INSERT, false);  // the key table has its entries before any allocation fails
    sim::SetKeyDown(VK_END, false);
    sim::SetKeyDown(0x01, false);  // the left mouse button
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
    if (ID3DXEffect* game = *effect) {
      game->SetFloat(game->GetParameterByName(nullptr, "Radius"), 2.0f);
      game->SetFloat(game->GetParameterElement(game->GetParameterByName(nullptr, "Weights"), 1), 3.0f);
      game->SetTechnique(game->GetTechniqueByName("Night"));
    }
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

  // One session from attach to detach in which the plug-in's n-th allocation
  // fails (none when n < 0).
  Outcome Run(long n, bool* injected) {
    Outcome outcome;
    const int gameObjects = sim::LiveObjects();  // the device and its back buffer
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
    for (const std::string& line : LogLines()) {
      if (line.rfind("[ERROR] ", 0) != 0) continue;
      outcome.errors += line + "\n";
      // A failed compile is one report: its line, then the compiler's text.
      if (line.rfind("[ERROR] Shader compile errors:", 0) == 0 || line.rfind("[ERROR] DX9 Error: ", 0) == 0)
        continue;
      ++outcome.errorLines;
    }
    if (effect != nullptr) effect->Release();
    Detach();
    outcome.live = sim::LiveObjects() - gameObjects;
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

  int tried = 0, fallbacks = 0, kept = 0;
  for (long n = 0; n < 100000; ++n) {
    Outcome outcome = Run(n, &injected);
    if (!injected) break;
    ++tried;
    EXPECT_FALSE(outcome.escaped) << "allocation " << n;
    EXPECT_EQ(outcome.errorLines, 1) << "allocation " << n << "\n" << outcome.errors;
    EXPECT_EQ(outcome.live, 0) << "allocation " << n;
    EXPECT_EQ(outcome.overReleases, 0) << "allocation " << n;
    EXPECT_EQ(SUCCEEDED(outcome.creation), outcome.gotEffect) << "allocation " << n;
    (outcome.proxy ? kept : fallbacks) += 1;
  }
  EXPECT_GT(fallbacks, 0);
  EXPECT_GT(kept, 0);
  std::printf(
      "plug-in allocation points: %d; the game got its own resource: %d; it kept the file's effect: %d\n",
      tried, fallbacks, kept);
}

}  // namespace
