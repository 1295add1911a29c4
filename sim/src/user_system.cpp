// The keyboard locale, modules, displays and the window manager as a plain
// desktop shows them: United States English on code page 1252, no DLL to
// load (so no XInput gamepad and no newer DPI or version functions), one
// monitor at 96 DPI, no desktop composition.
#include <cstring>

#include "sim/dwm.h"

namespace {

constexpr DWORD kAnsiCodePage = 1252;

}  // namespace

extern "C" {

HKL WINAPI GetKeyboardLayout(DWORD) {
  return reinterpret_cast<HKL>(static_cast<std::uintptr_t>(0x04090409));
}

int WINAPI GetLocaleInfoA(LCID, LCTYPE type, LPSTR data, int size) {
  if (type != (LOCALE_RETURN_NUMBER | LOCALE_IDEFAULTANSICODEPAGE)) return 0;
  if (!data || size < static_cast<int>(sizeof(DWORD))) return 0;
  std::memcpy(data, &kAnsiCodePage, sizeof(DWORD));
  return sizeof(DWORD);
}

// Code page 1252 agrees with Latin-1 outside 0x80-0x9F; those few
// characters come through as their Latin-1 control codes.
int WINAPI MultiByteToWideChar(UINT, DWORD, LPCCH text, int bytes, LPWSTR wide, int wideChars) {
  if (!text) return 0;
  if (bytes < 0) bytes = static_cast<int>(std::strlen(text)) + 1;
  if (!wide || wideChars == 0) return bytes;
  if (wideChars < bytes) return 0;
  for (int i = 0; i < bytes; ++i) wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  return bytes;
}

HMODULE WINAPI LoadLibraryA(LPCSTR) {
  return nullptr;
}
HMODULE WINAPI GetModuleHandleA(LPCSTR) {
  return nullptr;
}
FARPROC WINAPI GetProcAddress(HMODULE, LPCSTR) {
  return nullptr;
}
BOOL WINAPI FreeLibrary(HMODULE module) {
  return module ? TRUE : FALSE;
}

// The condition mask keeps three bits per field, as the kernel packs it.
ULONGLONG WINAPI VerSetConditionMask(ULONGLONG mask, DWORD type, BYTE condition) {
  for (int field = 0; field < 8; ++field) {
    if (type & (1u << field)) mask |= static_cast<ULONGLONG>(condition & 7) << (field * 3);
  }
  return mask;
}

HMONITOR WINAPI MonitorFromWindow(HWND, DWORD) {
  return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x10001));
}

HDC WINAPI GetDC(HWND) {
  return reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x20001));
}

int WINAPI ReleaseDC(HWND, HDC dc) {
  return dc ? 1 : 0;
}

int WINAPI GetDeviceCaps(HDC, int index) {
  return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
}

HRGN WINAPI CreateRectRgn(int, int, int, int) {
  return reinterpret_cast<HRGN>(static_cast<std::uintptr_t>(0x30001));
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  return object ? TRUE : FALSE;
}

HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) {
  if (!enabled) return E_INVALIDARG;
  *enabled = FALSE;
  return S_OK;
}

HRESULT WINAPI DwmGetColorizationColor(DWORD*, BOOL*) {
  return DWM_E_COMPOSITIONDISABLED;
}

HRESULT WINAPI DwmEnableBlurBehindWindow(HWND, const DWM_BLURBEHIND*) {
  return DWM_E_COMPOSITIONDISABLED;
}
}
