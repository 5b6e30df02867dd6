#pragma once
#include <cstddef>
#include <cstdint>

namespace velmora::render {

// Scales 32-bit pixels by picking, for each target pixel, the source pixel
// under its centre: no pixel is blended with another, so a colour key stays
// exactly the key at any scale. Strides are in bytes.
void ScaleNearest(const std::uint8_t* source, int sourceWidth, int sourceHeight, std::size_t sourceStride,
                  std::uint8_t* target, int targetWidth, int targetHeight, std::size_t targetStride);

}  // namespace velmora::render
