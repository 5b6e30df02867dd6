#pragma once
#include <string>

#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "registry/reg_functions.h"
#include "wallpaper/status.h"

namespace velmora::wallpaper {

// What the choose, apply and remove handlers need of the window.
class WallpaperView {
 public:
  virtual ~WallpaperView() = default;
  virtual std::wstring ProgramDirectory() const = 0;  // without a trailing backslash
  // Load the file into one tile holder (a separate picture each time);
  // returns the empty text or a sentence saying why it failed.
  virtual std::wstring LoadTileImage(Family family, const std::wstring& path) = 0;
  // Whether the file reads as a picture; the empty text when it does.
  virtual std::wstring CheckPicture(const std::wstring& path) = 0;
  virtual void EnableApply() = 0;
  virtual void RefreshPreview() = 0;
  virtual void LoadCurrentWallpapers() = 0;
};

class WallpaperHandlers {
 public:
  WallpaperHandlers(CommonDialog& dialog, MessageBoxes& boxes,
                    registry::modRegistryFunctions& registry,
                    const FileSystem& files, const registry::AnsiCodec& codec,
                    WallpaperView& view)
      : dialog_(dialog), boxes_(boxes), registry_(registry), files_(files),
        codec_(codec), view_(view) {}

  void cmdOpenPicture_Click();
  void mnuExplorer_Click();
  void mnuIE_Click();
  void mnuBoth_Click();
  void cmdRemoveWallpaper_Click();

  // Why the dialog's path may not become a wallpaper, or the empty text.
  std::wstring WhyNotApplicable(const std::wstring& path);

 private:
  bool Applicable();

  CommonDialog& dialog_;
  MessageBoxes& boxes_;
  registry::modRegistryFunctions& registry_;
  const FileSystem& files_;
  const registry::AnsiCodec& codec_;
  WallpaperView& view_;
};

}  // namespace velmora::wallpaper
