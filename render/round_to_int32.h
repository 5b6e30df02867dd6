#pragma once

namespace velmora::render {

// A size or position as a signed 32-bit integer: the nearest integer, a tie
// going to the even neighbour (2.5 gives 2, 3.5 gives 4, 487.5 gives 488).
// Outside the 32-bit range, or not a number: Failure(kOverflow).
int RoundToInt32(double value);

}  // namespace velmora::render
