#pragma once
#include "platform/surface.h"
#include "render/gdi.h"

namespace velmora::render {

// Fills destDC from its top-left corner with copies of source's image laid
// edge to edge, over destWidth x destHeight twips. Tile and extent are
// converted to pixels with the given twips per pixel, exactly where the figure
// is no whole number (175 % and 200 % scaling); the last row and column
// start at or before the far edges, and the surface clips what reaches past.
// Fails with Failure(kOverflow) at the first copy whose position or size does
// not fit in 16 bits, copies before it staying drawn. A source less than a
// pixel wide or high draws nothing.
void TileImage(Gdi& gdi, DcHandle destDC, const PictureSurface& source,
               float destWidth, float destHeight, TwipsPerPixel twipsPerPixel);

}  // namespace velmora::render
