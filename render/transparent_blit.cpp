#include "render/transparent_blit.h"

#include <initializer_list>

namespace velmora::render {
namespace {

// The device keys the colour out itself while in NEWTRANSPARENT mode.
void DeviceCopy(Gdi& gdi, DcHandle destDC, int destX, int destY, int width, int height,
                DcHandle srcDC, int srcX, int srcY, Colour key) {
  const int oldMode = gdi.SetBkMode(destDC, kNewTransparent);
  const Colour oldColour = gdi.SetBkColor(destDC, key);
  gdi.BitBlt(destDC, destX, destY, width, height, srcDC, srcX, srcY, kSrcCopy);
  if (oldColour != kInvalidColour) gdi.SetBkColor(destDC, oldColour);
  if (oldMode != 0) gdi.SetBkMode(destDC, oldMode);
}

bool Selected(GdiObject previous) { return previous != 0 && previous != kGdiError; }

// The working objects of the mask method. The clean-up is written out rather
// than left to destructors: selections go back, then bitmaps, then contexts,
// each in its own fixed order, which no one order of destruction gives.
struct MaskWork {
  DcHandle colourDc = 0, maskDc = 0, inverseDc = 0, workDc = 0;
  GdiObject maskBm = 0, inverseBm = 0, workBm = 0, colourBm = 0;
  GdiObject oldColour = 0, oldMask = 0, oldInverse = 0, oldWork = 0;
};

// Creates in the fixed order and stops at the first refusal: nothing can be
// drawn without all eight, and a starved GDI should not be asked for more.
bool Create(Gdi& gdi, MaskWork& m, DcHandle destDC, int width, int height) {
  return (m.colourDc = gdi.CreateCompatibleDC(destDC)) &&
         (m.maskDc = gdi.CreateCompatibleDC(destDC)) &&
         (m.inverseDc = gdi.CreateCompatibleDC(destDC)) &&
         (m.workDc = gdi.CreateCompatibleDC(destDC)) &&
         (m.maskBm = gdi.CreateBitmap(width, height, 1, 1, nullptr)) &&
         (m.inverseBm = gdi.CreateBitmap(width, height, 1, 1, nullptr)) &&
         (m.workBm = gdi.CreateCompatibleBitmap(destDC, width, height)) &&
         (m.colourBm = gdi.CreateCompatibleBitmap(destDC, width, height));
}

bool Select(Gdi& gdi, MaskWork& m) {
  return Selected(m.oldColour = gdi.SelectObject(m.colourDc, m.colourBm)) &&
         Selected(m.oldMask = gdi.SelectObject(m.maskDc, m.maskBm)) &&
         Selected(m.oldInverse = gdi.SelectObject(m.inverseDc, m.inverseBm)) &&
         Selected(m.oldWork = gdi.SelectObject(m.workDc, m.workBm));
}

void Release(Gdi& gdi, const MaskWork& m) {
  if (Selected(m.oldColour)) gdi.SelectObject(m.colourDc, m.oldColour);
  if (Selected(m.oldWork)) gdi.SelectObject(m.workDc, m.oldWork);
  if (Selected(m.oldMask)) gdi.SelectObject(m.maskDc, m.oldMask);
  if (Selected(m.oldInverse)) gdi.SelectObject(m.inverseDc, m.oldInverse);
  for (GdiObject bitmap : {m.colourBm, m.maskBm, m.inverseBm, m.workBm})
    if (bitmap) gdi.DeleteObject(bitmap);
  for (DcHandle dc : {m.colourDc, m.inverseDc, m.maskDc, m.workDc})
    if (dc) gdi.DeleteDC(dc);
}

// Relies on the memory contexts' default colours, white background and black
// text: a 1 bit of a mask lands on a colour surface as white, a 0 as black.
void MaskCopy(Gdi& gdi, DcHandle destDC, int destX, int destY, int width, int height,
              DcHandle srcDC, int srcX, int srcY, Colour key) {
  MaskWork m;
  if (Create(gdi, m, destDC, width, height) && Select(gdi, m)) {
    // Going to monochrome, pixels equal to the source's background colour
    // become 1: the mask is white exactly where the key is.
    const Colour oldBk = gdi.SetBkColor(srcDC, key);
    gdi.BitBlt(m.maskDc, 0, 0, width, height, srcDC, srcX, srcY, kSrcCopy);
    if (oldBk != kInvalidColour) gdi.SetBkColor(srcDC, oldBk);
    gdi.BitBlt(m.inverseDc, 0, 0, width, height, m.maskDc, 0, 0, kNotSrcCopy);
    gdi.BitBlt(m.workDc, 0, 0, width, height, destDC, destX, destY, kSrcCopy);
    gdi.BitBlt(m.workDc, 0, 0, width, height, m.maskDc, 0, 0, kSrcAnd);
    gdi.BitBlt(m.colourDc, 0, 0, width, height, srcDC, srcX, srcY, kSrcCopy);
    gdi.BitBlt(m.colourDc, 0, 0, width, height, m.inverseDc, 0, 0, kSrcAnd);
    // Work is black where the source shows and colour black where the key
    // is, so exclusive or joins them without touching either.
    gdi.BitBlt(m.workDc, 0, 0, width, height, m.colourDc, 0, 0, kSrcInvert);
    gdi.BitBlt(destDC, destX, destY, width, height, m.workDc, 0, 0, kSrcCopy);
  }
  Release(gdi, m);
}

}  // namespace

void TransparentBlit(Gdi& gdi, DcHandle destDC, int destX, int destY,
                     int copyWidth, int copyHeight, DcHandle srcDC,
                     int srcX, int srcY, std::uint32_t keyColour) {
  // GDI would turn an empty bitmap into a stock 1x1 one and copy that.
  if (copyWidth <= 0 || copyHeight <= 0) return;
  if (gdi.GetDeviceCaps(destDC, kCaps1) & kC1Transparent)
    DeviceCopy(gdi, destDC, destX, destY, copyWidth, copyHeight, srcDC, srcX, srcY, keyColour);
  else
    MaskCopy(gdi, destDC, destX, destY, copyWidth, copyHeight, srcDC, srcX, srcY, keyColour);
}

}  // namespace velmora::render
