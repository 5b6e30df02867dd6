#include <windows.h>

#include "platform/newer_api_win.h"
#include "platform/screen.h"

namespace velmora {

Screen ReadScreen() {
  Screen screen;
  if (HDC dc = GetDC(nullptr)) {
    screen.ppi = GetDeviceCaps(dc, LOGPIXELSX);
    const int ppiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    if (screen.ppi <= 0) screen.ppi = 96;
    screen.tpp.x = 1440.0f / screen.ppi;
    screen.tpp.y = 1440.0f / (ppiY > 0 ? ppiY : screen.ppi);
  }
  return screen;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto forWindow = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (forWindow)
    if (const UINT dpi = forWindow(window); dpi > 0) return static_cast<int>(dpi);
  return ReadScreen().ppi;
}

}  // namespace velmora
