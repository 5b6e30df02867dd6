#pragma once
// The "GIF / JPEG to BMP" tab at work: its picture, and what the
// converter's handlers ask of it.
#include <functional>
#include <string>

#include "app/picture_cache_win.h"
#include "app/preview_win.h"
#include "convert/converter_handlers.h"
#include "wallpaper/handlers.h"

namespace velmora {

class ConverterPage final : public convert::ConverterView {
 public:
  // `makeControls` makes the tab's controls when they are not made yet.
  ConverterPage(CommonDialog& dialog, MessageBoxes& boxes, const FileSystem& files, PictureCache& cache,
                PictureBoxes& pictureBoxes, wallpaper::WallpaperHandlers& wallpaper,
                std::function<void()> makeControls);
  convert::ConverterHandlers& handlers() { return handlers_; }

  std::wstring LoadPreview(const std::wstring& path) override;
  bool HasPreviewPicture() const override;
  std::wstring SavePreview(const std::wstring& path) override;
  std::wstring ChooseBitmap(const std::wstring& path) override { return wallpaper_.Choose(path); }

 private:
  PictureBox& Box();  // the tab's picture, made when it is first needed

  PictureCache& cache_;
  PictureBoxes& pictureBoxes_;
  wallpaper::WallpaperHandlers& wallpaper_;
  std::function<void()> makeControls_;
  convert::ConverterHandlers handlers_;
};

}  // namespace velmora
