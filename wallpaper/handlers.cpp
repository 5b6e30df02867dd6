#include "wallpaper/handlers.h"

#include "platform/file_names.h"
#include "platform/texts.h"

namespace velmora::wallpaper {
namespace {

// The key is the shell's: it is never made here, so a user whose shell has
// not made it yet is told how to get it.
std::wstring WhyNotWritten(long result) {
  switch (result) {
    case registry::kFileNotFound:
      return texts::kNoToolbarKey;
    case registry::kAccessDenied:
      return texts::kToolbarKeyDenied;
  }
  return texts::ToolbarNotChanged(result);
}

}  // namespace

void WallpaperHandlers::cmdOpenPicture_Click() {
  // A dialog that cannot be shown ends the handler quietly, as before; every
  // refusal of a chosen file says why.
  try {
    dialog_.FileName = view_.ProgramDirectory() + L"\\*.bmp";
    dialog_.Filter = texts::kBitmapFilter;
    dialog_.Option18 = true;
    dialog_.ShowOpen();
    if (dialog_.FileName.empty()) {
      view_.RefreshPreview();
      return;
    }
    const std::wstring why = Choose(dialog_.FileName);
    if (!why.empty()) boxes_.Show(why, texts::kErrorCaption, kExclamation);
  } catch (...) {
  }
}

std::wstring WallpaperHandlers::Choose(const std::wstring& path) {
  std::wstring why = WhyNotApplicable(path);
  if (why.empty()) {
    const std::wstring unreadable = view_.LoadChosenTiles(path);
    if (!unreadable.empty()) why = texts::BitmapUnreadable(path, unreadable);
  }
  if (!why.empty()) return why;
  chosen_ = path;
  view_.EnableApply();
  view_.RefreshPreview();
  return L"";
}

std::wstring WallpaperHandlers::WhyNotApplicable(const std::wstring& path) {
  if (path.empty()) return texts::kNoBitmapChosen;
  if (!HasBmpExtension(path)) {
    if (!HasBmpExtensionInAnyCase(path)) return texts::kOnlyBitmaps;
    return texts::BmpNotInLowerCase(FileNameOf(path));
  }
  if (path.size() > kLongestPath)
    return texts::PathTooLong(FileNameOf(path), path.size(), kLongestPath);
  if (!codec_.ToAnsiExact(path))
    return texts::PathNotInCodePage(path);
  if (!files_.IsOrdinaryFile(path))
    return texts::NoBitmapAt(path);
  const WallpaperView::Bitmap bitmap = view_.InspectBitmap(path);
  if (!bitmap.notBmp.empty()) return texts::NotUsable(path, bitmap.notBmp);
  // Apply writes what the preview shows, so a bitmap it cannot show is no choice.
  if (bitmap.width > static_cast<std::uint32_t>(kLargestTile) || bitmap.height > static_cast<std::uint32_t>(kLargestTile))
    return texts::BitmapTooLarge(path, bitmap.width, bitmap.height);
  return L"";
}

void WallpaperHandlers::Apply(Values values) {
  // The file may have gone or changed since it was chosen.
  const std::wstring why = WhyNotApplicable(chosen_);
  if (!why.empty()) {
    boxes_.Show(texts::NothingChanged(why), texts::kErrorCaption, kExclamation);
    return;
  }
  const long first = Write(values.first, chosen_);
  const long second = values.second ? Write(values.second, chosen_) : registry::kSuccess;
  if (first || second)
    boxes_.Show(texts::NotSet(WhyNotWritten(first ? first : second)), texts::kErrorCaption,
                kExclamation);
  view_.LoadCurrentWallpapers();
}

void WallpaperHandlers::cmdRemoveWallpaper_Click() {
  if (boxes_.Show(texts::kRemovePrompt, texts::kRemoveCaption, kYesNo | kQuestion) != kAnswerYes) return;
  const long first = Write(registry::kExplorerValue, L"");
  const long second = Write(registry::kIEOEValue, L"");
  if (first || second)
    boxes_.Show(texts::NotRemoved(WhyNotWritten(first ? first : second)), texts::kErrorCaption,
                kExclamation);
  view_.LoadCurrentWallpapers();
}

long WallpaperHandlers::Write(const wchar_t* value, const std::wstring& data) {
  registry_.WriteRegString(registry::kToolbarKeyPath, value, data);
  return registry_.LastWriteResult();
}

}  // namespace velmora::wallpaper
