// The window itself: made from its class, and every message routed.
#include "app/frm_main_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <new>
#include <utility>

#include "platform/accessibility_win.h"
#include "platform/failure.h"
#include "platform/fresh_keys_win.h"
#include "platform/newer_api_win.h"
#include "platform/texts.h"
#include "render/round_to_int32.h"

namespace velmora {
namespace {

using namespace design;

constexpr wchar_t kWindowClass[] = L"VelmoraMain";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

}  // namespace

frmMain::frmMain(registry::RegistryService& registry, const registry::AnsiCodec& codec,
                 MessageBoxes* boxes, CommonDialog* dialog)
    : boxes_(boxes ? *boxes : systemBoxes_),
      dlgOpen_(dialog ? *dialog : systemDialog_),
      registry_(registry, codec, boxes_),
      wallpaper_(dlgOpen_, boxes_, registry_, codec, files_, cache_, pictureBoxes_, screen_),
      converter_(dlgOpen_, boxes_, files_, cache_, pictureBoxes_, wallpaper_.handlers(),
                 [this] { CreateLaterControls(); }) {}

frmMain::~frmMain() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool frmMain::Create(HINSTANCE instance) {
  instance_ = instance;
  screen_ = ReadScreen();
  WNDCLASSEXW wc{sizeof(wc)};
  wc.lpfnWndProc = &frmMain::WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  RECT frame = ToPixels(kClient);
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  CreateWindowExW(0, kWindowClass, kAppTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                  instance, this);
  if (!hwnd_) return false;
  // Per monitor from Windows 10 on: the window may open on a monitor whose
  // density is not the system's. On XP the two are one and nothing moves.
  if (const int dpi = WindowDpi(hwnd_); dpi != screen_.ppi) {
    screen_.ppi = dpi;
    screen_.tpp = {1440.0f / dpi, 1440.0f / dpi};
    frame = ToPixels(kClient);
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  systemBoxes_.SetOwner(hwnd_);
  systemDialog_.SetOwner(hwnd_);

  darkScheme_ = DarkOrHighContrastScheme();
  MakeFonts();
  wallpaper_.Attach(hwnd_, instance_, darkScheme_);
  CreateControls();

  ACCEL keys[] = {{FALT | FVIRTKEY, 'C', IDM_TAB_CHANGE},
                  {FALT | FVIRTKEY, 'G', IDM_TAB_CONVERT},
                  {FALT | FVIRTKEY, 'A', IDM_TAB_ABOUT}};
  accelerators_ = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
  DragAcceptFiles(hwnd_, TRUE);

  menu_.reset(CreatePopupMenu());
  for (const MenuItem& item : kApplyMenu) AppendMenuW(menu_.get(), MF_STRING, item.id, item.text);

  Run(&frmMain::Form_Load);
  return true;
}

void frmMain::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  // The tab control comes first in the keyboard order.
  SetFocus(Item(IDC_TABSTRIP));
  UpdateWindow(hwnd_);
  // A timer's tick comes only when no paint is due, so after the first frame.
  SetTimer(hwnd_, kLaterControlsTimerId, 0, nullptr);
}

void frmMain::Form_Load() {
  SelectTab(0);
  const Place preview = Find(IDC_PREVIEW).twips;
  outline_ = {preview.x - 8, preview.y - 8, preview.w + 35, preview.h + 35};
  PlaceOutline();
  SetListIndex(2);
  LoadCurrentWallpapers();
}

bool frmMain::PreTranslate(MSG& msg) {
  // Remembered here, before anything can open a box: a disabled owner has
  // already lost its focus by the time it hears that it is inactive.
  RememberFocus();
  const HWND focus = GetFocus();
  // Enter presses the focused push button, as in a dialog; a held key
  // presses it once. Owner-drawn buttons are never the dialog's default, so
  // IsDialogMessage would not. A picture that can be pressed takes Space too.
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_SPACE) &&
      !(msg.lParam & (1 << 30)) && focus && GetParent(focus) == hwnd_ && IsWindowEnabled(focus)) {
    const int id = GetDlgCtrlID(focus);
    const Control& c = Find(id);
    if (c.id == id && ((c.kind == Kind::Button && msg.wParam == VK_RETURN) || (c.flags & kPressable))) {
      SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(focus));
      return true;
    }
  }
  if (accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_, &msg)) return true;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK frmMain::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->Handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT frmMain::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wp), HIWORD(wp))) return 0;
      break;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lp)->code != TCN_SELCHANGE) break;
      Run(&frmMain::TabStrip_Click);
      return 0;
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case kRegistryChanged:
      wallpaper_.RegistryChanged();
      return 0;
    case kFilesChanged:
      wallpaper_.FilesChanged();
      return 0;
    case kTellHeld:
      if (!InModalLoop()) Run([this] { wallpaper_.TellHeld(); });
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wp) != WA_INACTIVE);
      break;  // activation sets the focus to the window, which hands it on
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // high contrast turned on or off
      darkScheme_ = DarkOrHighContrastScheme();
      wallpaper_.SetDarkScheme(darkScheme_);
      break;
    case kWmDpiChanged:
      OnDpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(OnCtlColorStatic(reinterpret_cast<HDC>(wp)));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY: {
      HWND gone = std::exchange(hwnd_, nullptr);  // nothing left for the destructor
      return DefWindowProcW(gone, msg, wp, lp);
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool frmMain::OnCommand(int id, int code) {
  struct Route { int id; int code; void (frmMain::*run)(); };
  static constexpr Route kRoutes[] = {
      {IDC_OPEN_PICTURE, BN_CLICKED, &frmMain::cmdOpenPicture_Click},
      {IDC_APPLY, BN_CLICKED, &frmMain::cmdApply_Click},
      {IDM_EXPLORER, 0, &frmMain::mnuExplorer_Click},
      {IDM_IE, 0, &frmMain::mnuIE_Click},
      {IDM_BOTH, 0, &frmMain::mnuBoth_Click},
      {IDC_REMOVE_WALLPAPER, BN_CLICKED, &frmMain::cmdRemoveWallpaper_Click},
      {IDC_PREVIEW_LIST, CBN_SELCHANGE, &frmMain::cboPreview_Click},
      {IDC_SWATCH_EXPLORER, BN_CLICKED, &frmMain::LoadCurrentWallpapers},
      {IDC_SWATCH_IEOE, BN_CLICKED, &frmMain::LoadCurrentWallpapers},
      {IDC_PREVIEW, BN_CLICKED, &frmMain::LoadCurrentWallpapers},
      {IDC_OPEN_GIFJPEG, BN_CLICKED, &frmMain::cmdOpenGIFJPEG_Click},
      {IDC_SAVE_AS_BITMAP, BN_CLICKED, &frmMain::cmdSaveAsBitmap_Click},
      {IDM_TAB_CHANGE, 1, &frmMain::SelectTab0},
      {IDM_TAB_CONVERT, 1, &frmMain::SelectTab1},
      {IDM_TAB_ABOUT, 1, &frmMain::SelectTab2},
  };
  for (const Route& r : kRoutes) {
    if (r.id == id && r.code == code) {
      Run(r.run);
      return true;
    }
  }
  return false;
}

void frmMain::OnTimer(UINT_PTR id) {
  if (id == kLaterControlsTimerId) {
    Run(&frmMain::CreateLaterControls);
    return;
  }
  // Ticks reach us inside a box's or a menu's own message loop too. What
  // they start can show a box of its own, so it waits for a later tick.
  if (InModalLoop()) return;
  if (id == kRefreshTimerId) Run([this] { wallpaper_.tmrRefresh_Timer(); });
  if (id == kReloadTimerId) Run([this] { wallpaper_.ReloadIfChanged(); });
  if (id == kFilesTimerId) Run([this] { wallpaper_.ReloadIfFilesChanged(); });
  if (id == kDropTimerId) OpenDroppedLater();
}

// Labels, icons and frames sit on the button face in its text colour,
// whatever the page under them.
HBRUSH frmMain::OnCtlColorStatic(HDC dc) {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void frmMain::OnActivate(bool active) {
  if (!active) RememberFocus();
  else if (wallpaper_.HasHeld()) PostMessageW(hwnd_, kTellHeld, 0, 0);  // once the activation is done
}

void frmMain::OnDestroy() {
  ClearAnnotations();
  wallpaper_.Detach();
  KillTimer(hwnd_, kDropTimerId);
  KillTimer(hwnd_, kLaterControlsTimerId);
  PostQuitMessage(0);
}

bool frmMain::InModalLoop() const {
  // The system's boxes and dialogs disable their owner while they are open.
  return boxes_.open() > 0 || inMenu_ || !IsWindowEnabled(hwnd_);
}

void frmMain::RememberFocus() {
  const HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
}

void frmMain::RestoreFocus() {
  HWND to = lastFocus_;
  if (!to || !IsWindow(to) || !IsChild(hwnd_, to) || !IsWindowVisible(to) || !IsWindowEnabled(to))
    to = Item(IDC_TABSTRIP);
  SetFocus(to);
}

// Nothing a handler raises may cross the window procedure: it is reported
// here, and the window stays open and usable.
void frmMain::Run(const std::function<void()>& work) {
  try {
    work();
  } catch (const Failure& f) {
    std::string what = f.what();
    ReportFailure(texts::WithFailureNumber(std::wstring(what.begin(), what.end()), f.number()));
  } catch (const std::bad_alloc&) {
    ReportFailure(texts::kNoMemoryToFinish);
  } catch (const std::exception& e) {
    std::string what = e.what();
    ReportFailure(std::wstring(what.begin(), what.end()));
  }
}

void frmMain::ReportFailure(const std::wstring& what) {
  boxes_.Show(texts::FailureReport(what), kAppTitle, MB_ICONERROR);
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

}  // namespace velmora
