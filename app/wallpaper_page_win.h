#pragma once
// The "Change Wallpaper" tab at work: the toolbar status and the watches
// that keep it true, the preview, and what the handlers ask of them.
#include <windows.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/picture_cache_win.h"
#include "app/preview_win.h"
#include "platform/file_system.h"
#include "platform/folder_watch_win.h"
#include "platform/message_box.h"
#include "platform/registry_watch_win.h"
#include "platform/screen.h"
#include "registry/reg_functions.h"
#include "wallpaper/handlers.h"
#include "wallpaper/status.h"

namespace velmora {

class WallpaperPage final : public wallpaper::StatusView, public wallpaper::WallpaperView {
 public:
  WallpaperPage(CommonDialog& dialog, CountingMessageBoxes& boxes, registry::modRegistryFunctions& registry,
                const registry::AnsiCodec& codec, const FileSystem& files, PictureCache& cache,
                PictureBoxes& pictureBoxes, const Screen& screen);
  // The window exists: the holders are made, the mock-ups loaded, and the
  // toolbar key watched before its first read, so no change falls between.
  void Attach(HWND window, HINSTANCE instance, bool darkScheme);
  // The window is going: the watches' threads end and the timers stop.
  void Detach();
  void SetDarkScheme(bool dark) { darkScheme_ = dark; }
  void DensityChanged() { preview_->DensityChanged(instance_); }
  wallpaper::WallpaperHandlers& handlers() { return handlers_; }

  void cboPreview_Click();
  void tmrRefresh_Timer();
  // Notices from the watches' threads: read a short pause after the first.
  void RegistryChanged();
  void FilesChanged();
  void ReloadIfChanged();
  void ReloadIfFilesChanged();
  // What a reload or a redraw found while another program was in front,
  // told now that the user is back.
  bool HasHeld() const { return tellWhenActive_; }
  void TellHeld();

  // WallpaperView
  std::wstring ProgramDirectory() const override;
  std::wstring LoadChosenTiles(const std::wstring& path) override;
  Bitmap InspectBitmap(const std::wstring& path) override;
  void EnableApply() override;
  void RefreshPreview() override;
  void LoadCurrentWallpapers() override;
  // StatusView
  void SetFilenameCaption(wallpaper::Family family, const std::wstring& caption) override;
  std::wstring LoadTile(wallpaper::Family family, const std::wstring& path) override;
  void ClearTile(wallpaper::Family family) override;
  void ArmRedraw() override;

 private:
  void ReloadStatus();  // as the watch does, telling only what changed
  void HoldForLater();
  bool InFront() const { return GetForegroundWindow() == window_; }
  void WatchWallpaperFolders();
  void ReportTooLarge(const std::vector<const PictureBox*>& holders);
  PictureBox& Tile(wallpaper::Family family);
  PictureBox& Box(int id) { return *pictureBoxes_.at(id); }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  int ListIndex() const;

  CountingMessageBoxes& boxes_;
  registry::modRegistryFunctions& registry_;
  const FileSystem& files_;
  PictureCache& cache_;
  PictureBoxes& pictureBoxes_;
  const Screen& screen_;
  wallpaper::WallpaperHandlers handlers_;
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  bool darkScheme_ = false;
  std::unique_ptr<Preview> preview_;
  std::array<std::wstring, 2> shownValues_;  // the toolbar values the status shows
  std::array<std::wstring, 2> toldValues_;   // those whose problems the user has been told
  bool reloadPending_ = false;
  bool filesPending_ = false;
  bool tellWhenActive_ = false;
  std::unique_ptr<RegistryWatch> watch_;
  std::vector<std::wstring> watchedFolders_;
  std::unique_ptr<FolderWatch> folderWatch_;
  std::set<std::wstring> reportedTooLarge_;  // told once per file, not once per redraw
};

}  // namespace velmora
