#include "wallpaper/handlers.h"

#include "platform/file_names.h"

namespace velmora::wallpaper {
namespace {

constexpr wchar_t kOnlyBitmaps[] =
    L"You can only use bitmap format files for toolbar backgrounds, sorry.";
constexpr wchar_t kRemovePrompt[] =
    L"Are you sure you wish to remove toolbar wallpaper from Explorer, "
    L"Internet Explorer and Outlook Express?";

// The key is the shell's: it is never made here, so a user whose shell has
// not made it yet is told how to get it.
std::wstring WhyNotWritten(long result) {
  switch (result) {
    case registry::kFileNotFound:
      return L"The toolbar settings do not exist yet for this user. Windows makes them the first time "
             L"Internet Explorer or Windows Explorer opens a window: open one, close it, and try again.";
    case registry::kAccessDenied:
      return L"Windows does not allow Velmora to change the toolbar settings of this user. Ask the "
             L"computer's administrator to allow it, or log on as the user whose toolbars these are.";
  }
  return L"The toolbar settings could not be changed (Windows error " + std::to_wstring(result) + L").";
}

}  // namespace

void WallpaperHandlers::cmdOpenPicture_Click() {
  // A dialog that cannot be shown ends the handler quietly, as before; every
  // refusal of a chosen file says why.
  try {
    dialog_.FileName = view_.ProgramDirectory() + L"\\*.bmp";
    dialog_.Filter = L"Bitmap (*.bmp)|*.bmp";
    dialog_.Option18 = true;
    dialog_.ShowOpen();
    if (dialog_.FileName.empty()) {
      view_.RefreshPreview();
      return;
    }
    const std::wstring why = Choose(dialog_.FileName);
    if (!why.empty()) boxes_.Show(why, L"Error", kExclamation);
  } catch (...) {
  }
}

std::wstring WallpaperHandlers::Choose(const std::wstring& path) {
  std::wstring why = WhyNotApplicable(path);
  if (why.empty()) {
    const std::wstring unreadable = view_.LoadChosenTiles(path);
    if (!unreadable.empty()) why = L"The bitmap \"" + path + L"\" cannot be read as a picture. " + unreadable;
  }
  if (!why.empty()) return why;
  chosen_ = path;
  view_.EnableApply();
  view_.RefreshPreview();
  return L"";
}

std::wstring WallpaperHandlers::WhyNotApplicable(const std::wstring& path) {
  if (path.empty()) return L"No bitmap has been chosen. Choose one with \"Open a bitmap\" first.";
  if (!HasBmpExtension(path)) {
    if (!HasBmpExtensionInAnyCase(path)) return kOnlyBitmaps;
    return std::wstring(kOnlyBitmaps) + L"\r\n\r\nVelmora takes only names that end in \".bmp\" written in "
           L"lower case. Rename \"" + FileNameOf(path) + L"\" so that it ends in \".bmp\" and open it again.";
  }
  if (path.size() > kLongestPath)
    return L"The path of \"" + FileNameOf(path) + L"\" is " + std::to_wstring(path.size()) +
           L" characters long; the toolbar settings take at most " + std::to_wstring(kLongestPath) +
           L". Move the bitmap to a folder with a shorter path and open it again.";
  if (!codec_.ToAnsiExact(path))
    return L"The path \"" + path + L"\" holds characters that the toolbar settings "
           L"cannot store on this system. Move or rename the bitmap so that its path "
           L"uses only characters of the system's code page, then open it again.";
  if (!files_.IsOrdinaryFile(path))
    return L"There is no bitmap file at \"" + path + L"\". Choose another with \"Open a bitmap\".";
  const WallpaperView::Bitmap bitmap = view_.InspectBitmap(path);
  if (!bitmap.notBmp.empty()) return L"Windows cannot use \"" + path + L"\" as a toolbar wallpaper. " + bitmap.notBmp;
  // Apply writes what the preview shows, so a bitmap it cannot show is no choice.
  if (bitmap.width > static_cast<std::uint32_t>(kLargestTile) || bitmap.height > static_cast<std::uint32_t>(kLargestTile))
    return L"The bitmap \"" + path + L"\" is " + std::to_wstring(bitmap.width) + L" x " +
           std::to_wstring(bitmap.height) + L" pixels. " + kTooLargeToTile + L" Choose a smaller bitmap.";
  return L"";
}

void WallpaperHandlers::Apply(Values values) {
  // The file may have gone or changed since it was chosen.
  const std::wstring why = WhyNotApplicable(chosen_);
  if (!why.empty()) {
    boxes_.Show(why + L"\r\n\r\nNothing was changed.", L"Error", kExclamation);
    return;
  }
  const long first = Write(values.first, chosen_);
  const long second = values.second ? Write(values.second, chosen_) : registry::kSuccess;
  if (first || second)
    boxes_.Show(L"The toolbar wallpaper was not set. " + WhyNotWritten(first ? first : second), L"Error",
                kExclamation);
  view_.LoadCurrentWallpapers();
}

void WallpaperHandlers::cmdRemoveWallpaper_Click() {
  if (boxes_.Show(kRemovePrompt, L"Really?", kYesNo | kQuestion) != kAnswerYes) return;
  const long first = Write(registry::kExplorerValue, L"");
  const long second = Write(registry::kIEOEValue, L"");
  if (first || second)
    boxes_.Show(L"The toolbar wallpaper was not removed. " + WhyNotWritten(first ? first : second), L"Error",
                kExclamation);
  view_.LoadCurrentWallpapers();
}

long WallpaperHandlers::Write(const wchar_t* value, const std::wstring& data) {
  registry_.WriteRegString(registry::kToolbarKeyPath, value, data);
  return registry_.LastWriteResult();
}

}  // namespace velmora::wallpaper
