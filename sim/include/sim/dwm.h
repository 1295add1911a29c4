// Desktop Window Manager queries. The simulated desktop has no composition,
// so every call answers as a plain desktop without it.
#pragma once

#include "sim/win32_desktop.h"

#define DWM_BB_ENABLE 0x00000001
#define DWM_BB_BLURREGION 0x00000002
#define DWM_BB_TRANSITIONONMAXIMIZED 0x00000004
#define DWM_E_COMPOSITIONDISABLED ((HRESULT)0x80263001L)

typedef struct _DWM_BLURBEHIND {
  DWORD dwFlags;
  BOOL fEnable;
  HRGN hRgnBlur;
  BOOL fTransitionOnMaximized;
} DWM_BLURBEHIND;

extern "C" {
// S_OK with FALSE: composition is off.
HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled);
// DWM_E_COMPOSITIONDISABLED.
HRESULT WINAPI DwmGetColorizationColor(DWORD* color, BOOL* opaqueBlend);
HRESULT WINAPI DwmEnableBlurBehindWindow(HWND window, const DWM_BLURBEHIND* blurBehind);
}
