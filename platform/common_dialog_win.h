#pragma once
#include <windows.h>

#include "platform/common_dialog.h"

namespace velmora {

// Over the system's Unicode Open and Save dialogs.
class SystemCommonDialog final : public CommonDialog {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowOpen() override { Show(false); }
  void ShowSave() override { Show(true); }

 private:
  void Show(bool save);
  HWND owner_ = nullptr;
};

}  // namespace velmora
