#include "render/round_to_int32.h"

#include <cmath>

#include "platform/failure.h"

namespace velmora::render {

int RoundToInt32(double value) {
  // Written out rather than std::nearbyint, whose result follows whatever
  // rounding mode the floating-point environment happens to be in.
  const double below = std::floor(value);
  const double fraction = value - below;
  double nearest = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) nearest = below + 1.0;
  // The test is written so that a NaN fails it too.
  if (!(nearest >= -2147483648.0 && nearest <= 2147483647.0)) throw Failure(kOverflow, "Overflow");
  return static_cast<int>(nearest);
}

}  // namespace velmora::render
