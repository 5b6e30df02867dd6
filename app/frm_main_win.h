#pragma once
// The one window: built from the design table, loaded by Form_Load, and the
// single point where every message arrives and is routed to its handler.
#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/design.h"
#include "convert/converter_handlers.h"
#include "platform/common_dialog_win.h"
#include "platform/file_system_win.h"
#include "platform/folder_watch_win.h"
#include "platform/handles_win.h"
#include "platform/message_box_win.h"
#include "platform/picture_box_win.h"
#include "platform/registry_watch_win.h"
#include "platform/screen.h"
#include "registry/reg_functions.h"
#include "render/kept_overlay.h"
#include "wallpaper/handlers.h"
#include "wallpaper/status.h"

namespace velmora {

class frmMain final : public wallpaper::StatusView,
                      public wallpaper::WallpaperView,
                      public convert::ConverterView {
 public:
  // The message boxes and the file dialog are the system's unless a test
  // passes its own.
  frmMain(registry::RegistryService& registry, const registry::AnsiCodec& codec,
          MessageBoxes* boxes = nullptr, CommonDialog* dialog = nullptr);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Builds the window from its design and runs Form_Load; shows nothing yet.
  bool Create(HINSTANCE instance);
  void Show(int showCommand);
  // Keyboard handling that belongs to the window: tab shortcuts, Tab order.
  bool PreTranslate(MSG& msg);
  HWND hwnd() const { return hwnd_; }
  // A file handed over by the shell, on the command line or dropped on the
  // window: a GIF or JPEG as if opened on the converter tab, anything else
  // as if chosen with "Open a bitmap".
  void OpenFromShell(const std::wstring& path);
  // A box of the program's own, as the window's boxes are shown.
  void Tell(const std::wstring& text, unsigned style) { boxes_.Show(text, kAppTitle, style); }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  bool OnCommand(int id, int code);
  void Run(void (frmMain::*handler)()) { Run([this, handler] { (this->*handler)(); }); }
  void Run(const std::function<void()>& work);
  void ReportFailure(const std::wstring& what);

  void CreateControls();
  void CreateLaterControls();  // the other tabs' controls, once
  PictureBox& ConvertPreview() {
    CreateLaterControls();
    return *imgConvertPreview_;
  }
  HWND CreateControl(const design::Control& c);
  RECT ToPixels(const design::Place& twips) const;
  RECT PixelsOf(const design::Control& c) const;
  HFONT FontOf(const design::Control& c) const;
  void ArrangeTabs();
  void PlaceOutline();
  void OnDpiChanged(int dpi, const RECT& suggested);
  // A box, a file dialog or the popup menu is open: the user is answering it.
  bool InModalLoop() const;
  void RememberFocus();
  void RestoreFocus();
  void ReportTooLarge(const std::vector<const PictureBox*>& boxes);
  void OpenShellPath(const std::wstring& path);
  void OpenDroppedLater();
  void ReloadIfChanged();
  void ReloadIfFilesChanged();
  void ReloadStatus();  // as the watch does, telling only what changed
  void WatchWallpaperFolders();
  // Tells what a reload or a redraw found while another program was in
  // front, now that the user is back.
  void TellHeld();
  bool InFront() const { return GetForegroundWindow() == hwnd_; }
  void HoldForLater();
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  PictureBox& Box(int id);
  PictureBox& Holder(design::Holder holder) { return *holders_[static_cast<int>(holder)]; }
  PictureBox& Mockup(int index) {  // as the preview list counts: IE, OE, Explorer
    return Holder(static_cast<design::Holder>(static_cast<int>(design::Holder::MaskIE) + index));
  }
  void DrawButton(const DRAWITEMSTRUCT& item);
  void DrawFrame(const DRAWITEMSTRUCT& item);
  void SelectTab(int tab);
  void SetCaption(int id, const std::wstring& text);
  void SetListIndex(int index);
  void PopupMenu(float xTwips, float yTwips);
  void LoadMockups();
  void LayMockup(int index);
  HICON Icon(int resource);
  void FitCaption(HWND label, const design::Control& c, HFONT font);

  // Handlers, named control_event.
  void Form_Load();
  void cmdOpenPicture_Click() { wallpaperHandlers_.cmdOpenPicture_Click(); }
  void cmdApply_Click();
  void mnuExplorer_Click() { wallpaperHandlers_.mnuExplorer_Click(); }
  void mnuIE_Click() { wallpaperHandlers_.mnuIE_Click(); }
  void mnuBoth_Click() { wallpaperHandlers_.mnuBoth_Click(); }
  void cmdRemoveWallpaper_Click() { wallpaperHandlers_.cmdRemoveWallpaper_Click(); }
  void cboPreview_Click();
  void tmrRefresh_Timer();
  void cmdOpenGIFJPEG_Click() { converterHandlers_.cmdOpenGIFJPEG_Click(); }
  void cmdSaveAsBitmap_Click() { converterHandlers_.cmdSaveAsBitmap_Click(); }
  void TabStrip_Click();
  void SelectTab0() { SelectTab(0); }
  void SelectTab1() { SelectTab(1); }
  void SelectTab2() { SelectTab(2); }

  // Private procedures.
  void RefreshPreview() override;
  void LoadCurrentWallpapers() override;
  // Leaves a surface undrawn, and notes its source, when the source is
  // beyond the drawing limits.
  void TilePreviewSurface(PictureBox& dest, const PictureBox& source, std::vector<const PictureBox*>& tooLarge);
  // Loads a file into a box; the empty text, or why it could not.
  std::wstring LoadInto(PictureBox& box, const std::wstring& path, int bitsPerPixel = 32);

  // StatusView
  void SetFilenameCaption(wallpaper::Family family, const std::wstring& caption) override;
  std::wstring LoadTile(wallpaper::Family family, const std::wstring& path) override;
  void ClearTile(wallpaper::Family family) override;
  void ArmRedraw() override;
  // WallpaperView
  std::wstring ProgramDirectory() const override;
  std::wstring LoadChosenTiles(const std::wstring& path) override;
  Bitmap InspectBitmap(const std::wstring& path) override;
  void EnableApply() override;
  // ConverterView
  std::wstring LoadPreview(const std::wstring& path) override;
  bool HasPreviewPicture() const override;
  std::wstring SavePreview(const std::wstring& path) override;
  std::wstring ChooseBitmap(const std::wstring& path) override;

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  Screen screen_;
  UniqueFont font_, bold_, title_;
  UniqueMenu menu_;
  HACCEL accelerators_ = nullptr;
  std::map<int, UniqueIcon> icons_;  // by resource id, loaded on first use
  int tab_ = 0;
  bool laterCreated_ = false;
  design::Place outline_ = design::Find(design::IDC_PREVIEW_OUTLINE).twips;  // in the frame
  HWND lastFocus_ = nullptr;  // the control to give the focus back to
  bool inMenu_ = false;
  std::array<std::wstring, 2> shownValues_;  // the toolbar values the status shows
  std::array<std::wstring, 2> toldValues_;   // those whose problems the user has been told
  bool reloadPending_ = false;
  bool tellWhenActive_ = false;
  // Read when the window is made and when the colours or settings change,
  // not at every paint and redraw.
  bool darkScheme_ = false;
  std::unique_ptr<RegistryWatch> watch_;
  std::vector<std::wstring> watchedFolders_;
  std::unique_ptr<FolderWatch> folderWatch_;
  bool filesPending_ = false;
  std::wstring droppedDuringBox_;  // the latest, opened once the box is answered

  WindowMessageBoxes systemBoxes_;
  SystemCommonDialog systemDialog_;
  SystemFileSystem files_;
  CountingMessageBoxes boxes_;
  CommonDialog& dlgOpen_;
  registry::modRegistryFunctions registry_;
  const registry::AnsiCodec& codec_;
  wallpaper::WallpaperHandlers wallpaperHandlers_;
  convert::ConverterHandlers converterHandlers_;

  std::unique_ptr<PictureBox> picPreview_, picSwatchExplorer_, picSwatchIEOE_, imgConvertPreview_;
  std::array<std::unique_ptr<PictureBox>, std::size(design::kHolders)> holders_;
  std::array<render::KeptOverlay, 3> overlays_;  // by mock-up, made at its first redraw
  // The file a holder's picture came from, and how it stood when read.
  struct Source {
    std::wstring path;
    FILETIME written{};
    ULONGLONG size = 0;
    // The same file, unchanged since either was read.
    bool SameAs(const Source& o) const {
      return path == o.path && size == o.size && CompareFileTime(&written, &o.written) == 0;
    }
  };
  static bool Stamp(const std::wstring& path, Source& source);
  std::shared_ptr<const SharedPicture> ShownAlready(const Source& file, int bitsPerPixel) const;
  std::map<const PictureBox*, Source> sources_;
  std::set<std::wstring> reportedTooLarge_;  // told once per file, not once per redraw
};

}  // namespace velmora
