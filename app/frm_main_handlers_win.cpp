// frmMain's handlers and private procedures, and what the decision code asks
// of the window.
#include <windows.h>

#include "app/frm_main.h"
#include "app/texts.h"
#include "convert/picture_loader.h"
#include "convert/save_bmp.h"
#include "platform/failure.h"
#include "render/gdi.h"
#include "render/tile_image.h"
#include "render/transparent_blit.h"
#include "render/round_to_int32.h"

namespace velmora {
namespace {

using namespace design;
// The overlay counts 15 twips to the pixel whatever the screen's density.
constexpr double kOverlayTwipsPerPixel = 15;

}  // namespace

void frmMain::Form_Load() {
  SelectTab(0);
  SetCaption(IDC_ABOUT, texts::AboutText());
  SetCaption(IDC_CONVERT_INSTRUCTIONS, texts::ConvertInstructions());
  const Place preview = Find(IDC_PREVIEW).twips;
  const Place outline{preview.x - 8, preview.y - 8, preview.w + 35, preview.h + 35};
  const Place inClient = InClient({IDC_PREVIEW_OUTLINE, "", Kind::Outline, In::Frame, 0, outline, L"", Font::Normal, kNone, 0});
  const RECT r = ToPixels(inClient);
  SetWindowPos(Item(IDC_PREVIEW_OUTLINE), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetListIndex(2);
  LoadCurrentWallpapers();
}

void frmMain::SetCaption(int id, const std::wstring& text) { SetWindowTextW(Item(id), text.c_str()); }

void frmMain::SetListIndex(int index) {
  // Setting the index raises the list's click event at once, as a user's choice does.
  SendMessageW(Item(IDC_PREVIEW_LIST), CB_SETCURSEL, index, 0);
  cboPreview_Click();
}

void frmMain::cboPreview_Click() {
  const int index = static_cast<int>(SendMessageW(Item(IDC_PREVIEW_LIST), CB_GETCURSEL, 0, 0));
  if (index < 0 || index > 2) return;
  const Picture& mask = Holder(static_cast<design::Holder>(static_cast<int>(design::Holder::MaskIE) + index)).picture();
  Holder(design::Holder::Buffer).SetPicture(mask.Clone());
  RefreshPreview();
}

void frmMain::tmrRefresh_Timer() {
  RefreshPreview();
  KillTimer(hwnd_, kRefreshTimerId);
}

void frmMain::ArmRedraw() {
  // Enabling it again before it fires still gives one redraw.
  SetTimer(hwnd_, kRefreshTimerId, kRefreshIntervalMs, nullptr);
}

void frmMain::TilePreviewSurface(PictureBox& dest, const PictureBox& source) {
  try {
    render::TileImage(render::SystemGdi(), dest.hdc(), source, dest.Width(), dest.Height(), screen_.tpp);
  } catch (const Failure& f) {
    if (f.number() != kOverflow) throw;
    // A picture beyond the drawing limits leaves its surface undrawn; it stays
    // in its holder, so say so once, not at every redraw.
    const Picture& picture = source.picture();
    if (reportedTooLarge_.insert(picture.bitmap()).second) {
      boxes_.Show(L"A picture of " + std::to_wstring(picture.width()) + L" x " +
                      std::to_wstring(picture.height()) +
                      L" pixels is too large to preview: tiles can be at most 32,767 pixels "
                      L"wide and high. Its swatch or preview stays blank.",
                  L"Error", kExclamation);
    }
  }
}

void frmMain::RefreshPreview() {
  TilePreviewSurface(*picSwatchExplorer_, Holder(design::Holder::SwatchExplorerTile));
  TilePreviewSurface(*picSwatchIEOE_, Holder(design::Holder::SwatchIEOETile));
  const int index = static_cast<int>(SendMessageW(Item(IDC_PREVIEW_LIST), CB_GETCURSEL, 0, 0));
  TilePreviewSurface(*picPreview_, Holder(index == 2 ? design::Holder::TileExplorer : design::Holder::TileIEOE));
  render::TransparentBlit(render::SystemGdi(), picPreview_->hdc(), 0, 0,
                          render::RoundToInt32(picPreview_->Width() / kOverlayTwipsPerPixel),
                          render::RoundToInt32(picPreview_->Height() / kOverlayTwipsPerPixel),
                          Holder(design::Holder::Buffer).hdc(), 0, 0, kPreviewKeyColour);
  picPreview_->Refresh();
  picSwatchExplorer_->Refresh();
  picSwatchIEOE_->Refresh();
}

void frmMain::LoadCurrentWallpapers() {
  wallpaper::LoadCurrentWallpapers(registry_, *this, boxes_, *this);
}

void frmMain::cmdApply_Click() {
  const Control& tab = Find(IDC_TABSTRIP);
  const Control& apply = Find(IDC_APPLY);
  const float y = static_cast<float>(tab.twips.y) + apply.twips.y + apply.twips.h;
  const float x = static_cast<float>(tab.twips.x) + apply.twips.x;
  PopupMenu(x, y);
}

void frmMain::PopupMenu(float xTwips, float yTwips) {
  POINT at{static_cast<LONG>(render::RoundToInt32(xTwips / screen_.tpp.x)),
           static_cast<LONG>(render::RoundToInt32(yTwips / screen_.tpp.y))};
  ClientToScreen(hwnd_, &at);
  // The chosen item's handler runs before the menu call returns.
  const UINT chosen = TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON |
                                                      TPM_RETURNCMD | TPM_NONOTIFY,
                                     at.x, at.y, 0, hwnd_, nullptr);
  if (chosen) OnCommand(static_cast<int>(chosen), 0);
}

void frmMain::LoadMockups() {
  for (int i = 0; i < 3; ++i) {
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(kMaskBitmaps[i]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof(bm), &bm)) continue;
    Picture picture = Picture::Create(bm.bmWidth, bm.bmHeight);
    MemoryDc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    {
      Selection source(from.get(), bitmap.get()), target(to.get(), picture.bitmap());
      if (source && target) BitBlt(to.get(), 0, 0, bm.bmWidth, bm.bmHeight, from.get(), 0, 0, SRCCOPY);
    }
    Holder(static_cast<design::Holder>(static_cast<int>(design::Holder::MaskIE) + i)).SetPicture(std::move(picture));
  }
}

