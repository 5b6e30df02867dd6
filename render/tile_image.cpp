#include "render/tile_image.h"

#include <climits>
#include <cstdint>

#include "platform/failure.h"
#include "render/round_to_int32.h"

namespace velmora::render {
namespace {

// Integer division truncating toward zero, failing where it has no result
// instead of leaving it to undefined behaviour.
int Divide(int dividend, int divisor) {
  if (divisor == 0) throw Failure(kDivisionByZero, "Division by zero");
  if (dividend == INT_MIN && divisor == -1) throw Failure(kOverflow, "Overflow");
  return dividend / divisor;
}

// A whole figure (15, 12 or 10 twips a pixel) divides whole twips exactly.
// At 175, 200 or 225 % scaling the figure is 8.57, 7.5 or 6.67: rounded to a
// whole number first, it lost a pixel in every eight, so a tile missed its
// last column and the preview its right-hand edge. There the size divides by
// the figure as it is, which gives a box sized in pixels its own pixels back.
int Pixels(double twips, float twipsPerPixel) {
  if (!(twipsPerPixel > 0)) throw Failure(kDivisionByZero, "Division by zero");
  const int whole = RoundToInt32(twipsPerPixel);
  if (static_cast<float>(whole) == twipsPerPixel) return Divide(RoundToInt32(twips), whole);
  return RoundToInt32(twips / twipsPerPixel);
}

// The copy takes its position and size as 16-bit values.
int Narrow(std::int64_t value) {
  if (value < -kLargestTile - 1 || value > kLargestTile) throw Failure(kOverflow, "Overflow");
  return static_cast<int>(value);
}

}  // namespace

void TileImage(Gdi& gdi, DcHandle destDC, const PictureSurface& source,
               float destWidth, float destHeight, TwipsPerPixel twipsPerPixel) {
  const int w = Pixels(source.Width(), twipsPerPixel.x);
  const int h = Pixels(source.Height(), twipsPerPixel.y);
  const int W = Pixels(destWidth, twipsPerPixel.x);
  const int H = Pixels(destHeight, twipsPerPixel.y);
  // A zero step would never leave the loop; a negative one has no tile to copy.
  if (w <= 0 || h <= 0) return;

  // 64-bit counters: the narrowing fails long before a 32-bit one could wrap.
  for (std::int64_t y = 0; y <= H; y += h) {
    for (std::int64_t x = 0; x <= W; x += w) {
      // Read afresh for each copy: a picture box may hand out another context.
      const DcHandle src = source.hdc();
      const int nx = Narrow(x), ny = Narrow(y), nw = Narrow(w), nh = Narrow(h);
      gdi.BitBlt(destDC, nx, ny, nw, nh, src, 0, 0, kSrcCopy);
    }
  }
}

}  // namespace velmora::render
