#include "convert/pixel_rows.h"

#include <cstring>

namespace velmora::convert {

void CompositeOverWhite(std::uint8_t* first, unsigned rows, unsigned width, std::size_t stride) {
  for (unsigned y = 0; y < rows; ++y) {
    std::uint8_t* p = first + y * stride;
    for (unsigned x = 0; x < width; ++x, p += 4) {
      const unsigned a = p[3];
      if (a == 0) {
        p[0] = p[1] = p[2] = 255;
      } else if (a != 255) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + 255 * (255 - a) + 127) / 255);
      }
      p[3] = 0;
    }
  }
}

void StoreRows(const std::uint8_t* strip, std::size_t stripStride, unsigned rows, unsigned width,
               std::uint8_t* first, std::ptrdiff_t step, int bytesPerPixel) {
  for (unsigned r = 0; r < rows; ++r) {
    const std::uint8_t* s = strip + r * stripStride;
    std::uint8_t* d = first + static_cast<std::ptrdiff_t>(r) * step;
    if (bytesPerPixel == 4) {
      std::memcpy(d, s, std::size_t(width) * 4);
      continue;
    }
    for (unsigned x = 0; x < width; ++x, s += 4, d += 3) std::memcpy(d, s, 3);
  }
}

}  // namespace velmora::convert
