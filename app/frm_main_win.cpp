// The window itself: building it from the design and routing its messages.
#include "app/frm_main_win.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <new>
#include <utility>

#include "app/texts.h"
#include "platform/accessibility_win.h"
#include "platform/failure.h"
#include "platform/newer_api_win.h"

namespace velmora {
namespace {

using namespace design;

constexpr wchar_t kWindowClass[] = L"VelmoraMain";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Button pictures sit above their captions.
constexpr int kButtonPictureGap = 2;

UniqueFont MakeFont(int ppi, int hundredthsOfPoint, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(hundredthsOfPoint, ppi, 7200);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  return UniqueFont(CreateFontIndirectW(&lf));
}

}  // namespace

frmMain::frmMain(registry::RegistryService& registry, const registry::AnsiCodec& codec,
                 MessageBoxes* boxes, CommonDialog* dialog)
    : boxes_(boxes ? *boxes : systemBoxes_),
      dlgOpen_(dialog ? *dialog : systemDialog_),
      registry_(registry, codec, boxes_),
      codec_(codec),
      wallpaperHandlers_(dlgOpen_, boxes_, registry_, files_, codec, *this),
      converterHandlers_(dlgOpen_, boxes_, files_, *this) {}

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
  font_ = MakeFont(screen_.ppi, 825, false);
  bold_ = MakeFont(screen_.ppi, 825, true);
  title_ = MakeFont(screen_.ppi, 1125, true);
  CreateControls();

  ACCEL keys[] = {{FALT | FVIRTKEY, 'C', IDM_TAB_CHANGE},
                  {FALT | FVIRTKEY, 'G', IDM_TAB_CONVERT},
                  {FALT | FVIRTKEY, 'A', IDM_TAB_ABOUT}};
  accelerators_ = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));

  DragAcceptFiles(hwnd_, TRUE);
  // Watching starts before the first read, so no change can fall between.
  const std::wstring toolbar = registry::kToolbarKeyPath;
  watch_ = std::make_unique<RegistryWatch>(hwnd_, kRegistryChanged, toolbar.substr(toolbar.find(L'\\') + 1));

  menu_.reset(CreatePopupMenu());
  AppendMenuW(menu_.get(), MF_STRING, IDM_EXPLORER, L"&Windows Explorer");
  AppendMenuW(menu_.get(), MF_STRING, IDM_IE, L"&IE / Outlook Express");
  AppendMenuW(menu_.get(), MF_STRING, IDM_BOTH, L"&Both");

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

RECT frmMain::ToPixels(const Place& t) const {
  const int x = TwipsToPixels(t.x, screen_.ppi), y = TwipsToPixels(t.y, screen_.ppi);
  return {x, y, x + TwipsToPixels(t.w, screen_.ppi), y + TwipsToPixels(t.h, screen_.ppi)};
}

