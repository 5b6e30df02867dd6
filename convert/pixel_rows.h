#pragma once
// Pixel rows as the decoders hand them over, turned into a picture's rows:
// B, G, R and a fourth byte of 0 (as GDI leaves it in a 32-bit DIB), or B, G,
// R alone, with every transparent pixel laid over white.
#include <cstddef>
#include <cstdint>

namespace velmora::convert {

// Straight (not premultiplied) B, G, R, A over white, in place; the fourth
// byte becomes 0. Each channel c at alpha a becomes
// (c * a + 255 * (255 - a)) / 255, rounded to nearest.
void CompositeOverWhite(std::uint8_t* first, unsigned rows, unsigned width, std::size_t stride);

// Rows already composited (fourth byte 0) into picture rows `step` bytes
// apart, each pixel `bytesPerPixel` (4 or 3) long.
void StoreRows(const std::uint8_t* strip, std::size_t stripStride, unsigned rows, unsigned width,
               std::uint8_t* first, std::ptrdiff_t step, int bytesPerPixel);

}  // namespace velmora::convert
