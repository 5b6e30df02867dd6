// The window's controls, made from the design table and laid out again
// whenever the screen's density changes.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <utility>

#include "app/frm_main_win.h"
#include "app/owner_draw_win.h"
#include "platform/accessibility_win.h"
#include "platform/texts.h"

namespace velmora {
namespace {

using namespace design;

constexpr int kFontSize = 825;  // hundredths of a point
constexpr int kTitleFontSize = 1125;
constexpr int kDroppedListTwips = 1500;  // room below a list for its items
constexpr int kFrameCaptionIndentTwips = 120;

// The role a screen reader is told a kind of control has, where the proxy's
// own is wrong; 0 for the kinds left as they are.
long AnnotatedRole(Kind kind) {
  if (kind == Kind::PictureBox || kind == Kind::Image) return ROLE_SYSTEM_GRAPHIC;
  if (kind == Kind::List) return ROLE_SYSTEM_COMBOBOX;
  return 0;
}

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

// The old fonts live until this returns: no control uses them by then.
void frmMain::MakeFonts() {
  font_ = MakeFont(screen_.ppi, kFontSize, false);
  bold_ = MakeFont(screen_.ppi, kFontSize, true);
  title_ = MakeFont(screen_.ppi, kTitleFontSize, true);
}

RECT frmMain::ToPixels(const Place& t) const {
  const int x = TwipsToPixels(t.x, screen_.ppi), y = TwipsToPixels(t.y, screen_.ppi);
  return {x, y, x + TwipsToPixels(t.w, screen_.ppi), y + TwipsToPixels(t.h, screen_.ppi)};
}

RECT frmMain::PixelsOf(const Control& c) const {
  RECT r = ToPixels(InClient(c));
  if (c.kind == Kind::List) r.bottom += TwipsToPixels(kDroppedListTwips, screen_.ppi);
  if (c.kind == Kind::Line) r.bottom = r.top + 1;
  return r;
}

HFONT frmMain::FontOf(const Control& c) const {
  return c.font == Font::Bold ? bold_.get() : c.font == Font::Title ? title_.get() : font_.get();
}

void frmMain::CreateControls() {
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
  SetWindowTextW(Item(IDC_ABOUT), texts::AboutText().c_str());
  SetWindowTextW(Item(IDC_CONVERT_INSTRUCTIONS), texts::ConvertInstructions().c_str());
  // Annotated now, not before the first frame: the annotation service loads
  // oleacc.dll and what it needs.
  for (const Control& c : kControls) {
    if (c.kind == Kind::List)  // its own text is the item chosen; its name is the label above it
      AnnotateAccessible(Item(c.id), AnnotatedRole(c.kind), Find(IDC_PREVIEW_LABEL).text);
    else if (AnnotatedRole(c.kind))
      AnnotateAccessible(Item(c.id), AnnotatedRole(c.kind));
  }
}

void frmMain::ClearAnnotations() {
  if (!laterCreated_) return;  // nothing was annotated yet
  for (const Control& c : kControls)
    if (AnnotatedRole(c.kind)) ClearAccessibleAnnotations(Item(c.id));
}

HWND frmMain::CreateControl(const Control& c) {
  const RECT r = PixelsOf(c);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (c.flags & kFocus) style |= WS_TABSTOP;
  if (c.flags & kDisabled) style |= WS_DISABLED;
  if (c.tab < 0) style |= WS_VISIBLE;  // on every tab
  const wchar_t* cls = WC_STATICW;
  switch (c.kind) {
    case Kind::TabStrip: cls = WC_TABCONTROLW; style |= TCS_FIXEDWIDTH | TCS_FOCUSONBUTTONDOWN; break;
    case Kind::Button: cls = WC_BUTTONW; style |= BS_OWNERDRAW; break;
    case Kind::Frame: style |= SS_OWNERDRAW; break;  // drawn here: a group box leaves its inside unpainted
    case Kind::List: cls = WC_COMBOBOXW; style |= CBS_DROPDOWNLIST | WS_VSCROLL; break;
    case Kind::Label:
      style |= (c.flags & kCentred ? SS_CENTER : SS_LEFT) | (c.flags & kNoPrefix ? SS_NOPREFIX : 0);
      break;
    case Kind::Icon: style |= SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL; break;
    case Kind::Outline: style |= SS_BLACKFRAME; break;
    case Kind::Line: style |= SS_BLACKRECT; break;
    case Kind::PictureBox:
    case Kind::Image: {
      auto& box = pictureBoxes_[c.id];
      box = std::make_unique<PictureBox>(
          PictureBox::Design{c.twips.w, c.twips.h, GetSysColor(c.kind == Kind::Image ? COLOR_BTNFACE : COLOR_WINDOW),
                             (c.flags & kBorder) != 0, false},
          screen_.tpp);
      HWND made = box->Create(hwnd_, c.id, r, style & ~WS_CHILD & ~WS_CLIPSIBLINGS);
      if (c.id == IDC_CONVERT_PREVIEW) SetAccessibleName(made, texts::ConvertPreviewName(L""));
      return made;
    }
  }
  HWND made = CreateWindowExW(0, cls, c.text, style, r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
  const HFONT font = FontOf(c);
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (c.kind == Kind::Label && !(c.flags & kCentred)) FitCaption(made, c, font);
  if (c.kind == Kind::Icon && c.picture) SendMessageW(made, STM_SETICON, reinterpret_cast<WPARAM>(Icon(c.picture)), 0);
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

void frmMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const Control& c = Find(static_cast<int>(item.CtlID));
  if (item.CtlType == ODT_BUTTON)
    DrawPictureButton(item, c.text, c.picture ? Icon(c.picture) : nullptr, font_.get(), darkScheme_);
  else
    DrawCaptionedFrame(item, c.text, bold_.get(), TwipsToPixels(kFrameCaptionIndentTwips, screen_.ppi));
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

void frmMain::PlaceOutline() {
  Control outline = Find(IDC_PREVIEW_OUTLINE);
  outline.twips = outline_;
  const RECT r = ToPixels(InClient(outline));
  SetWindowPos(Item(IDC_PREVIEW_OUTLINE), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmMain::SetListIndex(int index) {
  // Setting the index raises the list's click event at once, as a user's choice does.
  SendMessageW(Item(IDC_PREVIEW_LIST), CB_SETCURSEL, index, 0);
  cboPreview_Click();
}

void frmMain::TabStrip_Click() {
  SelectTab(static_cast<int>(SendMessageW(Item(IDC_TABSTRIP), TCM_GETCURSEL, 0, 0)));
}

void frmMain::SelectTab(int tab) {
  if (tab != 0) CreateLaterControls();
  tab_ = tab;
  SendMessageW(Item(IDC_TABSTRIP), TCM_SETCURSEL, tab, 0);
  // Named after the page it shows, which is what a screen reader should say
  // of the row of tabs; the text is never drawn.
  std::wstring page = kTabCaptions[tab];
  page.erase(std::remove(page.begin(), page.end(), L'&'), page.end());
  SetAccessibleName(Item(IDC_TABSTRIP), texts::TabRowName(page));
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
  const UniqueFont oldFont = std::move(font_), oldBold = std::move(bold_), oldTitle = std::move(title_);
  MakeFonts();
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
  for (auto& [id, box] : pictureBoxes_) box->SetDensity(screen_.tpp);
  wallpaper_.DensityChanged();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Run(&frmMain::cboPreview_Click);  // the mock-up in use, at its new size
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace velmora
