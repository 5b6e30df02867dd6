#pragma once
#include <functional>

#include "platform/failure.h"

namespace velmora::testing_support {

// The number of the Failure that running raises, or 0 when it raises none.
inline int FailureNumber(const std::function<void()>& run) {
  try {
    run();
  } catch (const Failure& failure) {
    return failure.number();
  }
  return 0;
}

}  // namespace velmora::testing_support
