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

// The screen's twips per pixel: 15 at 96 dots per inch, 12 at 120, 10 at 144.
struct TwipsPerPixel {
  float x = 15;
  float y = 15;
};

}  // namespace velmora
