#include "game_window.h"

#include <cstdio>
#include <vector>

namespace {

int gameMouseMessages = 0;

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ++gameMouseMessages;
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
};

// A road and a sky, so that the picture shows the overlay over a scene.
void DrawScene(IDirect3DDevice9* device) {
  const D3DCOLOR sky = 0xFF3A6EA5, horizon = 0xFFB9D3E8, road = 0xFF3C3C3C, verge = 0xFF4E7F3A;
  const float w = kWidth, h = kHeight, mid = h * 0.55f;
  std::vector<Vertex> triangles;
  // A trapezoid from its top edge at y0 to its bottom edge at y1, each with its colour.
  const auto add = [&](float y0, float left0, float right0, D3DCOLOR c0, float y1, float left1, float right1,
                       D3DCOLOR c1) {
    const Vertex topLeft{left0, y0, 0, 1, c0}, topRight{right0, y0, 0, 1, c0};
    const Vertex bottomLeft{left1, y1, 0, 1, c1}, bottomRight{right1, y1, 0, 1, c1};
    triangles.insert(triangles.end(), {topLeft, topRight, bottomLeft, topRight, bottomRight, bottomLeft});
  };
  add(0, 0, w, sky, mid, 0, w, horizon);
  add(mid, 0, w, verge, h, 0, w, verge);
  add(mid, w * 0.48f, w * 0.52f, road, h, 0, w, road);
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetTexture(0, nullptr);
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 6, triangles.data(), sizeof(Vertex));
}

}  // namespace

bool OpenGame(Game& game) {
  WNDCLASSEXA type{};
  type.cbSize = sizeof(type);
  type.lpfnWndProc = GameWindowProc;
  type.hInstance = GetModuleHandleA(nullptr);
  type.lpszClassName = "VelocadeGame";
  RegisterClassExA(&type);
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  game.window =
      CreateWindowExA(0, type.lpszClassName, "Velocade", WS_OVERLAPPEDWINDOW, 0, 0, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, type.hInstance, nullptr);
  if (!game.window) {
    std::printf("CreateWindowEx failed: %lu\n", GetLastError());
    return false;
  }
  ShowWindow(game.window, SW_SHOW);
  SetForegroundWindow(game.window);
  PumpMessages();
  game.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!game.direct3d) {
    std::printf("Direct3DCreate9 failed\n");
    return false;
  }
  game.parameters.Windowed = TRUE;
  // COPY keeps the back buffer after Present, so that it can be read back.
  game.parameters.SwapEffect = D3DSWAPEFFECT_COPY;
  game.parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  game.parameters.BackBufferWidth = kWidth;
  game.parameters.BackBufferHeight = kHeight;
  game.parameters.hDeviceWindow = game.window;
  const HRESULT hr =
      game.direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, game.window,
                                  D3DCREATE_SOFTWARE_VERTEXPROCESSING, &game.parameters, &game.device);
  if (FAILED(hr)) {
    std::printf("CreateDevice failed: 0x%lX\n", static_cast<unsigned long>(hr));
    return false;
  }
  return true;
}

void CloseGame(Game& game) {
  if (game.device) game.device->Release();
  if (game.direct3d) game.direct3d->Release();
  if (game.window) DestroyWindow(game.window);
  game = Game{};
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HRESULT RenderFrame(Game& game) {
  PumpMessages();
  game.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
  game.device->BeginScene();
  DrawScene(game.device);
  const HRESULT hr = game.device->EndScene();
  game.device->Present(nullptr, nullptr, nullptr, nullptr);
  return hr;
}

void RenderFrames(Game& game, int count) {
  for (int i = 0; i < count; ++i) RenderFrame(game);
}

void PressKeyMessage(Game& game, WPARAM key) {
  PostMessageA(game.window, WM_KEYDOWN, key, 1);
  PostMessageA(game.window, WM_KEYUP, key, 0xC0000001);
  PumpMessages();
}

void MouseTo(Game& game, int x, int y, bool press) {
  POINT point{x, y};
  ClientToScreen(game.window, &point);
  SetCursorPos(point.x, point.y);
  PostMessageA(game.window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  RenderFrame(game);
  PostMessageA(game.window, press ? WM_LBUTTONDOWN : WM_LBUTTONUP, press ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  RenderFrame(game);
}

void HardwareKey(WORD key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof(input));
  PumpMessages();
}

namespace {

// The back buffer in a system-memory surface, or null.
IDirect3DSurface9* CopyBackBuffer(Game& game) {
  IDirect3DSurface9* back = nullptr;
  if (FAILED(game.device->GetRenderTarget(0, &back))) return nullptr;
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  IDirect3DSurface9* copy = nullptr;
  if (SUCCEEDED(game.device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                         D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
      FAILED(game.device->GetRenderTargetData(back, copy))) {
    copy->Release();
    copy = nullptr;
  }
  back->Release();
  return copy;
}

}  // namespace

// The PNG encoder of the system's own D3DX (Wine's builtin d3dx9_42, which
// the test run does not replace) writes the file.
bool SaveBackBuffer(Game& game, const std::string& path) {
  using Save = HRESULT(WINAPI*)(const char*, DWORD, IDirect3DSurface9*, const PALETTEENTRY*, const RECT*);
  HMODULE d3dx = LoadLibraryA("d3dx9_42.dll");
  auto save =
      d3dx ? reinterpret_cast<Save>(reinterpret_cast<void*>(GetProcAddress(d3dx, "D3DXSaveSurfaceToFileA")))
           : nullptr;
  IDirect3DSurface9* copy = CopyBackBuffer(game);
  const bool saved =
      save && copy && SUCCEEDED(save(path.c_str(), 3 /* D3DXIFF_PNG */, copy, nullptr, nullptr));
  if (copy) copy->Release();
  return saved;
}

std::vector<DWORD> ReadBackBuffer(Game& game) {
  std::vector<DWORD> pixels;
  IDirect3DSurface9* copy = CopyBackBuffer(game);
  if (!copy) return pixels;
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    for (int y = 0; y < kHeight; ++y) {
      const auto* row =
          reinterpret_cast<const DWORD*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < kWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
    }
    copy->UnlockRect();
  }
  copy->Release();
  return pixels;
}

int GameMouseMessages() {
  return gameMouseMessages;
}
