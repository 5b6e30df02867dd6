#pragma once
// The one window: built from the design table, laid out for the screen's
// density, keeping the keyboard focus, and the single point where every
// message arrives and is routed to the function named for it. The work
// behind the tabs is done by their pages.
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <map>
#include <string>

#include "app/converter_page_win.h"
#include "app/design.h"
#include "app/picture_cache_win.h"
#include "app/preview_win.h"
#include "app/wallpaper_page_win.h"
#include "platform/common_dialog_win.h"
#include "platform/file_system_win.h"
#include "platform/handles_win.h"
#include "platform/message_box_win.h"
#include "platform/screen.h"
#include "registry/reg_functions.h"

namespace velmora {

class frmMain final {
 public:
  // The message boxes and the file dialog are the system's unless a test
  // passes its own.
  frmMain(registry::RegistryService& registry, const registry::AnsiCodec& codec,
          MessageBoxes* boxes = nullptr, CommonDialog* dialog = nullptr);
  ~frmMain();
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
  void OnTimer(UINT_PTR id);
  void OnDropFiles(HDROP drop);
  void OnActivate(bool active);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  HBRUSH OnCtlColorStatic(HDC dc);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnDestroy();
  void Run(void (frmMain::*handler)()) { Run([this, handler] { (this->*handler)(); }); }
  void Run(const std::function<void()>& work);
  void ReportFailure(const std::wstring& what);

  // Building and laying out, from the design table.
  void CreateControls();
  void CreateLaterControls();  // the other tabs' controls, once, annotated for screen readers
  void ClearAnnotations();
  HWND CreateControl(const design::Control& c);
  RECT ToPixels(const design::Place& twips) const;
  RECT PixelsOf(const design::Control& c) const;
  HFONT FontOf(const design::Control& c) const;
  void MakeFonts();
  void FitCaption(HWND label, const design::Control& c, HFONT font);
  void ArrangeTabs();
  void PlaceOutline();
  HICON Icon(int resource);
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // Focus and the modal loops.
  bool InModalLoop() const;  // a box, a file dialog or the popup menu is open
  void RememberFocus();
  void RestoreFocus();
  void PopupMenu(float xTwips, float yTwips);

  void OpenShellPath(const std::wstring& path);
  void OpenDroppedLater();

  // Handlers, named control_event, and the window's own procedures.
  void Form_Load();
  void cmdOpenPicture_Click() { wallpaper_.handlers().cmdOpenPicture_Click(); }
  void cmdApply_Click();
  void mnuExplorer_Click() { wallpaper_.handlers().mnuExplorer_Click(); }
  void mnuIE_Click() { wallpaper_.handlers().mnuIE_Click(); }
  void mnuBoth_Click() { wallpaper_.handlers().mnuBoth_Click(); }
  void cmdRemoveWallpaper_Click() { wallpaper_.handlers().cmdRemoveWallpaper_Click(); }
  void cboPreview_Click() { wallpaper_.cboPreview_Click(); }
  void LoadCurrentWallpapers() { wallpaper_.LoadCurrentWallpapers(); }
  void cmdOpenGIFJPEG_Click() { converter_.handlers().cmdOpenGIFJPEG_Click(); }
  void cmdSaveAsBitmap_Click() { converter_.handlers().cmdSaveAsBitmap_Click(); }
  void TabStrip_Click();
  void SelectTab(int tab);
  void SelectTab0() { SelectTab(0); }
  void SelectTab1() { SelectTab(1); }
  void SelectTab2() { SelectTab(2); }
  void SetListIndex(int index);

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
  // Read when the window is made and when the colours or settings change,
  // not at every paint and redraw.
  bool darkScheme_ = false;
  std::wstring droppedDuringBox_;  // the latest, opened once the box is answered

  WindowMessageBoxes systemBoxes_;
  SystemCommonDialog systemDialog_;
  SystemFileSystem files_;
  CountingMessageBoxes boxes_;
  CommonDialog& dlgOpen_;
  registry::modRegistryFunctions registry_;
  PictureCache cache_;
  PictureBoxes pictureBoxes_;
  WallpaperPage wallpaper_;
  ConverterPage converter_;
};

}  // namespace velmora
