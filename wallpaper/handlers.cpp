#include "wallpaper/handlers.h"

#include "convert/bmp_name.h"

namespace velmora::wallpaper {
namespace {

constexpr wchar_t kOnlyBitmaps[] =
    L"You can only use bitmap format files for toolbar backgrounds, sorry.";
constexpr wchar_t kRemovePrompt[] =
    L"Are you sure you wish to remove toolbar wallpaper from Explorer, "
    L"Internet Explorer and Outlook Express?";

}  // namespace

void WallpaperHandlers::cmdOpenPicture_Click() {
  // Any failure on the way ends the handler quietly: a cancelled or failed
  // choice leaves the preview and "Apply wallpaper" as they were.
  try {
    dialog_.FileName = view_.ProgramDirectory() + L"\\*.bmp";
    dialog_.Filter = L"Bitmap (*.bmp)|*.bmp";
    dialog_.Option18 = true;
    dialog_.ShowOpen();
    if (!dialog_.FileName.empty()) {
      if (!convert::HasBmpExtension(dialog_.FileName)) {
        boxes_.Show(kOnlyBitmaps, L"Error", kExclamation);
        return;
      }
      if (!view_.LoadTileImage(Family::Explorer, dialog_.FileName).empty()) return;
      if (!view_.LoadTileImage(Family::IEOE, dialog_.FileName).empty()) return;
      view_.EnableApply();
    }
    view_.RefreshPreview();
  } catch (...) {
  }
}

std::wstring WallpaperHandlers::WhyNotApplicable(const std::wstring& path) {
  if (path.empty())
    return L"No bitmap has been chosen. Choose one with \"Open a bitmap\" first; "
           L"nothing was changed.";
  if (!convert::HasBmpExtension(path))
    return L"\"" + path + L"\" is not a bitmap file, so Windows cannot use it as a "
           L"toolbar wallpaper. Choose a file whose name ends in .bmp with "
           L"\"Open a bitmap\"; nothing was changed.";
  if (!codec_.ToAnsiExact(path))
    return L"The path \"" + path + L"\" holds characters that the toolbar settings "
           L"cannot store on this system. Move or rename the bitmap so that its path "
           L"uses only characters of the system's code page, then open it again; "
           L"nothing was changed.";
  if (!files_.IsOrdinaryFile(path))
    return L"The bitmap \"" + path + L"\" no longer exists. Choose another with "
           L"\"Open a bitmap\"; nothing was changed.";
  const std::wstring unreadable = view_.CheckPicture(path);
  if (!unreadable.empty())
    return L"The bitmap \"" + path + L"\" cannot be read as a picture: " + unreadable +
           L" Nothing was changed.";
  return L"";
}

bool WallpaperHandlers::Applicable() {
  const std::wstring why = WhyNotApplicable(dialog_.FileName);
  if (why.empty()) return true;
  boxes_.Show(why, L"Error", kExclamation);
  return false;
}

void WallpaperHandlers::mnuExplorer_Click() {
  if (!Applicable()) return;
  registry_.WriteRegString(registry::kToolbarKeyPath, registry::kExplorerValue, dialog_.FileName);
  view_.LoadCurrentWallpapers();
}

void WallpaperHandlers::mnuIE_Click() {
  if (!Applicable()) return;
  registry_.WriteRegString(registry::kToolbarKeyPath, registry::kIEOEValue, dialog_.FileName);
  view_.LoadCurrentWallpapers();
}

void WallpaperHandlers::mnuBoth_Click() {
  if (!Applicable()) return;
  registry_.WriteRegString(registry::kToolbarKeyPath, registry::kIEOEValue, dialog_.FileName);
  registry_.WriteRegString(registry::kToolbarKeyPath, registry::kExplorerValue, dialog_.FileName);
  view_.LoadCurrentWallpapers();
}

void WallpaperHandlers::cmdRemoveWallpaper_Click() {
  if (boxes_.Show(kRemovePrompt, L"Really?", kYesNo | kQuestion) != kAnswerYes) return;
  registry_.WriteRegString(registry::kToolbarKeyPath, registry::kExplorerValue, L"");
  registry_.WriteRegString(registry::kToolbarKeyPath, registry::kIEOEValue, L"");
  view_.LoadCurrentWallpapers();
}

}  // namespace velmora::wallpaper
