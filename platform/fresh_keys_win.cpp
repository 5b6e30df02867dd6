#include "platform/fresh_keys_win.h"

namespace velmora {
namespace {

// The window's one thread opens every box, dialog and menu.
FreshKeysOnly* innermost = nullptr;

}  // namespace

FreshKeysOnly::FreshKeysOnly() : outer_(innermost) {
  for (int key = 0; key < 256; ++key)
    if (key != VK_LBUTTON && key != VK_RBUTTON && key != VK_MBUTTON && (GetKeyState(key) & 0x8000)) held_.set(key);
  // Box, dialog and menu loops all pass each message through the thread's
  // message filter before they act on it.
  hook_ = SetWindowsHookExW(WH_MSGFILTER, &FreshKeysOnly::Filter, nullptr, GetCurrentThreadId());
  innermost = this;
}

FreshKeysOnly::~FreshKeysOnly() {
  innermost = outer_;
  if (hook_) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK FreshKeysOnly::Filter(int code, WPARAM wp, LPARAM lp) {
  const MSG* msg = reinterpret_cast<const MSG*>(lp);
  if (code >= 0 && innermost && msg) {
    const std::size_t key = msg->wParam & 0xFF;
    switch (msg->message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (!innermost->held_.test(key)) break;
        // A repeat says the key was already down. A press that does not is
        // new: Wine was seen to lose the release of the Enter that closed a
        // file dialog, the key state stayed down, and the user's next Enter
        // came as a fresh press.
        if (msg->lParam & (1 << 30)) return TRUE;
        innermost->held_.reset(key);
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (innermost->held_.test(key)) {  // from now on this key counts
          innermost->held_.reset(key);
          return TRUE;
        }
        break;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace velmora
