#pragma once
#include "platform/surface.h"

namespace velmora {

// The screen's density, read once at start-up: pixels per inch and the
// twips per pixel that the drawing code works with.
struct Screen {
  int ppi = 96;
  TwipsPerPixel tpp;
};
Screen ReadScreen();

// Twips to pixels, rounding halves away from zero as MulDiv does.
constexpr int TwipsToPixels(int twips, int ppi) {
  const long long n = 1LL * twips * ppi;
  return static_cast<int>(n >= 0 ? (n + 720) / 1440 : -((-n + 720) / 1440));
}

}  // namespace velmora
