#include "platform/picture_win.h"

#include <cstring>

namespace velmora {

Picture Picture::Create(int width, int height, int bitsPerPixel) {
  Picture p;
  if (width <= 0 || height <= 0 || (bitsPerPixel != 32 && bitsPerPixel != 24)) return p;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  // 24 bits: bottom-up, as the BMP file lays them out; 32 bits: top-down.
  info.bmiHeader.biHeight = bitsPerPixel == 24 ? height : -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  p.bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!p.bitmap_ || !bits) return Picture();
  p.width_ = width;
  p.height_ = height;
  p.bytesPerPixel_ = bitsPerPixel / 8;
  p.bits_ = static_cast<std::uint8_t*>(bits);
  return p;
}

Picture Picture::Clone() const {
  Picture copy = Create(width_, height_, bytesPerPixel_ * 8);
  if (copy) std::memcpy(copy.bits_, bits_, stride() * height_);
  return copy;
}

}  // namespace velmora
