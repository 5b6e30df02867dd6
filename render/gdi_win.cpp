#include <windows.h>

#include "render/gdi.h"

namespace velmora::render {
namespace {

HDC Dc(DcHandle dc) { return reinterpret_cast<HDC>(dc); }
HGDIOBJ Obj(GdiObject object) { return reinterpret_cast<HGDIOBJ>(object); }
DcHandle Handle(HDC dc) { return reinterpret_cast<DcHandle>(dc); }
GdiObject Handle(HGDIOBJ object) { return reinterpret_cast<GdiObject>(object); }

class Gdi32 final : public Gdi {
 public:
  bool BitBlt(DcHandle dest, int x, int y, int width, int height,
              DcHandle src, int srcX, int srcY, std::uint32_t rop) override {
    return ::BitBlt(Dc(dest), x, y, width, height, Dc(src), srcX, srcY, rop) != FALSE;
  }
  int GetDeviceCaps(DcHandle dc, int index) override { return ::GetDeviceCaps(Dc(dc), index); }
  int SetBkMode(DcHandle dc, int mode) override { return ::SetBkMode(Dc(dc), mode); }
  Colour SetBkColor(DcHandle dc, Colour colour) override { return ::SetBkColor(Dc(dc), colour); }
  DcHandle CreateCompatibleDC(DcHandle dc) override { return Handle(::CreateCompatibleDC(Dc(dc))); }
  GdiObject CreateBitmap(int width, int height, std::uint32_t planes,
                         std::uint32_t bitsPerPixel, const void* bits) override {
    return Handle(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
  }
  GdiObject CreateCompatibleBitmap(DcHandle dc, int width, int height) override {
    return Handle(::CreateCompatibleBitmap(Dc(dc), width, height));
  }
  GdiObject SelectObject(DcHandle dc, GdiObject object) override {
    return Handle(::SelectObject(Dc(dc), Obj(object)));
  }
  bool DeleteObject(GdiObject object) override { return ::DeleteObject(Obj(object)) != FALSE; }
  bool DeleteDC(DcHandle dc) override { return ::DeleteDC(Dc(dc)) != FALSE; }
};

// CAPS1, C1_TRANSPARENT and NEWTRANSPARENT are not in mingw-w64's headers.
static_assert(kSrcCopy == SRCCOPY && kNotSrcCopy == NOTSRCCOPY && kSrcAnd == SRCAND &&
              kSrcInvert == SRCINVERT && kInvalidColour == CLR_INVALID);

}  // namespace

Gdi& SystemGdi() {
  static Gdi32 gdi;
  return gdi;
}

}  // namespace velmora::render
