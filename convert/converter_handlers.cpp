#include "convert/converter_handlers.h"

#include "platform/file_names.h"
#include "platform/texts.h"

namespace velmora::convert {

void ConverterHandlers::cmdOpenGIFJPEG_Click() {
  dialog_.FileName.clear();
  dialog_.Filter = texts::kPictureFilter;
  dialog_.ShowOpen();
  if (dialog_.FileName.empty()) return;
  OpenPicture(dialog_.FileName);
}

bool ConverterHandlers::OpenPicture(const std::wstring& path) {
  dialog_.FileName = path;
  const std::wstring error = view_.LoadPreview(path);
  if (error.empty()) return true;
  boxes_.Show(texts::PictureNotOpened(path, error), texts::kErrorCaption, kExclamation);
  return false;
}

void ConverterHandlers::cmdSaveAsBitmap_Click() {
  // Asked before the dialog, so nobody picks a name only to be refused.
  if (!view_.HasPreviewPicture()) {
    boxes_.Show(texts::kNothingToSaveYet, texts::kErrorCaption, kExclamation);
    return;
  }
  dialog_.FileName.clear();
  dialog_.Filter = texts::kBitmapFilter;
  dialog_.OverwritePrompt = true;
  dialog_.ShowSave();
  if (dialog_.FileName.empty()) return;
  const std::wstring named = WithBmpExtension(dialog_.FileName);
  if (named != dialog_.FileName) {
    dialog_.FileName = named;
    // The dialog asked about the name that was typed, not about this one.
    if (files_.IsOrdinaryFile(dialog_.FileName) &&
        boxes_.Show(texts::ReplaceQuestion(dialog_.FileName), texts::kSaveCaption, kYesNo | kExclamation) !=
            kAnswerYes) {
      return;
    }
  }
  const std::wstring error = view_.SavePreview(dialog_.FileName);
  if (!error.empty()) {
    boxes_.Show(texts::NotSaved(dialog_.FileName, error), texts::kErrorCaption, kExclamation);
    return;
  }
  // Converting is how a GIF or JPEG becomes a wallpaper: what was just saved
  // is what "Apply wallpaper" applies next.
  const std::wstring why = view_.ChooseBitmap(dialog_.FileName);
  if (!why.empty()) {
    boxes_.Show(texts::SavedButNotChosen(dialog_.FileName, why), texts::kSaveCaption, kExclamation);
  }
}

}  // namespace velmora::convert
