#pragma once
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/common_dialog.h"

namespace velmora::fakes {

// Each Show takes the next scripted answer: the path the user chose, the
// empty text for a cancel, or kFail for a dialog that cannot be shown.
class FakeDialog final : public CommonDialog {
 public:
  static constexpr const wchar_t* kFail = L"<fail>";
  struct Shown { bool save; std::wstring presetName, filter; bool overwritePrompt; };
  void ShowOpen() override { Show(false); }
  void ShowSave() override { Show(true); }
  std::deque<std::wstring> answers;
  std::vector<Shown> shown;

 private:
  void Show(bool save) {
    shown.push_back({save, FileName, Filter, OverwritePrompt});
    std::wstring answer = answers.empty() ? L"" : answers.front();
    if (!answers.empty()) answers.pop_front();
    if (answer == kFail) throw std::runtime_error("dialog failed");
    FileName = answer;
  }
};

}  // namespace velmora::fakes
