#pragma once
// The hidden picture holders, and the preview and swatches drawn from them:
// each surface tiled with its picture, the preview under the mock-up of the
// program chosen in the list.
#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "app/design.h"
#include "platform/picture_box_win.h"
#include "platform/screen.h"
#include "render/kept_overlay.h"

namespace velmora {

// The window's picture boxes by control id: made with their controls, the
// converter's only when the other tabs' controls are.
using PictureBoxes = std::map<int, std::unique_ptr<PictureBox>>;

class Preview {
 public:
  // With no bitmap chosen the preview's toolbars show the tile holders' own
  // colour, `mockupFace`.
  Preview(const Screen& screen, COLORREF mockupFace);
  PictureBox& Holder(design::Holder holder) { return *holders_[static_cast<int>(holder)]; }
  PictureBox& Mockup(int index) {  // as the preview list counts: IE, OE, Explorer
    return Holder(static_cast<design::Holder>(static_cast<int>(design::Holder::MaskIE) + index));
  }
  // The mock-ups from the program's resources, at the screen's density.
  void LoadMockups(HINSTANCE instance);
  // The screen's density changed: the holders and the mock-ups follow.
  void DensityChanged(HINSTANCE instance);
  // Tiles the swatches and the preview, and lays the mock-up of the list's
  // choice over the preview; nothing is shown yet. Answers the holders whose
  // pictures are beyond the drawing limits: their surfaces are left blank.
  std::vector<const PictureBox*> Draw(PictureBox& preview, PictureBox& swatchExplorer, PictureBox& swatchIEOE,
                                      int index, bool darkScheme);

 private:
  void Tile(PictureBox& dest, const PictureBox& source, std::vector<const PictureBox*>& tooLarge);
  void LayMockup(PictureBox& preview, int index);

  const Screen& screen_;
  std::array<std::unique_ptr<PictureBox>, std::size(design::kHolders)> holders_;
  std::array<render::KeptOverlay, 3> overlays_;  // by mock-up, made at its first redraw
};

}  // namespace velmora
