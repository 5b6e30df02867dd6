#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace velmora::fakes {

// Records every box and answers from a script (OK when the script is empty).
class FakeMessageBoxes final : public MessageBoxes {
 public:
  struct Shown { std::wstring text, caption; unsigned style; };
  int Show(const std::wstring& text, const std::wstring& caption, unsigned style) override {
    shown.push_back({text, caption, style});
    if (answers.empty()) return kAnswerOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<Shown> shown;
  std::deque<int> answers;
};

}  // namespace velmora::fakes
