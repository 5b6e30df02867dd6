#include "app/preview_win.h"

#include <utility>

#include "platform/failure.h"
#include "render/gdi.h"
#include "render/round_to_int32.h"
#include "render/scale_nearest.h"
#include "render/tile_image.h"
#include "render/transparent_blit.h"

namespace velmora {

using namespace design;
using H = design::Holder;  // inside Preview, Holder names the member function

Preview::Preview(const Screen& screen, COLORREF mockupFace) : screen_(screen) {
  for (const HolderDesign& h : kHolders) {
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    if (h.back == Back::Window) back = GetSysColor(COLOR_WINDOW);
    if (h.back == Back::Key) back = kPreviewKeyColour;
    if (h.back == Back::Mockup) back = mockupFace;
    holders_[static_cast<int>(h.holder)] =
        std::make_unique<PictureBox>(PictureBox::Design{h.twips.w, h.twips.h, back, false, true}, screen_.tpp);
  }
}

void Preview::LoadMockups(HINSTANCE instance) {
  overlays_ = {};  // each was made from a mock-up about to be replaced
  for (int i = 0; i < static_cast<int>(std::size(kMaskBitmaps)); ++i) {
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(kMaskBitmaps[i]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof(bm), &bm)) continue;
    Picture drawn = Picture::Create(bm.bmWidth, bm.bmHeight);
    MemoryDc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    {
      Selection source(from.get(), bitmap.get()), target(to.get(), drawn.bitmap());
      if (source && target) BitBlt(to.get(), 0, 0, bm.bmWidth, bm.bmHeight, from.get(), 0, 0, SRCCOPY);
    }
    // The mock-ups are drawn for 96 dpi; at another density the preview has
    // more pixels, and the mock-up grows with it, pixel for pixel, so that
    // its key colour stays exactly the key.
    Picture picture = Picture::Create(MulDiv(bm.bmWidth, screen_.ppi, 96), MulDiv(bm.bmHeight, screen_.ppi, 96));
    if (!drawn || !picture) continue;
    render::ScaleNearest(drawn.row(0), drawn.width(), drawn.height(), drawn.stride(), picture.row(0),
                         picture.width(), picture.height(), picture.stride());
    Mockup(i).SetPicture(std::move(picture));
  }
}

void Preview::DensityChanged(HINSTANCE instance) {
  for (auto& holder : holders_) holder->SetDensity(screen_.tpp);
  LoadMockups(instance);
}

void Preview::Tile(PictureBox& dest, const PictureBox& source, std::vector<const PictureBox*>& tooLarge) {
  try {
    render::TileImage(render::SystemGdi(), dest.hdc(), source, dest.Width(), dest.Height(), screen_.tpp);
  } catch (const Failure& f) {
    if (f.number() != kOverflow) throw;
    // Blank, not the picture it showed before: that one is no longer set.
    dest.ClearPicture();
    tooLarge.push_back(&source);
  }
}

std::vector<const PictureBox*> Preview::Draw(PictureBox& preview, PictureBox& swatchExplorer,
                                             PictureBox& swatchIEOE, int index, bool darkScheme) {
  std::vector<const PictureBox*> tooLarge;
  Tile(swatchExplorer, Holder(H::SwatchExplorerTile), tooLarge);
  Tile(swatchIEOE, Holder(H::SwatchIEOETile), tooLarge);
  Tile(preview, Holder(index == 2 ? H::TileExplorer : H::TileIEOE), tooLarge);
  LayMockup(preview, index);
  // An empty swatch is the window's colour, which a dark scheme leaves
  // indistinguishable from the page: it gets the window frame's colour round it.
  if (darkScheme) {
    for (auto [swatch, tile] : {std::pair{&swatchExplorer, H::SwatchExplorerTile},
                                std::pair{&swatchIEOE, H::SwatchIEOETile}}) {
      if (Holder(tile).picture()) continue;
      RECT all{};
      GetClientRect(swatch->hwnd(), &all);
      FrameRect(reinterpret_cast<HDC>(swatch->hdc()), &all, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
  }
  return tooLarge;
}

// The mock-ups and the key never change while the program runs, so the mask
// of each is made at its first redraw and kept until LoadMockups makes the
// mock-ups again: a redraw then costs two blits, not the mask method's nine.
void Preview::LayMockup(PictureBox& preview, int index) {
  // The mock-up is drawn at the screen's density (LoadMockups), so the
  // overlay covers the preview's real pixels, not 330 x 168 of them.
  const int width = render::RoundToInt32(preview.Width() / screen_.tpp.x);
  const int height = render::RoundToInt32(preview.Height() / screen_.tpp.y);
  // The buffer holds the mock-up of the program chosen in the list.
  if (index >= 0 && index < static_cast<int>(overlays_.size())) {
    render::KeptOverlay& overlay = overlays_[index];
    if (!overlay)
      overlay = render::KeptOverlay(render::SystemGdi(), preview.hdc(), width, height, Mockup(index).hdc(), 0, 0,
                                    kPreviewKeyColour);
    if (overlay) {
      overlay.Draw(preview.hdc(), 0, 0);
      return;
    }
  }
  // The device keys colours itself, or GDI refused an object to keep.
  render::TransparentBlit(render::SystemGdi(), preview.hdc(), 0, 0, width, height, Holder(H::Buffer).hdc(), 0,
                          0, kPreviewKeyColour);
}

}  // namespace velmora
