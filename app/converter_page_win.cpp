#include "app/converter_page_win.h"

#include <utility>

#include "convert/save_bmp_win.h"
#include "platform/accessibility_win.h"
#include "platform/texts.h"

namespace velmora {

using namespace design;

ConverterPage::ConverterPage(CommonDialog& dialog, MessageBoxes& boxes, const FileSystem& files,
                             PictureCache& cache, PictureBoxes& pictureBoxes,
                             wallpaper::WallpaperHandlers& wallpaper, std::function<void()> makeControls)
    : cache_(cache),
      pictureBoxes_(pictureBoxes),
      wallpaper_(wallpaper),
      makeControls_(std::move(makeControls)),
      handlers_(dialog, boxes, files, *this) {}

PictureBox& ConverterPage::Box() {
  makeControls_();
  return *pictureBoxes_.at(IDC_CONVERT_PREVIEW);
}

std::wstring ConverterPage::LoadPreview(const std::wstring& path) {
  // Shown through a copy in the box and saved as a 24-bit file: held at 24
  // bits, a quarter less to hold and nothing to pack when saved.
  PictureBox& box = Box();
  const std::wstring error = cache_.LoadInto(box, path, 24);
  if (!error.empty()) return error;
  SetAccessibleName(box.hwnd(), texts::ConvertPreviewName(wallpaper::FileNameOf(path)));
  box.Refresh();
  return error;
}

bool ConverterPage::HasPreviewPicture() const {
  const auto box = pictureBoxes_.find(IDC_CONVERT_PREVIEW);
  return box != pictureBoxes_.end() && box->second->picture();
}

std::wstring ConverterPage::SavePreview(const std::wstring& path) {
  WaitCursor wait;
  return convert::SavePictureAsBmp(Box().picture(), path);
}

}  // namespace velmora