void frmMain::CreateControls() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // With no bitmap chosen the preview's toolbars show the tile holders' own
  // colour. The mock-up is a picture of another program in its own colours,
  // so in a dark scheme that colour stays the classic light face, under the
  // mock-up's black captions.
  const COLORREF mockupFace = darkScheme_ ? kClassicFace : face;
  for (const HolderDesign& h : kHolders) {
    const COLORREF back = h.back == Back::Window     ? GetSysColor(COLOR_WINDOW)
                          : h.back == Back::Key      ? COLORREF(kPreviewKeyColour)
                          : h.back == Back::Mockup   ? mockupFace
                                                     : face;
    holders_[static_cast<int>(h.holder)] = std::make_unique<PictureBox>(
        PictureBox::Design{h.twips.w, h.twips.h, back, false, true}, screen_.tpp);
  }
  LoadMockups();
  // Table order is Z order from the top. A new child window goes beneath its
  // siblings, as dialog controls do, so creating in table order gives it.
  // The other tabs' controls wait until the first frame is painted
  // (CreateLaterControls), as the first frame shows none of them.
  for (const Control& c : kControls)
    if (c.tab <= 0) CreateControl(c);
  HWND tabs = Item(IDC_TABSTRIP);
  for (int i = 0; i < static_cast<int>(std::size(kTabCaptions)); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kTabCaptions[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  ArrangeTabs();
  HWND list = Item(IDC_PREVIEW_LIST);
  for (const wchar_t* item : kPreviewItems)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  // The design keeps the About tab selected until Form_Load chooses the
  // first; nothing is shown before then, so only the choice is kept.
  tab_ = 2;
  SendMessageW(tabs, TCM_SETCURSEL, tab_, 0);
}

// Each goes into the Z order, and so the keyboard order, where creating the
// whole table at once would have put it: under the control before it.
void frmMain::CreateLaterControls() {
  if (laterCreated_) return;
  laterCreated_ = true;
  KillTimer(hwnd_, kLaterControlsTimerId);
  HWND above = nullptr;
  for (const Control& c : kControls) {
    HWND control = Item(c.id);
    if (!control) {
      control = CreateControl(c);
      if (above) SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (c.tab == tab_) ShowWindow(control, SW_SHOWNA);
    }
    above = control;
  }
  SetCaption(IDC_ABOUT, texts::AboutText());
  SetCaption(IDC_CONVERT_INSTRUCTIONS, texts::ConvertInstructions());
  // Annotated now, not before the first frame: the annotation service loads
  // oleacc.dll and what it needs.
  for (const Control& c : kControls) {
    if (c.kind == Kind::PictureBox || c.kind == Kind::Image) AnnotateAccessible(Item(c.id), ROLE_SYSTEM_GRAPHIC);
    // Its own text is the item chosen; its name is the label above it.
    if (c.kind == Kind::List) AnnotateAccessible(Item(c.id), ROLE_SYSTEM_COMBOBOX, Find(IDC_PREVIEW_LABEL).text);
  }
}

void frmMain::ArrangeTabs() {
  HWND tabs = Item(IDC_TABSTRIP);
  const RECT tabRect = ToPixels(Find(IDC_TABSTRIP).twips);
  const int headerHeight = TwipsToPixels(kTabHeaderHeight, screen_.ppi);
  const int headerWidth = (tabRect.right - tabRect.left - 4) / static_cast<int>(std::size(kTabCaptions));
  SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(headerWidth, headerHeight - 3));
  // The page fills what the tab control calls its display area.
  RECT page = tabRect;
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  SetWindowPos(Item(IDC_TAB_PAGE), nullptr, page.left, page.top, page.right - page.left,
               page.bottom - page.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT frmMain::PixelsOf(const Control& c) const {
  RECT r = ToPixels(InClient(c));
  if (c.kind == Kind::List) r.bottom += TwipsToPixels(1500, screen_.ppi);  // room for the dropped-down list
  if (c.kind == Kind::Line) r.bottom = r.top + 1;
  return r;
}

HFONT frmMain::FontOf(const Control& c) const {
  return c.font == Font::Bold ? bold_.get() : c.font == Font::Title ? title_.get() : font_.get();
}

HWND frmMain::CreateControl(const Control& c) {
  const RECT r = PixelsOf(c);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (c.flags & kFocus) style |= WS_TABSTOP;
  if (c.flags & kDisabled) style |= WS_DISABLED;
  if (c.tab < 0) style |= WS_VISIBLE;  // on every tab
  const wchar_t* cls = WC_STATICW;
  DWORD exStyle = 0;
  switch (c.kind) {
    case Kind::TabStrip: cls = WC_TABCONTROLW; style |= TCS_FIXEDWIDTH | TCS_FOCUSONBUTTONDOWN; break;
    case Kind::Button: cls = WC_BUTTONW; style |= BS_OWNERDRAW; break;
    case Kind::Frame: style |= SS_OWNERDRAW; break;  // drawn here: a group box leaves its inside unpainted
    case Kind::List:
      cls = WC_COMBOBOXW;
      style |= CBS_DROPDOWNLIST | WS_VSCROLL;
      break;
    case Kind::Label:
      style |= (c.flags & kCentred ? SS_CENTER : SS_LEFT) | (c.flags & kNoPrefix ? SS_NOPREFIX : 0);
      break;
    case Kind::Icon: style |= SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL; break;
    case Kind::Outline: style |= SS_BLACKFRAME; break;
    case Kind::Line: style |= SS_BLACKRECT; break;
    case Kind::PictureBox:
    case Kind::Image: {
      const bool border = c.flags & kBorder;
      auto box = std::make_unique<PictureBox>(
          PictureBox::Design{c.twips.w, c.twips.h, GetSysColor(c.kind == Kind::Image ? COLOR_BTNFACE : COLOR_WINDOW),
                             border, false},
          screen_.tpp);
      HWND made = box->Create(hwnd_, c.id, r, style & ~WS_CHILD & ~WS_CLIPSIBLINGS);
      if (c.id == IDC_CONVERT_PREVIEW) SetAccessibleName(made, std::wstring(kConvertPreviewName) + L"no picture opened");
      (c.id == IDC_PREVIEW ? picPreview_ : c.id == IDC_SWATCH_EXPLORER ? picSwatchExplorer_
       : c.id == IDC_SWATCH_IEOE ? picSwatchIEOE_ : imgConvertPreview_) = std::move(box);
      return made;
    }
  }
  HWND made = CreateWindowExW(exStyle, cls, c.text, style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                              instance_, nullptr);
  const HFONT font = FontOf(c);
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (c.kind == Kind::Label && !(c.flags & kCentred)) FitCaption(made, c, font);
  if (c.kind == Kind::Icon && c.picture) {
    SendMessageW(made, STM_SETICON, reinterpret_cast<WPARAM>(Icon(c.picture)), 0);
  }
  return made;
}

// At some densities a font's text comes out a pixel or two wider than the
// design allowed; a one-line caption then grows to the right rather than
// lose its last letters.
void frmMain::FitCaption(HWND label, const Control& c, HFONT font) {
  WindowDc dc(label);
  Selection chosen(dc.get(), font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  RECT r{};
  GetWindowRect(label, &r);
  if (r.bottom - r.top >= 2 * metrics.tmHeight || !*c.text) return;
  RECT text{0, 0, 0, 0};
  DrawTextW(dc.get(), c.text, -1, &text, DT_CALCRECT | DT_SINGLELINE | (c.flags & kNoPrefix ? DT_NOPREFIX : 0));
  if (text.right > r.right - r.left)
    SetWindowPos(label, nullptr, 0, 0, text.right, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON frmMain::Icon(int resource) {
  UniqueIcon& icon = icons_[resource];
  if (!icon)  // at the size the picture was drawn, not the system's icon size
    icon.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(resource), IMAGE_ICON, 0, 0, 0)));
  return icon.get();
}

PictureBox& frmMain::Box(int id) {
  return id == IDC_PREVIEW ? *picPreview_ : id == IDC_SWATCH_EXPLORER ? *picSwatchExplorer_
         : id == IDC_SWATCH_IEOE ? *picSwatchIEOE_ : *imgConvertPreview_;
}

void frmMain::SelectTab(int tab) {
  if (tab != 0) CreateLaterControls();
  tab_ = tab;
  SendMessageW(Item(IDC_TABSTRIP), TCM_SETCURSEL, tab, 0);
  // Named after the page it shows, which is what a screen reader should say
  // of the row of tabs; the text is never drawn.
  std::wstring page = kTabCaptions[tab];
  page.erase(std::remove(page.begin(), page.end(), L'&'), page.end());
  SetAccessibleName(Item(IDC_TABSTRIP), page + L" tab");
  HWND focus = GetFocus();
  for (const Control& c : kControls) {
    if (c.tab < 0) continue;
    HWND control = Item(c.id);
    if (!control) continue;  // not made yet
    if (c.tab != tab && control == focus) SetFocus(Item(IDC_TABSTRIP));
    ShowWindow(control, c.tab == tab ? SW_SHOWNA : SW_HIDE);
  }
}

// The window follows a move to a monitor of another density: every control
// laid out again from the design at the new density, new fonts, pictures
// drawn at the new size, and the frame where the system suggests.
void frmMain::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  screen_.ppi = dpi;
  screen_.tpp = {1440.0f / dpi, 1440.0f / dpi};
  UniqueFont font = MakeFont(dpi, 825, false), bold = MakeFont(dpi, 825, true), title = MakeFont(dpi, 1125, true);
  std::swap(font_, font);  // the old fonts live until no control uses them
  std::swap(bold_, bold);
  std::swap(title_, title);
  CreateLaterControls();  // a rare event: the whole window is laid out again in one pass
  for (const Control& c : kControls) {
    HWND control = Item(c.id);
    const RECT r = PixelsOf(c);
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(c)), FALSE);
    if (c.kind == Kind::Label && !(c.flags & kCentred)) FitCaption(control, c, FontOf(c));
  }
  ArrangeTabs();
  PlaceOutline();
  for (auto* box : {picPreview_.get(), picSwatchExplorer_.get(), picSwatchIEOE_.get(), imgConvertPreview_.get()})
    box->SetDensity(screen_.tpp);
  for (auto& holder : holders_) holder->SetDensity(screen_.tpp);
  LoadMockups();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Run(&frmMain::cboPreview_Click);  // the mock-up in use, at its new size
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void frmMain::TabStrip_Click() {
  SelectTab(static_cast<int>(SendMessageW(Item(IDC_TABSTRIP), TCM_GETCURSEL, 0, 0)));
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
      if (reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE) {
        Run(&frmMain::TabStrip_Click);
        return 0;
      }
      break;
    case WM_TIMER:
      if (wp == kRefreshTimerId) {
        // Ticks reach us inside a box's or a menu's own message loop too. The
        // redraw can show a box of its own, so it waits for a later tick.
        if (!InModalLoop()) Run(&frmMain::tmrRefresh_Timer);
        return 0;
      }
      if (wp == kLaterControlsTimerId) {
        Run(&frmMain::CreateLaterControls);
        return 0;
      }
      if (wp == kReloadTimerId) {
        if (!InModalLoop()) Run(&frmMain::ReloadIfChanged);  // the reload can show boxes too
        return 0;
      }
      if (wp == kDropTimerId) {
        if (!InModalLoop()) OpenDroppedLater();
        return 0;
      }
      if (wp == kFilesTimerId) {
        if (!InModalLoop()) Run(&frmMain::ReloadIfFilesChanged);
        return 0;
      }
      break;
    case kRegistryChanged:
      if (!std::exchange(reloadPending_, true)) SetTimer(hwnd_, kReloadTimerId, kReloadDelayMs, nullptr);
      return 0;
    case kFilesChanged:
      if (!std::exchange(filesPending_, true)) SetTimer(hwnd_, kFilesTimerId, kReloadDelayMs, nullptr);
      return 0;
    case kTellHeld:
      Run(&frmMain::TellHeld);
      return 0;
    case WM_DROPFILES: {
      struct Drop {  // the shell's list of files, given back when read
        HDROP h;
        ~Drop() { DragFinish(h); }
      } drop{reinterpret_cast<HDROP>(wp)};
      const UINT length = DragQueryFileW(drop.h, 0, nullptr, 0);  // several files: the first counts
      if (length == 0 || length == 0xFFFFFFFF) return 0;
      std::wstring first(length + 1, L'\0');
      first.resize(DragQueryFileW(drop.h, 0, first.data(), length + 1));
      if (!InModalLoop()) {
        OpenFromShell(first);
      } else {
        droppedDuringBox_ = first;
        SetTimer(hwnd_, kDropTimerId, kDropRetryMs, nullptr);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) RememberFocus();
      else if (tellWhenActive_) PostMessageW(hwnd_, kTellHeld, 0, 0);  // once the activation is done
      break;  // activation sets the focus to the window, which hands it on
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // high contrast turned on or off
      darkScheme_ = DarkOrHighContrastScheme();
      break;
    case kWmDpiChanged:
      OnDpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (item.CtlType == ODT_BUTTON) DrawButton(item);
      else DrawFrame(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
      for (const Control& c : kControls)
        if (laterCreated_ && (c.kind == Kind::PictureBox || c.kind == Kind::Image || c.kind == Kind::List))
          ClearAccessibleAnnotations(Item(c.id));
      watch_.reset();
      folderWatch_.reset();
      KillTimer(hwnd_, kFilesTimerId);
      KillTimer(hwnd_, kDropTimerId);
      KillTimer(hwnd_, kRefreshTimerId);
      KillTimer(hwnd_, kReloadTimerId);
      KillTimer(hwnd_, kLaterControlsTimerId);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      HWND gone = std::exchange(hwnd_, nullptr);  // nothing left for the destructor
      return DefWindowProcW(gone, msg, wp, lp);
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
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

// Nothing a handler raises may cross the window procedure: it is reported
// here, and the window stays open and usable.
void frmMain::Run(const std::function<void()>& work) {
  try {
    work();
  } catch (const Failure& f) {
    std::string what = f.what();
    ReportFailure(std::wstring(what.begin(), what.end()) + L" (error " + std::to_wstring(f.number()) + L")");
  } catch (const std::bad_alloc&) {
    ReportFailure(L"There is not enough memory to finish this.");
  } catch (const std::exception& e) {
    std::string what = e.what();
    ReportFailure(std::wstring(what.begin(), what.end()));
  }
}

void frmMain::ReportFailure(const std::wstring& what) {
  boxes_.Show(L"Velmora could not finish what it was doing:\r\n\r\n" + what +
                  L"\r\n\r\nThe window stays open; nothing else was changed.",
              kAppTitle, MB_ICONERROR);
}

void frmMain::DrawFrame(const DRAWITEMSTRUCT& item) {
  const Control& c = Find(static_cast<int>(item.CtlID));
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  Selection font(dc, bold_.get());
  SIZE caption{};
  GetTextExtentPoint32W(dc, c.text, lstrlenW(c.text), &caption);
  RECT edge = r;
  edge.top += caption.cy / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
  const int indent = TwipsToPixels(120, screen_.ppi);
  RECT text{r.left + indent, r.top, r.left + indent + caption.cx, r.top + caption.cy};
  FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, c.text, -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void frmMain::DrawButton(const DRAWITEMSTRUCT& item) {
  const Control& c = Find(static_cast<int>(item.CtlID));
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const int shift = pushed ? 1 : 0;

  const HICON icon = c.picture ? Icon(c.picture) : nullptr;
  ICONINFO info{};
  BITMAP bm{};
  int iconW = 0, iconH = 0;
  if (icon && GetIconInfo(icon, &info)) {
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    iconW = bm.bmWidth;
    iconH = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  Selection font(dc, font_.get());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int height = iconH + (iconH ? kButtonPictureGap : 0) + tm.tmHeight;
  const int top = r.top + (r.bottom - r.top - height) / 2 + shift;
  if (icon) {
    // In a dark or high-contrast scheme a picture of dark strokes on the
    // button face would vanish: it is drawn from its mask in the text colour.
    const bool mono = darkScheme_;
    DrawStateW(dc, mono ? GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT) : nullptr, nullptr,
               reinterpret_cast<LPARAM>(icon), 0, r.left + (r.right - r.left - iconW) / 2 + shift, top, iconW, iconH,
               DST_ICON | (mono ? DSS_MONO : disabled ? DSS_DISABLED : DSS_NORMAL));
  }
  SetBkMode(dc, TRANSPARENT);
  RECT text{r.left + shift, top + iconH + (iconH ? kButtonPictureGap : 0) , r.right + shift, r.bottom};
  if (disabled) {
    // Classic embossed grey, as the system draws a disabled caption.
    RECT light = text;
    OffsetRect(&light, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, c.text, -1, &light, DT_CENTER | DT_TOP | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, c.text, -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = r;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace velmora
