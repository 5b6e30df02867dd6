// frmMain's handlers and private procedures, and what the decision code asks
// of the window.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "app/frm_main_win.h"
#include "app/texts.h"
#include "platform/file_names.h"
#include "convert/picture_loader_win.h"
#include "convert/save_bmp_win.h"
#include "platform/accessibility_win.h"
#include "platform/failure.h"
#include "platform/fresh_keys_win.h"
#include "platform/full_path_win.h"
#include "render/gdi.h"
#include "render/kept_overlay.h"
#include "render/tile_image.h"
#include "render/transparent_blit.h"
#include "render/round_to_int32.h"
#include "render/scale_nearest.h"

namespace velmora {
namespace {

using namespace design;

}  // namespace

void frmMain::Form_Load() {
  SelectTab(0);
  const Place preview = Find(IDC_PREVIEW).twips;
  outline_ = {preview.x - 8, preview.y - 8, preview.w + 35, preview.h + 35};
  PlaceOutline();
  SetListIndex(2);
  LoadCurrentWallpapers();
}

void frmMain::PlaceOutline() {
  const Place inClient = InClient({IDC_PREVIEW_OUTLINE, "", Kind::Outline, In::Frame, 0, outline_, L"", Font::Normal, kNone, 0});
  const RECT r = ToPixels(inClient);
  SetWindowPos(Item(IDC_PREVIEW_OUTLINE), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
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
  Holder(design::Holder::Buffer).SetPicture(Mockup(index).shared());
  RefreshPreview();
}

void frmMain::tmrRefresh_Timer() {
  // Off before the redraw, which may show a box: a tick inside that box's
  // own message loop would otherwise redraw, and tell, a second time.
  KillTimer(hwnd_, kRefreshTimerId);
  RefreshPreview();
}

void frmMain::ArmRedraw() {
  // Enabling it again before it fires still gives one redraw.
  SetTimer(hwnd_, kRefreshTimerId, kRefreshIntervalMs, nullptr);
}

void frmMain::TilePreviewSurface(PictureBox& dest, const PictureBox& source,
                                 std::vector<const PictureBox*>& tooLarge) {
  try {
    render::TileImage(render::SystemGdi(), dest.hdc(), source, dest.Width(), dest.Height(), screen_.tpp);
  } catch (const Failure& f) {
    if (f.number() != kOverflow) throw;
    // Blank, not the picture it showed before: that one is no longer set.
    dest.ClearPicture();
    tooLarge.push_back(&source);
  }
}

void frmMain::RefreshPreview() {
  std::vector<const PictureBox*> tooLarge;
  TilePreviewSurface(*picSwatchExplorer_, Holder(design::Holder::SwatchExplorerTile), tooLarge);
  TilePreviewSurface(*picSwatchIEOE_, Holder(design::Holder::SwatchIEOETile), tooLarge);
  const int index = static_cast<int>(SendMessageW(Item(IDC_PREVIEW_LIST), CB_GETCURSEL, 0, 0));
  TilePreviewSurface(*picPreview_, Holder(index == 2 ? design::Holder::TileExplorer : design::Holder::TileIEOE),
                     tooLarge);
  LayMockup(index);
  // An empty swatch is the window's colour, which a dark scheme leaves
  // indistinguishable from the page: it gets the window frame's colour round it.
  if (darkScheme_) {
    for (auto [swatch, tile] : {std::pair{picSwatchExplorer_.get(), design::Holder::SwatchExplorerTile},
                                std::pair{picSwatchIEOE_.get(), design::Holder::SwatchIEOETile}}) {
      if (Holder(tile).picture()) continue;
      RECT all{};
      GetClientRect(swatch->hwnd(), &all);
      FrameRect(reinterpret_cast<HDC>(swatch->hdc()), &all, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
  }
  const std::wstring& chosen = wallpaperHandlers_.ChosenBitmap();
  const std::wstring program = index >= 0 && index < 3 ? std::wstring(kPreviewItems[index]) + L"'s toolbar" : L"a toolbar";
  SetAccessibleName(picPreview_->hwnd(), chosen.empty() ? L"Preview of " + program + L", no bitmap chosen"
                                                        : L"Preview: " + wallpaper::FileNameOf(chosen) + L" behind " + program);
  picPreview_->Refresh();
  picSwatchExplorer_->Refresh();
  picSwatchIEOE_->Refresh();
  ReportTooLarge(tooLarge);
}

// The mock-ups and the key never change while the program runs, so the mask
// of each is made at its first redraw and kept until LoadMockups makes the
// mock-ups again: a redraw then costs two blits, not the mask method's nine.
void frmMain::LayMockup(int index) {
  // The mock-up is drawn at the screen's density (LoadMockups), so the
  // overlay covers the preview's real pixels, not 330 x 168 of them.
  const int width = render::RoundToInt32(picPreview_->Width() / screen_.tpp.x);
  const int height = render::RoundToInt32(picPreview_->Height() / screen_.tpp.y);
  // The buffer holds the mock-up of the program chosen in the list.
  if (index >= 0 && index < static_cast<int>(overlays_.size())) {
    render::KeptOverlay& overlay = overlays_[index];
    if (!overlay)
      overlay = render::KeptOverlay(render::SystemGdi(), picPreview_->hdc(), width, height,
                                    Mockup(index).hdc(), 0, 0, kPreviewKeyColour);
    if (overlay) {
      overlay.Draw(picPreview_->hdc(), 0, 0);
      return;
    }
  }
  // The device keys colours itself, or GDI refused an object to keep.
  render::TransparentBlit(render::SystemGdi(), picPreview_->hdc(), 0, 0, width, height,
                          Holder(design::Holder::Buffer).hdc(), 0, 0, kPreviewKeyColour);
}

// A picture beyond the drawing limits leaves its surfaces undrawn. It stays
// in its holder, so every later redraw meets it again: the user hears of each
// file once, in one box, after everything else has been drawn.
void frmMain::ReportTooLarge(const std::vector<const PictureBox*>& boxes) {
  if (boxes.empty()) return;
  if (!InFront()) {  // the user hears of it on coming back, from the next redraw
    HoldForLater();
    return;
  }
  std::wstring text;
  for (const PictureBox* box : boxes) {
    const auto source = sources_.find(box);
    const std::wstring file = source == sources_.end() ? L"" : source->second.path;
    if (!reportedTooLarge_.insert(file).second) continue;
    const Picture& picture = box->picture();
    text += L"\"" + file + L"\" is " + std::to_wstring(picture.width()) + L" x " +
            std::to_wstring(picture.height()) + L" pixels.\r\n";
  }
  if (text.empty()) return;
  boxes_.Show(text + L"\r\n" + wallpaper::kTooLargeToTile + L" Its swatch stays blank.",
              L"Error", kExclamation);
}

void frmMain::LoadCurrentWallpapers() {
  shownValues_ = toldValues_ = wallpaper::LoadCurrentWallpapers(registry_, files_, boxes_, *this);
  WatchWallpaperFolders();
}

// Another program, a script or a second Velmora changed the toolbar key:
// the status is read again, unless both values still say what it shows (our
// own writes come back here too). Only a value that changed is reported, and
// never while another program is in front: a box would open behind it and
// take its keyboard.
void frmMain::ReloadIfChanged() {
  KillTimer(hwnd_, kReloadTimerId);
  reloadPending_ = false;
  const wchar_t* names[] = {registry::kExplorerValue, registry::kIEOEValue};
  bool changed = false;
  for (int i = 0; i < 2 && !changed; ++i)
    changed = registry_.ReadRegString(registry::kToolbarKeyPath, names[i]) != shownValues_[i];
  if (changed) ReloadStatus();
}

void frmMain::ReloadStatus() {
  if (InFront()) {
    shownValues_ = toldValues_ = wallpaper::LoadCurrentWallpapers(registry_, files_, boxes_, *this, &toldValues_);
  } else {
    HeldMessageBoxes held;
    shownValues_ = wallpaper::LoadCurrentWallpapers(registry_, files_, held, *this, &toldValues_);
    if (held.held()) HoldForLater();
    else toldValues_ = shownValues_;
  }
  WatchWallpaperFolders();  // the folders follow the values
}

void frmMain::HoldForLater() {
  tellWhenActive_ = true;
  FLASHWINFO flash{sizeof(flash), hwnd_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
}

void frmMain::TellHeld() {
  if (!tellWhenActive_ || InModalLoop()) return;
  tellWhenActive_ = false;
  // Read again, not replayed: the values may have changed once more since.
  ReloadStatus();
}

// A swatch shows a file as it was read. Our own Save, or another program,
// may replace that file while its name stays in the registry: the folders of
// both wallpapers are watched, and a notice that changed neither file costs
// two looks at their dates and sizes.
void frmMain::ReloadIfFilesChanged() {
  KillTimer(hwnd_, kFilesTimerId);
  filesPending_ = false;
  const design::Holder holders[] = {design::Holder::SwatchExplorerTile, design::Holder::SwatchIEOETile};
  for (int i = 0; i < 2; ++i) {
    const std::wstring path = wallpaper::TrimAtNull(shownValues_[i]);
    if (path.empty() || path == registry::kReadError) continue;
    Source now;
    const bool exists = Stamp(path, now);
    const auto shown = sources_.find(&Holder(holders[i]));
    const bool wasShown = shown != sources_.end() && shown->second.path == path;
    if (exists != wasShown || (exists && !now.SameAs(shown->second))) {
      ReloadStatus();
      return;
    }
  }
}

void frmMain::WatchWallpaperFolders() {
  std::vector<std::wstring> folders;
  for (const std::wstring& value : shownValues_) {
    const std::wstring path = wallpaper::TrimAtNull(value);
    if (path.empty() || path == registry::kReadError || path.size() > wallpaper::kLongestPath) continue;
    std::wstring full = FullPathName(path);
    const std::size_t slash = full.rfind(L'\\');
    if (slash == std::wstring::npos) continue;
    full.resize(slash == 2 ? 3 : slash);  // "C:\" keeps its backslash
    if (std::find(folders.begin(), folders.end(), full) == folders.end()) folders.push_back(full);
  }
  if (folders == watchedFolders_ && folderWatch_) return;
  folderWatch_.reset();  // its thread ends before another starts
  watchedFolders_ = folders;
  if (!folders.empty()) folderWatch_ = std::make_unique<FolderWatch>(hwnd_, kFilesChanged, folders);
}

void frmMain::OpenFromShell(const std::wstring& path) {
  // Asked before the full path is made: that makes "NUL.jpg" \\.\NUL, in
  // any folder, and its extension is gone.
  if (IsDeviceName(path)) {
    boxes_.Show(L"\"" + wallpaper::FileNameOf(path) + L"\" is the name Windows keeps for a device, not a file. "
                L"Velmora opens picture files only.", L"Error", kExclamation);
    return;
  }
  // The shell hands over full paths; a name typed at a prompt counts from
  // the folder it was typed in.
  std::wstring full = FullPathName(path);
  if (full.empty()) full = path;
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    boxes_.Show(L"\"" + full + L"\" is a folder, not a file. Open one of the pictures in it instead.", L"Error",
                kExclamation);
    return;
  }
  Run([this, &full] { OpenShellPath(full); });
}

void frmMain::OpenDroppedLater() {
  KillTimer(hwnd_, kDropTimerId);
  OpenFromShell(std::exchange(droppedDuringBox_, std::wstring()));
}

// The tab changes only for a file that opened: a refused one leaves the
// user where they were.
void frmMain::OpenShellPath(const std::wstring& path) {
  if (HasGifOrJpegExtension(path)) {
    if (converterHandlers_.OpenPicture(path)) SelectTab(1);
    return;
  }
  // A name "Open a bitmap" would refuse gets the same refusal.
  const std::wstring why = wallpaperHandlers_.Choose(path);
  if (why.empty()) SelectTab(0);
  else boxes_.Show(why, L"Error", kExclamation);
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
  inMenu_ = true;
  UINT chosen = 0;
  {
    FreshKeysOnly fresh;
    chosen = TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                            at.x, at.y, 0, hwnd_, nullptr);
  }
  inMenu_ = false;
  if (chosen) OnCommand(static_cast<int>(chosen), 0);
}

void frmMain::LoadMockups() {
  overlays_ = {};  // each was made from a mock-up about to be replaced
  for (int i = 0; i < 3; ++i) {
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(kMaskBitmaps[i]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof(bm), &bm)) continue;
    Picture drawn = Picture::Create(bm.bmWidth, bm.bmHeight);
    MemoryDc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    {
      Selection source(from.get(), bitmap.get()), target(to.get(), drawn.bitmap());
      if (source && target) BitBlt(to.get(), 0, 0, bm.bmWidth, bm.bmHeight, from.get(), 0, 0, SRCCOPY);
    }
    // The mock-ups are drawn for 96 dpi; at another density the preview has
    // more pixels, and the mock-up grows with it, pixel for pixel, so that
    // its key colour stays exactly the key.
    Picture picture = Picture::Create(MulDiv(bm.bmWidth, screen_.ppi, 96), MulDiv(bm.bmHeight, screen_.ppi, 96));
    if (!drawn || !picture) continue;
    render::ScaleNearest(drawn.row(0), drawn.width(), drawn.height(), drawn.stride(), picture.row(0),
                         picture.width(), picture.height(), picture.stride());
    Mockup(i).SetPicture(std::move(picture));
  }
}

// StatusView

void frmMain::SetFilenameCaption(wallpaper::Family family, const std::wstring& caption) {
  const bool explorer = family == wallpaper::Family::Explorer;
  SetCaption(explorer ? IDC_EXPLORER_FILENAME : IDC_IEOE_FILENAME, caption);
  // The swatch is named with both labels beside it: what it is and what it shows.
  const std::wstring who = explorer ? L"Explorer" : L"IE/Outlook Express";
  SetAccessibleName(Item(explorer ? IDC_SWATCH_EXPLORER : IDC_SWATCH_IEOE),
                    caption == wallpaper::kNoWallpaper ? L"No " + who + L" wallpaper set"
                                                       : Find(explorer ? IDC_EXPLORER_TITLE : IDC_IEOE_TITLE).text +
                                                             (L" " + caption));
}

bool frmMain::Stamp(const std::wstring& path, Source& source) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  source = {path, data.ftLastWriteTime, ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow};
  return true;
}

// A file another holder shows, unchanged since it was read, is not decoded
// again: both families and the preview tiles often show the same file, and
// a large one costs its width x height x 4 bytes a copy.
std::shared_ptr<const SharedPicture> frmMain::ShownAlready(const Source& file, int bitsPerPixel) const {
  for (const auto& [box, source] : sources_) {
    if (source.SameAs(file) && box->shared() &&
        box->picture().bytesPerPixel() * 8 == bitsPerPixel)
      return box->shared();
  }
  return nullptr;
}

std::wstring frmMain::LoadInto(PictureBox& box, const std::wstring& path, int bitsPerPixel) {
  Source source{path};
  if (Stamp(path, source)) {
    if (auto shown = ShownAlready(source, bitsPerPixel)) {
      box.SetPicture(std::move(shown));
      sources_[&box] = source;
      return L"";
    }
  }
  WaitCursor wait;  // a large picture takes seconds
  convert::LoadOutcome loaded = convert::LoadPictureFile(path, bitsPerPixel);
  if (!loaded.error.empty()) return loaded.error;
  box.SetPicture(std::move(loaded.picture));
  sources_[&box] = source;
  return L"";
}

std::wstring frmMain::LoadTile(wallpaper::Family family, const std::wstring& path) {
  return LoadInto(Holder(family == wallpaper::Family::Explorer ? design::Holder::SwatchExplorerTile
                                                               : design::Holder::SwatchIEOETile),
                  path);
}

void frmMain::ClearTile(wallpaper::Family family) {
  PictureBox& tile = Holder(family == wallpaper::Family::Explorer ? design::Holder::SwatchExplorerTile
                                                                  : design::Holder::SwatchIEOETile);
  tile.ClearPicture();
  sources_.erase(&tile);
}

// WallpaperView

std::wstring frmMain::ProgramDirectory() const {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring frmMain::LoadChosenTiles(const std::wstring& path) {
  // Both preview tiles show the one picture.
  PictureBox& explorer = Holder(design::Holder::TileExplorer);
  const std::wstring error = LoadInto(explorer, path);
  if (!error.empty()) return error;
  PictureBox& ieoe = Holder(design::Holder::TileIEOE);
  ieoe.SetPicture(explorer.shared());
  sources_[&ieoe] = sources_[&explorer];
  return L"";
}

wallpaper::WallpaperView::Bitmap frmMain::InspectBitmap(const std::wstring& path) {
  Bitmap bitmap;
  bitmap.notBmp = convert::WhyNotABmpFile(path, &bitmap.width, &bitmap.height);
  return bitmap;
}

void frmMain::EnableApply() { EnableWindow(Item(IDC_APPLY), TRUE); }

// ConverterView

std::wstring frmMain::LoadPreview(const std::wstring& path) {
  // Shown through a copy in the box and saved as a 24-bit file: held at 24
  // bits, a quarter less to hold and nothing to pack when saved.
  const std::wstring error = LoadInto(ConvertPreview(), path, 24);
  if (!error.empty()) return error;
  SetAccessibleName(ConvertPreview().hwnd(), kConvertPreviewName + wallpaper::FileNameOf(path));
  ConvertPreview().Refresh();
  return error;
}

bool frmMain::HasPreviewPicture() const { return imgConvertPreview_ && imgConvertPreview_->picture(); }

std::wstring frmMain::SavePreview(const std::wstring& path) {
  WaitCursor wait;
  return convert::SavePictureAsBmp(ConvertPreview().picture(), path);
}

std::wstring frmMain::ChooseBitmap(const std::wstring& path) { return wallpaperHandlers_.Choose(path); }

}  // namespace velmora
