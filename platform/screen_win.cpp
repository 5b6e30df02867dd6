#include <windows.h>

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

}  // namespace velmora
