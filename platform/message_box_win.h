#pragma once
#include <windows.h>

#include "platform/fresh_keys_win.h"
#include "platform/message_box.h"

namespace velmora {

class WindowMessageBoxes final : public MessageBoxes {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  int Show(const std::wstring& text, const std::wstring& caption, unsigned style) override {
    FreshKeysOnly fresh;
    return MessageBoxW(owner_, FitForBox(text).c_str(), caption.empty() ? kAppTitle : caption.c_str(), style);
  }

 private:
  HWND owner_ = nullptr;
};

}  // namespace velmora
