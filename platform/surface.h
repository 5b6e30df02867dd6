#pragma once
#include <cstdint>

namespace velmora {

using DcHandle = std::uintptr_t;  // an HDC, kept portable for the drawing logic

// What the drawing code asks of a picture box: its outer size in twips and
// the device context that holds its persistent image.
class PictureSurface {
 public:
  virtual ~PictureSurface() = default;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual DcHandle hdc() const = 0;
};

// Drawing copies take their positions and sizes as 16-bit values, so a
// picture wider or higher than this cannot be tiled.
inline constexpr int kLargestTile = 32767;

// The screen's twips per pixel: 15 at 96 dots per inch, 12 at 120, 10 at 144.
struct TwipsPerPixel {
  float x = 15;
  float y = 15;
};

}  // namespace velmora
