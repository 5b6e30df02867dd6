#pragma once
#include <string>

#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "platform/file_system.h"

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
  // Makes a saved BMP file the chosen wallpaper bitmap, as "Open a bitmap"
  // would; the empty text, or why it cannot be.
  virtual std::wstring ChooseBitmap(const std::wstring& path) = 0;
};

class ConverterHandlers {
 public:
  ConverterHandlers(CommonDialog& dialog, MessageBoxes& boxes,
                    const FileSystem& files, ConverterView& view)
      : dialog_(dialog), boxes_(boxes), files_(files), view_(view) {}

  void cmdOpenGIFJPEG_Click();
  // Shows the picture as "Open a GIF / JPEG" does once its dialog has
  // answered, or says why not; for a file handed over by the shell. True
  // when it is shown.
  bool OpenPicture(const std::wstring& path);
  void cmdSaveAsBitmap_Click();

 private:
  CommonDialog& dialog_;
  MessageBoxes& boxes_;
  const FileSystem& files_;
  ConverterView& view_;
};

}  // namespace velmora::convert
