#include "app/owner_draw_win.h"

#include "platform/handles_win.h"

namespace velmora {
namespace {

constexpr int kPictureGap = 2;  // between a button's picture and its caption
constexpr int kFocusInset = 4;

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  BITMAP bm{};
  if (!icon || !GetIconInfo(icon, &info)) return {0, 0};
  UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);  // GetIconInfo hands both over
  GetObjectW(colour ? colour.get() : mask.get(), sizeof(bm), &bm);
  // A monochrome icon's mask holds the AND and XOR halves one above the other.
  return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

}  // namespace

void DrawCaptionedFrame(const DRAWITEMSTRUCT& item, const wchar_t* caption, HFONT font, int indent) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  Selection chosen(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &extent);
  RECT edge = r;
  edge.top += extent.cy / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
  RECT text{r.left + indent, r.top, r.left + indent + extent.cx, r.top + extent.cy};
  FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, caption, -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, const wchar_t* caption, HICON picture, HFONT font, bool mono) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const int shift = pushed ? 1 : 0;

  const SIZE icon = IconSize(picture);
  const int gap = icon.cy ? kPictureGap : 0;
  Selection chosen(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int top = r.top + (r.bottom - r.top - (icon.cy + gap + tm.tmHeight)) / 2 + shift;
  if (picture) {
    DrawStateW(dc, mono ? GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT) : nullptr, nullptr,
               reinterpret_cast<LPARAM>(picture), 0, r.left + (r.right - r.left - icon.cx) / 2 + shift, top,
               icon.cx, icon.cy, DST_ICON | (mono ? DSS_MONO : disabled ? DSS_DISABLED : DSS_NORMAL));
  }
  SetBkMode(dc, TRANSPARENT);
  RECT text{r.left + shift, top + icon.cy + gap, r.right + shift, r.bottom};
  if (disabled) {
    // Classic embossed grey, as the system draws a disabled caption.
    RECT light = text;
    OffsetRect(&light, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, caption, -1, &light, DT_CENTER | DT_TOP | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = r;
    InflateRect(&focus, -kFocusInset, -kFocusInset);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace velmora
