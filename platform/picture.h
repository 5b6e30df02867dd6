#pragma once
// A picture object: what the loader yields, what a picture box holds and
// what the BMP writer saves. Its pixels live in one top-down DIB section, so
// GDI can copy from it directly: 32 bits a pixel (bytes B, G, R, X), or 24
// (B, G, R, rows padded to 4 bytes, as a BMP file holds them).
#include <windows.h>

#include <cstdint>

#include "platform/handles.h"

namespace velmora {

class Picture {
 public:
  Picture() = default;
  // A picture of the given size with every pixel black; empty if GDI refuses.
  // bitsPerPixel is 32 or 24.
  static Picture Create(int width, int height, int bitsPerPixel = 32);
  // A separate picture with the same pixels.
  Picture Clone() const;

  explicit operator bool() const { return static_cast<bool>(bitmap_); }
  int width() const { return width_; }
  int height() const { return height_; }
  HBITMAP bitmap() const { return bitmap_.get(); }
  std::uint8_t* row(int y) { return bits_ + static_cast<std::size_t>(y) * stride(); }
  const std::uint8_t* row(int y) const { return bits_ + static_cast<std::size_t>(y) * stride(); }
  int bytesPerPixel() const { return bytesPerPixel_; }
  std::size_t stride() const { return (static_cast<std::size_t>(width_) * bytesPerPixel_ + 3) & ~std::size_t{3}; }

 private:
  UniqueBitmap bitmap_;
  int width_ = 0;
  int height_ = 0;
  int bytesPerPixel_ = 4;
  std::uint8_t* bits_ = nullptr;
};

}  // namespace velmora
