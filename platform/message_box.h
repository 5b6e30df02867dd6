#pragma once
#include <string>

namespace velmora {

// Modal message boxes with the platform's style numbers and answer codes, so
// that decisions can be tested without a window.
enum MessageStyle : unsigned {
  kOkOnly = 0,
  kCritical = 16,
  kExclamation = 48,
  kQuestion = 32,
  kYesNo = 4,
};
enum MessageAnswer : int { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

inline constexpr wchar_t kAppTitle[] = L"Velmora";

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // An empty caption shows the application's title, as the platform does.
  virtual int Show(const std::wstring& text, const std::wstring& caption,
                   unsigned style) = 0;
};

// Passes every box on and counts those open, so that work a timer starts can
// wait while the user answers one instead of stacking a second box on it.
class CountingMessageBoxes final : public MessageBoxes {
 public:
  explicit CountingMessageBoxes(MessageBoxes& inner) : inner_(inner) {}
  int Show(const std::wstring& text, const std::wstring& caption, unsigned style) override {
    struct Open {
      int& count;
      explicit Open(int& n) : count(++n) {}
      ~Open() { --count; }
    } open(open_);
    return inner_.Show(text, caption, style);
  }
  int open() const { return open_; }

 private:
  MessageBoxes& inner_;
  int open_ = 0;
};

}  // namespace velmora
