#pragma once
#include <string>

#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "wallpaper/status.h"

namespace velmora::convert {

// What the converter's two buttons need of the window.
class ConverterView {
 public:
  virtual ~ConverterView() = default;
  // Load the picture into the preview image; the empty text or why not.
  virtual std::wstring LoadPreview(const std::wstring& path) = 0;
  virtual bool HasPreviewPicture() const = 0;
  // Save the preview's whole picture as a BMP file; the empty text or why not.
  virtual std::wstring SavePreview(const std::wstring& path) = 0;
};

class ConverterHandlers {
 public:
  ConverterHandlers(CommonDialog& dialog, MessageBoxes& boxes,
                    const wallpaper::FileSystem& files, ConverterView& view)
      : dialog_(dialog), boxes_(boxes), files_(files), view_(view) {}

  void cmdOpenGIFJPEG_Click();
  void cmdSaveAsBitmap_Click();

 private:
  CommonDialog& dialog_;
  MessageBoxes& boxes_;
  const wallpaper::FileSystem& files_;
  ConverterView& view_;
};

}  // namespace velmora::convert
