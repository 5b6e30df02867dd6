#include "render/kept_overlay.h"

#include <utility>

namespace velmora::render {
namespace {

using Layer = KeptOverlay::Layer;

bool Selected(GdiObject previous) { return previous != 0 && previous != kGdiError; }

// Stops at the first refusal: a starved GDI should not be asked for more.
bool Make(Gdi& gdi, Layer& layer, DcHandle like, int width, int height, bool monochrome) {
  return (layer.dc = gdi.CreateCompatibleDC(like)) &&
         (layer.bitmap = monochrome ? gdi.CreateBitmap(width, height, 1, 1, nullptr)
                                    : gdi.CreateCompatibleBitmap(like, width, height)) &&
         Selected(layer.old = gdi.SelectObject(layer.dc, layer.bitmap));
}

// The bitmap goes back out of its context before either is deleted.
void Free(Gdi& gdi, Layer& layer) {
  if (Selected(layer.old)) gdi.SelectObject(layer.dc, layer.old);
  if (layer.bitmap) gdi.DeleteObject(layer.bitmap);
  if (layer.dc) gdi.DeleteDC(layer.dc);
  layer = Layer{};
}

}  // namespace

KeptOverlay::KeptOverlay(Gdi& gdi, DcHandle likeDest, int width, int height, DcHandle srcDC, int srcX,
                         int srcY, Colour key) {
  if (width <= 0 || height <= 0) return;
  if (gdi.GetDeviceCaps(likeDest, kCaps1) & kC1Transparent) return;
  // The same steps and formats as TransparentBlit's mask method, so the same
  // pixels; only the two that touch the destination are left for Draw.
  Layer mono, inverse;
  if (Make(gdi, mono, likeDest, width, height, true) && Make(gdi, inverse, likeDest, width, height, true) &&
      Make(gdi, mask_, likeDest, width, height, false) && Make(gdi, colour_, likeDest, width, height, false)) {
    const Colour oldBk = gdi.SetBkColor(srcDC, key);
    gdi.BitBlt(mono.dc, 0, 0, width, height, srcDC, srcX, srcY, kSrcCopy);
    if (oldBk != kInvalidColour) gdi.SetBkColor(srcDC, oldBk);
    gdi.BitBlt(inverse.dc, 0, 0, width, height, mono.dc, 0, 0, kNotSrcCopy);
    // A fresh context's white background and black text turn the
    // monochrome mask into colour as the mask method's work context does.
    gdi.BitBlt(mask_.dc, 0, 0, width, height, mono.dc, 0, 0, kSrcCopy);
    gdi.BitBlt(colour_.dc, 0, 0, width, height, srcDC, srcX, srcY, kSrcCopy);
    gdi.BitBlt(colour_.dc, 0, 0, width, height, inverse.dc, 0, 0, kSrcAnd);
    gdi_ = &gdi;
    width_ = width;
    height_ = height;
  } else {
    render::Free(gdi, mask_);
    render::Free(gdi, colour_);
  }
  render::Free(gdi, inverse);
  render::Free(gdi, mono);
}

KeptOverlay::~KeptOverlay() { Free(); }

KeptOverlay::KeptOverlay(KeptOverlay&& other) noexcept
    : gdi_(std::exchange(other.gdi_, nullptr)),
      width_(other.width_),
      height_(other.height_),
      mask_(std::exchange(other.mask_, Layer{})),
      colour_(std::exchange(other.colour_, Layer{})) {}

KeptOverlay& KeptOverlay::operator=(KeptOverlay&& other) noexcept {
  if (this != &other) {
    Free();
    gdi_ = std::exchange(other.gdi_, nullptr);
    width_ = other.width_;
    height_ = other.height_;
    mask_ = std::exchange(other.mask_, Layer{});
    colour_ = std::exchange(other.colour_, Layer{});
  }
  return *this;
}

void KeptOverlay::Free() {
  if (!gdi_) return;
  render::Free(*gdi_, mask_);
  render::Free(*gdi_, colour_);
  gdi_ = nullptr;
}

void KeptOverlay::Draw(DcHandle destDC, int destX, int destY) const {
  if (!gdi_) return;
  // Black where the source shows, then the source joined in by exclusive or:
  // the mask method's last steps, done on the destination itself.
  gdi_->BitBlt(destDC, destX, destY, width_, height_, mask_.dc, 0, 0, kSrcAnd);
  gdi_->BitBlt(destDC, destX, destY, width_, height_, colour_.dc, 0, 0, kSrcInvert);
}

}  // namespace velmora::render
