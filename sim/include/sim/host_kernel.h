// Controls of the simulated Windows kernel and user services, used by the
// host program and the tests to set the scene and to read what the plug-in
// sent to the debugger output and the console.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/win32.h"

namespace sim {

// Clock: GetTickCount, QueryPerformanceCounter and GetLocalTime all derive
// from one simulated clock. By default it follows real time; once set, it
// only moves when advanced.
void SetClock(std::uint32_t tickMs, const SYSTEMTIME& localTime);
void AdvanceClock(std::uint32_t ms);
void UseRealClock();
// GetTickCount calls since the clock was last set or reset.
int TickCountReads();
constexpr std::int64_t kPerformanceFrequency = 10000000;  // 100 ns ticks

// Debugger output: every OutputDebugStringA text, in order.
std::vector<std::string> DebuggerOutput();
void ClearDebuggerOutput();

// Console: AllocConsole/FreeConsole state and everything written to it.
bool ConsoleAllocated();
int ConsoleAllocCount();
int ConsoleFreeCount();
std::string ConsoleText();
void ClearConsole();
// When true (the default for the demo), console text is also echoed to the
// process's real standard output.
void SetConsoleEcho(bool echo);
// Called by the platform layer where Windows reopens stdout on "CONOUT$".
bool ReopenStdoutOnConsole();
void WriteConsole(const char* text);

// Keys: the state GetAsyncKeyState reports (most significant bit = down,
// lowest bit = pressed since its last read).
void SetKeyDown(int virtualKey, bool down);

// Foreground window reported by GetForegroundWindow.
void SetForegroundWindow(HWND window);

// Windows of the host program: each has a window procedure that
// SetWindowLongPtrA(GWLP_WNDPROC) or SetWindowLongA(GWL_WNDPROC) can replace. SendMessage delivers a message
// to the window's current procedure, as the host's message loop would.
HWND CreateHostWindow(WNDPROC procedure);
// Destroying a window sends it WM_DESTROY then WM_NCDESTROY, as Windows does;
// afterwards its handle names nothing, and every call that names it is counted.
void DestroyHostWindow(HWND window);
int CallsOnDestroyedWindows();
WNDPROC WindowProcedure(HWND window);
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window's client area on the screen (GetClientRect, ScreenToClient and
// ClientToScreen); a new window's is 800x600 at the screen's origin.
void SetWindowClientArea(HWND window, int left, int top, int width, int height);
// Makes the next SetWindowLongPtrA or SetWindowLongA call fail: it returns 0 and changes nothing.
void FailNextSetWindowLong();

// Makes VirtualProtect fail for any range that overlaps [begin, begin+size).
void FailVirtualProtectIn(std::uintptr_t begin, std::size_t size);
void ClearVirtualProtectFailures();
// Current protection of the page holding `address`, as a PAGE_* value
// (tracked for pages changed through VirtualProtect, else read from the
// process's memory map). Returns 0 when unmapped.
DWORD QueryProtection(std::uintptr_t address);

// Private-profile reads of one key, recorded while recording is on: the file
// and names as the caller passed them, the default and the value returned
// (integers in decimal), and whether the file held the key.
struct ProfileRead {
  std::string file, section, key, defaultValue, value;
  bool found = false;
};
// Starts (clearing what was recorded) or stops recording.
void RecordProfileReads(bool on);
std::vector<ProfileRead> ProfileReads();

// Resets kernel state between tests (clock, captures, keys, failures).
void ResetKernel();

// Maps a Windows-style relative path (".\\Tessaly.log", "FX\\TEXTURES\\") to
// the host's form ("./Tessaly.log", "FX/TEXTURES/"). Narrow paths are in the
// simulated ANSI code page (Windows-1252) and become UTF-8 on disk.
// As on Windows, names compare without regard to case: a part of the path
// that does not exist as spelled takes the spelling of the entry that
// matches it ("fx\\noise_2d.fxh" finds "FX/noise_2D.fxh").
std::string HostPath(const char* windowsPath);
// The modification time of the file at a Windows path, in nanoseconds; 0 when absent.
std::int64_t HostFileWriteTime(const char* windowsPath);

// Makes the listing of one folder (as the plug-in names it) fail, as a folder
// that exists but may not be read would; undone by ResetKernel.
void FailFolderListing(const std::string& windowsFolder);
bool FolderListingFails(const std::string& windowsFolder);

// A file name as Linux lists it (UTF-8) in the ANSI code page; false when the
// code page cannot represent it.
bool HostNameToAnsi(const std::string& hostName, std::string& ansi);

}  // namespace sim
