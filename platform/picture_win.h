#pragma once
// A picture object: what the loader yields, what a picture box holds and
// what the BMP writer saves. Its pixels live in one DIB section, so GDI can
// copy from it directly: 32 bits a pixel (bytes B, G, R, X) in top-down rows,
// or 24 (B, G, R, rows padded to 4 bytes) in bottom-up rows, exactly as a
// 24-bit BMP file holds them, so a saver can write them out as they lie.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/handles_win.h"

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
  // Row y counted from the top; rows lie apart by stride() bytes, upward in
  // memory at 32 bits a pixel and downward at 24.
  std::uint8_t* row(int y) { return bits_ + RowOffset(y); }
  const std::uint8_t* row(int y) const { return bits_ + RowOffset(y); }
  // From a row's first byte to the next row's: -stride() at 24 bits a pixel.
  std::ptrdiff_t step() const {
    const auto s = static_cast<std::ptrdiff_t>(stride());
    return BottomUp() ? -s : s;
  }
  // At 24 bits a pixel, every row from the bottom one up, as one block of
  // stride() x height() bytes; otherwise null.
  const std::uint8_t* bottomUpRows() const { return BottomUp() ? bits_ : nullptr; }
  int bytesPerPixel() const { return bytesPerPixel_; }
  std::size_t stride() const { return (static_cast<std::size_t>(width_) * bytesPerPixel_ + 3) & ~std::size_t{3}; }

 private:
  UniqueBitmap bitmap_;
  int width_ = 0;
  int height_ = 0;
  int bytesPerPixel_ = 4;
  std::uint8_t* bits_ = nullptr;  // the lowest address of the block

  bool BottomUp() const { return bytesPerPixel_ == 3; }
  std::ptrdiff_t RowOffset(int y) const {
    return static_cast<std::ptrdiff_t>(BottomUp() ? height_ - 1 - y : y) * static_cast<std::ptrdiff_t>(stride());
  }
};

}  // namespace velmora
