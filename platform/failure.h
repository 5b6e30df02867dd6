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

// Every failure number the program raises. They are the older runtime's own
// error numbers, which its error reports have always shown.
inline constexpr int kOverflow = 6;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kDllNotLoaded = 48;   // "Error in loading DLL"
inline constexpr int kDialogError = 32755;  // the common-dialog control's own failure

}  // namespace velmora
