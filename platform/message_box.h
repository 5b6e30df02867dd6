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

}  // namespace velmora
