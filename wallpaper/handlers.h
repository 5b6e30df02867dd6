#pragma once
#include <cstdint>
#include <string>

#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "platform/surface.h"
#include "registry/reg_functions.h"
#include "wallpaper/status.h"

namespace velmora::wallpaper {

// What the choose, apply and remove handlers need of the window.
class WallpaperView {
 public:
  virtual ~WallpaperView() = default;
  virtual std::wstring ProgramDirectory() const = 0;  // without a trailing backslash
  // Loads the file into both preview tile holders, as two pictures; the empty
  // text, or a sentence saying why not, and then both keep what they held.
  virtual std::wstring LoadChosenTiles(const std::wstring& path) = 0;
  // Whether the file is a BMP file by its content, which is all the shell
  // draws; the empty text when it is, with its size, else a sentence saying
  // what it is.
  struct Bitmap {
    std::wstring notBmp;
    std::uint32_t width = 0, height = 0;
  };
  virtual Bitmap InspectBitmap(const std::wstring& path) = 0;
  virtual void EnableApply() = 0;
  virtual void RefreshPreview() = 0;
  virtual void LoadCurrentWallpapers() = 0;
};

// The chosen bitmap is the one the preview shows and the one "Apply
// wallpaper" writes: only a bitmap that passed every check and loaded becomes
// it, and nothing else (a cancelled dialog, the converter's Open) changes it.
class WallpaperHandlers {
 public:
  WallpaperHandlers(CommonDialog& dialog, MessageBoxes& boxes,
                    registry::modRegistryFunctions& registry,
                    const FileSystem& files, const registry::AnsiCodec& codec,
                    WallpaperView& view)
      : dialog_(dialog), boxes_(boxes), registry_(registry), files_(files),
        codec_(codec), view_(view) {}

  void cmdOpenPicture_Click();
  void mnuExplorer_Click() { Apply({registry::kExplorerValue}); }
  void mnuIE_Click() { Apply({registry::kIEOEValue}); }
  void mnuBoth_Click() { Apply({registry::kIEOEValue, registry::kExplorerValue}); }
  void cmdRemoveWallpaper_Click();

  // Makes the file the chosen bitmap: previewed, Apply enabled. Answers the
  // empty text, or why it cannot be one; then nothing has changed.
  std::wstring Choose(const std::wstring& path);
  const std::wstring& ChosenBitmap() const { return chosen_; }

  // Why a path may not become a toolbar wallpaper, or the empty text.
  std::wstring WhyNotApplicable(const std::wstring& path);

 private:
  struct Values { const wchar_t* first; const wchar_t* second = nullptr; };
  void Apply(Values values);
  // Writes one toolbar value; answers how the write ended, 0 when it did.
  long Write(const wchar_t* value, const std::wstring& data);

  CommonDialog& dialog_;
  MessageBoxes& boxes_;
  registry::modRegistryFunctions& registry_;
  const FileSystem& files_;
  const registry::AnsiCodec& codec_;
  WallpaperView& view_;
  std::wstring chosen_;
};

}  // namespace velmora::wallpaper
