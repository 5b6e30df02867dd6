#include "render/tile_image.h"

#include <climits>
#include <cstdint>

#include "platform/failure.h"
#include "render/round_to_int32.h"

namespace velmora::render {
namespace {

constexpr int kDivisionByZero = 11;

// Integer division truncating toward zero, failing where it has no result
// instead of leaving it to undefined behaviour.
int Divide(int dividend, int divisor) {
  if (divisor == 0) throw Failure(kDivisionByZero, "Division by zero");
  if (dividend == INT_MIN && divisor == -1) throw Failure(kOverflow, "Overflow");
  return dividend / divisor;
}

int Pixels(double twips, int twipsPerPixel) {
  return Divide(RoundToInt32(twips), twipsPerPixel);
}

// The copy takes its position and size as 16-bit values.
int Narrow(std::int64_t value) {
  if (value < INT16_MIN || value > INT16_MAX) throw Failure(kOverflow, "Overflow");
  return static_cast<int>(value);
}

}  // namespace

void TileImage(Gdi& gdi, DcHandle destDC, const PictureSurface& source,
               float destWidth, float destHeight, TwipsPerPixel twipsPerPixel) {
  const int tx = RoundToInt32(twipsPerPixel.x);
  const int w = Pixels(source.Width(), tx);
  const int ty = RoundToInt32(twipsPerPixel.y);
  const int h = Pixels(source.Height(), ty);
  const int W = Pixels(destWidth, tx);
  const int H = Pixels(destHeight, ty);
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
