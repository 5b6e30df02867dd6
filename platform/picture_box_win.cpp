#include "platform/picture_box_win.h"

#include <cmath>

namespace velmora {
namespace {
constexpr int kBorderPixels = 2;  // WS_EX_CLIENTEDGE
}

SharedPicture::SharedPicture(Picture picture)
    : picture_(std::move(picture)), dc_(CreateCompatibleDC(nullptr)), selected_(dc_.get(), picture_.bitmap()) {}

PictureBox::PictureBox(const Design& design, TwipsPerPixel tpp)
    : design_(design), tpp_(tpp), dc_(CreateCompatibleDC(nullptr)) {
  Rebuild();
}

PictureBox::~PictureBox() {
  selected_.reset();  // put the DC's own bitmap back before either goes
  if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

const wchar_t* PictureBox::WindowClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = &PictureBox::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VelmoraPictureBox";
    return RegisterClassExW(&wc);
  }();
  return atom ? L"VelmoraPictureBox" : nullptr;
}

HWND PictureBox::Create(HWND parent, int id, const RECT& px, DWORD style) {
  hwnd_ = CreateWindowExW(design_.border ? WS_EX_CLIENTEDGE : 0, WindowClass(), L"",
                          WS_CHILD | WS_CLIPSIBLINGS | style, px.left, px.top,
                          px.right - px.left, px.bottom - px.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Rebuild();
  return hwnd_;
}

float PictureBox::Width() const {
  if (design_.autoSize && picture_)
    return (picture().width() + (design_.border ? 2 * kBorderPixels : 0)) * tpp_.x;
  return static_cast<float>(design_.widthTwips);
}

float PictureBox::Height() const {
  if (design_.autoSize && picture_)
    return (picture().height() + (design_.border ? 2 * kBorderPixels : 0)) * tpp_.y;
  return static_cast<float>(design_.heightTwips);
}

SIZE PictureBox::ImagePixels() const {
  if (hwnd_) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return {client.right, client.bottom};
  }
  const int border = design_.border ? 2 * kBorderPixels : 0;
  return {std::max(1L, std::lround(Width() / tpp_.x) - border),
          std::max(1L, std::lround(Height() / tpp_.y) - border)};
}

void PictureBox::SetPicture(Picture picture) {
  SetPicture(picture ? std::make_shared<const SharedPicture>(std::move(picture)) : nullptr);
}

void PictureBox::SetPicture(std::shared_ptr<const SharedPicture> picture) {
  picture_ = picture && picture->picture() ? std::move(picture) : nullptr;
  Rebuild();
}

void PictureBox::ClearPicture() { SetPicture(nullptr); }

const Picture& PictureBox::picture() const {
  static const Picture none;
  return picture_ ? picture_->picture() : none;
}

DcHandle PictureBox::hdc() const {
  return reinterpret_cast<DcHandle>(ShowsPictureItself() ? picture_->dc() : dc_.get());
}

void PictureBox::Rebuild() {
  selected_.reset();
  if (!dc_) return;
  if (ShowsPictureItself()) {
    backing_ = Picture();  // no second copy of the pixels
    return;
  }
  const SIZE size = ImagePixels();
  backing_ = Picture::Create(size.cx, size.cy);
  if (!backing_) return;
  selected_ = std::make_unique<Selection>(dc_.get(), backing_.bitmap());
  RECT all{0, 0, size.cx, size.cy};
  UniqueGdiObject brush(CreateSolidBrush(design_.back));
  FillRect(dc_.get(), &all, static_cast<HBRUSH>(brush.get()));
  if (picture_) BitBlt(dc_.get(), 0, 0, picture().width(), picture().height(), picture_->dc(), 0, 0, SRCCOPY);
}

void PictureBox::Refresh() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void PictureBox::SetDensity(TwipsPerPixel tpp) {
  tpp_ = tpp;
  Rebuild();
}

void PictureBox::Show(HDC target) const {
  const SIZE size = ImagePixels();
  BitBlt(target, 0, 0, size.cx, size.cy, dc_.get(), 0, 0, SRCCOPY);
  // A box that takes the focus shows it, as a button does, unless keyboard
  // cues are hidden until the keyboard is used.
  if (GetFocus() == hwnd_ && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT focus{0, 0, size.cx, size.cy};
    InflateRect(&focus, -1, -1);
    DrawFocusRect(target, &focus);
  }
}

void PictureBox::Paint() {
  PAINTSTRUCT ps;
  Show(BeginPaint(hwnd_, &ps));
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK PictureBox::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* box = reinterpret_cast<PictureBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT:
      if (!box) break;
      box->Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the backing image covers the whole client area
    case WM_PRINTCLIENT:  // what the box shows, for whoever asks to print it
      if (!box) break;
      box->Show(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_UPDATEUISTATE:
      DefWindowProcW(hwnd, msg, wp, lp);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace velmora
