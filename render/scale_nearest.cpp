#include "render/scale_nearest.h"

#include <cstring>

namespace velmora::render {

void ScaleNearest(const std::uint8_t* source, int sourceWidth, int sourceHeight, std::size_t sourceStride,
                  std::uint8_t* target, int targetWidth, int targetHeight, std::size_t targetStride) {
  if (sourceWidth <= 0 || sourceHeight <= 0) return;
  for (int y = 0; y < targetHeight; ++y) {
    // The centre of target row y, (y + 1/2) * sh / th, in integers.
    const long long sy = (2LL * y + 1) * sourceHeight / (2LL * targetHeight);
    const std::uint8_t* from = source + static_cast<std::size_t>(sy) * sourceStride;
    std::uint8_t* to = target + static_cast<std::size_t>(y) * targetStride;
    for (int x = 0; x < targetWidth; ++x) {
      const long long sx = (2LL * x + 1) * sourceWidth / (2LL * targetWidth);
      std::memcpy(to + 4 * x, from + 4 * sx, 4);
    }
  }
}

}  // namespace velmora::render
