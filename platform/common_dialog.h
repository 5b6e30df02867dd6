#pragma once
#include <string>

namespace velmora {

// The window's one Open and Save dialog. FileName is written before a dialog
// and holds the chosen path after it, or the empty text when the user
// cancelled. Filter is "description|pattern|description|pattern...".
class CommonDialog {
 public:
  virtual ~CommonDialog() = default;
  virtual void ShowOpen() = 0;
  virtual void ShowSave() = 0;

  std::wstring FileName;
  std::wstring Filter;
  bool Option18 = false;         // kept for the callers that set it; changes nothing here
  bool OverwritePrompt = false;  // the Save dialog asks before replacing a file
};

}  // namespace velmora
