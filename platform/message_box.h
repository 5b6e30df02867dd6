#pragma once
#include <cstddef>
#include <string>

namespace velmora {

// Modal message boxes with the platform's style numbers and answer codes, so
// that decisions can be tested without a window.
enum MessageStyle : unsigned {
  kOkOnly = 0,
  kCritical = 16,
  kExclamation = 48,
  kInformation = 64,
  kQuestion = 32,
  kYesNo = 4,
};
enum MessageAnswer : int { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

inline constexpr wchar_t kAppTitle[] = L"Velmora";

// A box grows as wide as its longest word, and as tall as its lines: a path
// of 1,024 characters made one 6,106 pixels wide, its OK button off the
// screen. Every run of characters without a blank longer than kLongestRun,
// and then every line longer than kLongestLine, is cut in its middle, so
// that both ends of a path (its drive and its file name) still show.
inline constexpr std::size_t kLongestRun = 64;
inline constexpr std::size_t kLongestLine = 480;

inline std::wstring CutInTheMiddle(const std::wstring& text, std::size_t longest) {
  if (text.size() <= longest) return text;
  const std::size_t head = (longest - 1) / 3;  // the end, with the file name, gets more
  return text.substr(0, head) + L"\u2026" + text.substr(text.size() - (longest - 1 - head));
}

inline std::wstring FitForBox(const std::wstring& text) {
  std::wstring out, line, run;
  const auto endRun = [&] { line += CutInTheMiddle(run, kLongestRun); run.clear(); };
  const auto endLine = [&] { endRun(); out += CutInTheMiddle(line, kLongestLine); line.clear(); };
  for (const wchar_t c : text) {
    if (c == L'\n' || c == L'\r') {
      endLine();
      out += c;
    } else if (c == L' ' || c == L'\t') {
      endRun();
      line += c;
    } else {
      run += c;
    }
  }
  endLine();
  return out;
}

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // An empty caption shows the application's title, as the platform does.
  virtual int Show(const std::wstring& text, const std::wstring& caption,
                   unsigned style) = 0;
};

// Shows nothing: answers as a user reading each box would, and counts the
// boxes it held back, for a caller that tells the user later or not at all.
class HeldMessageBoxes final : public MessageBoxes {
 public:
  int Show(const std::wstring&, const std::wstring&, unsigned) override {
    ++held_;
    return kAnswerOk;
  }
  int held() const { return held_; }

 private:
  int held_ = 0;
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
