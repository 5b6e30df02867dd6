#pragma once
#include <cstdint>

#include "platform/surface.h"
#include "render/gdi.h"

namespace velmora::render {

// Copies copyWidth x copyHeight pixels from srcDC (srcX, srcY) to destDC
// (destX, destY), leaving out every source pixel whose value in the source's
// own format equals keyColour (0x00BBGGRR): there the destination keeps its
// pixel. The destination must be readable (a memory context). srcDC's and
// destDC's background colour and mode are as before when it returns. If GDI
// cannot create a working context or bitmap, nothing is drawn.
void TransparentBlit(Gdi& gdi, DcHandle destDC, int destX, int destY,
                     int copyWidth, int copyHeight, DcHandle srcDC,
                     int srcX, int srcY, std::uint32_t keyColour);

}  // namespace velmora::render
