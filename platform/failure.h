#pragma once
#include <stdexcept>
#include <string>

namespace velmora {

// A failure raised by a handler's step and not caught by it: the window's
// dispatch point reports it by number and description and goes on.
class Failure : public std::runtime_error {
 public:
  Failure(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

inline constexpr int kOverflow = 6;
inline constexpr int kFileNotFound = 53;
inline constexpr int kInvalidPicture = 481;

}  // namespace velmora
