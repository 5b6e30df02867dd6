// The second floor under velmora.exe's start-up: a window that creates
// exactly the controls the first frame shows (the first tab's, from the same
// design table, at the same places, with the same font) and paints them once,
// with no logic behind them: no registry, pictures, mock-ups or timers.
#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "app/design.h"
#include "platform/handles_win.h"
#include "platform/screen.h"

namespace {

using namespace velmora::design;
using velmora::TwipsToPixels;

constexpr wchar_t kClass[] = L"VelmoraBenchFirstTabWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

int ppi = 96;

RECT Pixels(const Place& t) {
  const int x = TwipsToPixels(t.x, ppi), y = TwipsToPixels(t.y, ppi);
  return {x, y, x + TwipsToPixels(t.w, ppi), y + TwipsToPixels(t.h, ppi)};
}

// The system's own control for each kind: what velmora draws itself is left
// to the system here, at about the same cost.
void CreateControl(HWND parent, const Control& c, HFONT font) {
  RECT r = Pixels(InClient(c));
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE;
  if (c.flags & kFocus) style |= WS_TABSTOP;
  if (c.flags & kDisabled) style |= WS_DISABLED;
  const wchar_t* cls = WC_STATICW;
  DWORD exStyle = 0;
  switch (c.kind) {
    case Kind::TabStrip: cls = WC_TABCONTROLW; style |= TCS_FIXEDWIDTH; break;
    case Kind::Button: cls = WC_BUTTONW; style |= BS_PUSHBUTTON; break;
    case Kind::Frame: cls = WC_BUTTONW; style |= BS_GROUPBOX; break;
    case Kind::List: cls = WC_COMBOBOXW; style |= CBS_DROPDOWNLIST | WS_VSCROLL; r.bottom += TwipsToPixels(1500, ppi); break;
    case Kind::Label: style |= c.flags & kCentred ? SS_CENTER : SS_LEFT; break;
    case Kind::Icon: style |= SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL; break;
    case Kind::Outline: style |= SS_BLACKFRAME; break;
    case Kind::Line: style |= SS_BLACKRECT; break;
    case Kind::PictureBox:
    case Kind::Image:
      style |= SS_WHITERECT;
      if (c.flags & kBorder) exStyle |= WS_EX_CLIENTEDGE;
      break;
  }
  HWND made = CreateWindowExW(exStyle, cls, c.text, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (c.kind == Kind::TabStrip) {
    for (int i = 0; i < static_cast<int>(std::size(kTabCaptions)); ++i) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(kTabCaptions[i]);
      SendMessageW(made, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  if (c.kind == Kind::List)
    for (const wchar_t* item : kPreviewItems) SendMessageW(made, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  {
    velmora::WindowDc screen(nullptr);
    ppi = GetDeviceCaps(screen.get(), LOGPIXELSX);
  }

  WNDCLASSEXW wc{sizeof(wc)};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClass;
  if (!RegisterClassExW(&wc)) return 1;

  RECT frame = Pixels(kClient);
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, kClass, L"First tab window", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                              nullptr);
  if (!hwnd) return 1;
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(825, ppi, 7200);
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  velmora::UniqueFont font(CreateFontIndirectW(&lf));  // the window is gone before the loop ends
  for (const Control& c : kControls)
    if (c.tab <= 0) CreateControl(hwnd, c, font.get());
  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
