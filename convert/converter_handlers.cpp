#include "convert/converter_handlers.h"

#include "platform/file_names.h"

namespace velmora::convert {

void ConverterHandlers::cmdOpenGIFJPEG_Click() {
  dialog_.FileName.clear();
  dialog_.Filter =
      L"Graphics Interchange Format (*.gif)|*.gif|JPEG (*.jpg,*.jpeg)|*.jpg;*.jpeg";
  dialog_.ShowOpen();
  if (dialog_.FileName.empty()) return;
  OpenPicture(dialog_.FileName);
}

bool ConverterHandlers::OpenPicture(const std::wstring& path) {
  dialog_.FileName = path;
  const std::wstring error = view_.LoadPreview(path);
  if (error.empty()) return true;
  boxes_.Show(L"The picture \"" + path + L"\" could not be opened.\r\n\r\n" + error +
                  L"\r\n\r\nThe preview keeps the picture it showed before.",
              L"Error", kExclamation);
  return false;
}

void ConverterHandlers::cmdSaveAsBitmap_Click() {
  // Asked before the dialog, so nobody picks a name only to be refused.
  if (!view_.HasPreviewPicture()) {
    boxes_.Show(L"There is no picture to save yet. Open a GIF or JPEG picture with "
                L"\"Open a GIF / JPEG\" first.",
                L"Error", kExclamation);
    return;
  }
  dialog_.FileName.clear();
  dialog_.Filter = L"Bitmap (*.bmp)|*.bmp";
  dialog_.OverwritePrompt = true;
  dialog_.ShowSave();
  if (dialog_.FileName.empty()) return;
  const std::wstring named = WithBmpExtension(dialog_.FileName);
  if (named != dialog_.FileName) {
    dialog_.FileName = named;
    // The dialog asked about the name that was typed, not about this one.
    if (files_.IsOrdinaryFile(dialog_.FileName) &&
        boxes_.Show(L"\"" + dialog_.FileName + L"\" already exists.\r\n\r\nDo you want to replace it?",
                    L"Save as BMP", kYesNo | kExclamation) != kAnswerYes) {
      return;
    }
  }
  const std::wstring error = view_.SavePreview(dialog_.FileName);
  if (!error.empty()) {
    boxes_.Show(L"The BMP file \"" + dialog_.FileName + L"\" could not be saved.\r\n\r\n" + error,
                L"Error", kExclamation);
    return;
  }
  // Converting is how a GIF or JPEG becomes a wallpaper: what was just saved
  // is what "Apply wallpaper" applies next.
  const std::wstring why = view_.ChooseBitmap(dialog_.FileName);
  if (!why.empty()) {
    boxes_.Show(L"\"" + dialog_.FileName + L"\" was saved, but it cannot become the toolbar wallpaper.\r\n\r\n" +
                    why,
                L"Save as BMP", kExclamation);
  }
}

}  // namespace velmora::convert
