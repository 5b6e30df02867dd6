#include "app/wallpaper_page_win.h"

#include <algorithm>

#include "convert/picture_loader_win.h"
#include "platform/accessibility_win.h"
#include "platform/full_path_win.h"
#include "platform/texts.h"

namespace velmora {

using namespace design;

WallpaperPage::WallpaperPage(CommonDialog& dialog, CountingMessageBoxes& boxes,
                             registry::modRegistryFunctions& registry, const registry::AnsiCodec& codec,
                             const FileSystem& files, PictureCache& cache, PictureBoxes& pictureBoxes,
                             const Screen& screen)
    : boxes_(boxes),
      registry_(registry),
      files_(files),
      cache_(cache),
      pictureBoxes_(pictureBoxes),
      screen_(screen),
      handlers_(dialog, boxes, registry, files, codec, *this) {}

void WallpaperPage::Attach(HWND window, HINSTANCE instance, bool darkScheme) {
  window_ = window;
  instance_ = instance;
  darkScheme_ = darkScheme;
  // The mock-up is a picture of another program in its own colours, so in
  // a dark scheme the toolbars under it keep the classic light face, under
  // the mock-up's black captions.
  preview_ = std::make_unique<Preview>(screen_, darkScheme ? kClassicFace : GetSysColor(COLOR_BTNFACE));
  preview_->LoadMockups(instance);
  const std::wstring toolbar = registry::kToolbarKeyPath;
  watch_ = std::make_unique<RegistryWatch>(window, kRegistryChanged, toolbar.substr(toolbar.find(L'\\') + 1));
}

void WallpaperPage::Detach() {
  watch_.reset();
  folderWatch_.reset();
  for (unsigned timer : {kRefreshTimerId, kReloadTimerId, kFilesTimerId}) KillTimer(window_, timer);
}

int WallpaperPage::ListIndex() const {
  return static_cast<int>(SendMessageW(Item(IDC_PREVIEW_LIST), CB_GETCURSEL, 0, 0));
}

void WallpaperPage::cboPreview_Click() {
  const int index = ListIndex();
  if (index < 0 || index > 2) return;
  preview_->Holder(Holder::Buffer).SetPicture(preview_->Mockup(index).shared());
  RefreshPreview();
}

void WallpaperPage::tmrRefresh_Timer() {
  // Off before the redraw, which may show a box: a tick inside that box's
  // own message loop would otherwise redraw, and tell, a second time.
  KillTimer(window_, kRefreshTimerId);
  RefreshPreview();
}

void WallpaperPage::ArmRedraw() {
  // Enabling it again before it fires still gives one redraw.
  SetTimer(window_, kRefreshTimerId, kRefreshIntervalMs, nullptr);
}

void WallpaperPage::RefreshPreview() {
  const int index = ListIndex();
  PictureBox& preview = Box(IDC_PREVIEW);
  const auto tooLarge =
      preview_->Draw(preview, Box(IDC_SWATCH_EXPLORER), Box(IDC_SWATCH_IEOE), index, darkScheme_);
  const std::wstring& chosen = handlers_.ChosenBitmap();
  const std::wstring program = index >= 0 && index < 3 ? kPreviewItems[index] : L"";
  SetAccessibleName(preview.hwnd(), texts::PreviewName(program, chosen.empty() ? L"" : wallpaper::FileNameOf(chosen)));
  preview.Refresh();
  Box(IDC_SWATCH_EXPLORER).Refresh();
  Box(IDC_SWATCH_IEOE).Refresh();
  ReportTooLarge(tooLarge);
}

// A picture beyond the drawing limits leaves its surfaces undrawn. It stays
// in its holder, so every later redraw meets it again: the user hears of each
// file once, in one box, after everything else has been drawn.
void WallpaperPage::ReportTooLarge(const std::vector<const PictureBox*>& holders) {
  if (holders.empty()) return;
  if (!InFront()) {  // the user hears of it on coming back, from the next redraw
    HoldForLater();
    return;
  }
  std::wstring text;
  for (const PictureBox* holder : holders) {
    const std::wstring file = cache_.PathOf(*holder);
    if (!reportedTooLarge_.insert(file).second) continue;
    const Picture& picture = holder->picture();
    text += texts::TooLargeToPreviewLine(file, picture.width(), picture.height());
  }
  if (text.empty()) return;
  boxes_.Show(texts::TooLargeToPreview(text), texts::kErrorCaption, kExclamation);
}

void WallpaperPage::LoadCurrentWallpapers() {
  shownValues_ = toldValues_ = wallpaper::LoadCurrentWallpapers(registry_, files_, boxes_, *this);
  WatchWallpaperFolders();
}

void WallpaperPage::RegistryChanged() {
  if (!std::exchange(reloadPending_, true)) SetTimer(window_, kReloadTimerId, kReloadDelayMs, nullptr);
}

void WallpaperPage::FilesChanged() {
  if (!std::exchange(filesPending_, true)) SetTimer(window_, kFilesTimerId, kReloadDelayMs, nullptr);
}

// Another program, a script or a second Velmora changed the toolbar key:
// the status is read again, unless both values still say what it shows (our
// own writes come back here too). Only a value that changed is reported, and
// never while another program is in front: a box would open behind it and
// take its keyboard.
void WallpaperPage::ReloadIfChanged() {
  KillTimer(window_, kReloadTimerId);
  reloadPending_ = false;
  const wchar_t* names[] = {registry::kExplorerValue, registry::kIEOEValue};
  bool changed = false;
  for (int i = 0; i < 2 && !changed; ++i)
    changed = registry_.ReadRegString(registry::kToolbarKeyPath, names[i]) != shownValues_[i];
  if (changed) ReloadStatus();
}

void WallpaperPage::ReloadStatus() {
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

void WallpaperPage::HoldForLater() {
  tellWhenActive_ = true;
  FLASHWINFO flash{sizeof(flash), window_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
}

void WallpaperPage::TellHeld() {
  if (!tellWhenActive_) return;
  tellWhenActive_ = false;
  // Read again, not replayed: the values may have changed once more since.
  ReloadStatus();
}

// A swatch shows a file as it was read. Our own Save, or another program,
// may replace that file while its name stays in the registry: the folders of
// both wallpapers are watched, and a notice that changed neither file costs
// two looks at their dates and sizes.
void WallpaperPage::ReloadIfFilesChanged() {
  KillTimer(window_, kFilesTimerId);
  filesPending_ = false;
  const wallpaper::Family families[] = {wallpaper::Family::Explorer, wallpaper::Family::IEOE};
  for (int i = 0; i < 2; ++i) {
    const std::wstring path = wallpaper::TrimAtNull(shownValues_[i]);
    if (path.empty() || path == registry::kReadError) continue;
    if (cache_.Changed(Tile(families[i]), path)) {
      ReloadStatus();
      return;
    }
  }
}

void WallpaperPage::WatchWallpaperFolders() {
  std::vector<std::wstring> folders;
  for (const std::wstring& value : shownValues_) {
    const std::wstring path = wallpaper::TrimAtNull(value);
    if (path.empty() || path == registry::kReadError || path.size() > wallpaper::kLongestPath) continue;
    const std::wstring folder = FolderOf(FullPathName(path));
    if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  if (folders == watchedFolders_ && folderWatch_) return;
  folderWatch_.reset();  // its thread ends before another starts
  watchedFolders_ = folders;
  if (!folders.empty()) folderWatch_ = std::make_unique<FolderWatch>(window_, kFilesChanged, folders);
}

// StatusView

PictureBox& WallpaperPage::Tile(wallpaper::Family family) {
  return preview_->Holder(family == wallpaper::Family::Explorer ? Holder::SwatchExplorerTile
                                                                : Holder::SwatchIEOETile);
}

void WallpaperPage::SetFilenameCaption(wallpaper::Family family, const std::wstring& caption) {
  const bool explorer = family == wallpaper::Family::Explorer;
  SetWindowTextW(Item(explorer ? IDC_EXPLORER_FILENAME : IDC_IEOE_FILENAME), caption.c_str());
  // The swatch is named with both labels beside it: what it is and what it shows.
  SetAccessibleName(Item(explorer ? IDC_SWATCH_EXPLORER : IDC_SWATCH_IEOE),
                    texts::SwatchName(explorer, Find(explorer ? IDC_EXPLORER_TITLE : IDC_IEOE_TITLE).text,
                                      caption == texts::kNoWallpaper ? L"" : caption));
}

std::wstring WallpaperPage::LoadTile(wallpaper::Family family, const std::wstring& path) {
  return cache_.LoadInto(Tile(family), path);
}

void WallpaperPage::ClearTile(wallpaper::Family family) {
  Tile(family).ClearPicture();
  cache_.Forget(Tile(family));
}

// WallpaperView

std::wstring WallpaperPage::ProgramDirectory() const {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring WallpaperPage::LoadChosenTiles(const std::wstring& path) {
  // Both preview tiles show the one picture.
  PictureBox& explorer = preview_->Holder(Holder::TileExplorer);
  const std::wstring error = cache_.LoadInto(explorer, path);
  if (error.empty()) cache_.Share(preview_->Holder(Holder::TileIEOE), explorer);
  return error;
}

wallpaper::WallpaperView::Bitmap WallpaperPage::InspectBitmap(const std::wstring& path) {
  Bitmap bitmap;
  bitmap.notBmp = convert::WhyNotABmpFile(path, &bitmap.width, &bitmap.height);
  return bitmap;
}

void WallpaperPage::EnableApply() { EnableWindow(Item(IDC_APPLY), TRUE); }

}  // namespace velmora
