#pragma once
// While a message box, a file dialog or a popup menu is open, a key that was
// already down when it appeared reaches it only once it has been let go and
// pressed again. A held Enter presses a button once; without this its
// repeats went on to answer the box that the button opened, whose default
// is Yes.
#include <windows.h>

#include <bitset>

namespace velmora {

class FreshKeysOnly {
 public:
  FreshKeysOnly();  // for the modal loops of the calling thread
  ~FreshKeysOnly();
  FreshKeysOnly(const FreshKeysOnly&) = delete;
  FreshKeysOnly& operator=(const FreshKeysOnly&) = delete;

 private:
  static LRESULT CALLBACK Filter(int code, WPARAM wp, LPARAM lp);

  HHOOK hook_ = nullptr;
  FreshKeysOnly* outer_;     // a box opened from inside another's loop
  std::bitset<256> held_;    // virtual keys down when it appeared, not yet let go
};

}  // namespace velmora