// StatusView

void frmMain::SetFilenameCaption(wallpaper::Family family, const std::wstring& caption) {
  SetCaption(family == wallpaper::Family::Explorer ? IDC_EXPLORER_FILENAME : IDC_IEOE_FILENAME, caption);
}

std::wstring frmMain::LoadInto(PictureBox& box, const std::wstring& path) {
  convert::LoadOutcome loaded = convert::LoadPictureFile(path);
  if (loaded.error.empty()) box.SetPicture(std::move(loaded.picture));
  return loaded.error;
}

std::wstring frmMain::LoadTile(wallpaper::Family family, const std::wstring& path) {
  return LoadInto(Holder(family == wallpaper::Family::Explorer ? design::Holder::SwatchExplorerTile
                                                               : design::Holder::SwatchIEOETile),
                  path);
}

void frmMain::ClearTile(wallpaper::Family family) {
  Holder(family == wallpaper::Family::Explorer ? design::Holder::SwatchExplorerTile
                                               : design::Holder::SwatchIEOETile)
      .ClearPicture();
}

// WallpaperView

std::wstring frmMain::ProgramDirectory() const {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring frmMain::LoadTileImage(wallpaper::Family family, const std::wstring& path) {
  return LoadInto(
      Holder(family == wallpaper::Family::Explorer ? design::Holder::TileExplorer : design::Holder::TileIEOE),
      path);
}

std::wstring frmMain::CheckPicture(const std::wstring& path) {
  return convert::LoadPictureFile(path).error;
}

void frmMain::EnableApply() { EnableWindow(Item(IDC_APPLY), TRUE); }

// ConverterView

std::wstring frmMain::LoadPreview(const std::wstring& path) {
  const std::wstring error = LoadInto(*imgConvertPreview_, path);
  if (error.empty()) imgConvertPreview_->Refresh();
  return error;
}

bool frmMain::HasPreviewPicture() const { return static_cast<bool>(imgConvertPreview_->picture()); }

std::wstring frmMain::SavePreview(const std::wstring& path) {
  return convert::SavePictureAsBmp(imgConvertPreview_->picture(), path);
}

// FileSystem

bool frmMain::IsOrdinaryFile(const std::wstring& path) const {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace velmora
