#pragma once
#include <cstdint>

#include "platform/surface.h"
#include "render/gdi.h"

namespace velmora::render {

// A colour-keyed picture laid over a surface again and again: its mask is
// made once and kept, with its contexts and bitmaps, so each copy is two
// blits. The pixels are exactly those of TransparentBlit from the same
// source, which is read only while the overlay is made: make a new one when
// the source or the key changes.
class KeptOverlay {
 public:
  KeptOverlay() = default;
  // Keeps width x height pixels of srcDC from (srcX, srcY), to be laid over
  // surfaces like likeDest's. Empty when the device keys colours itself (then
  // TransparentBlit is as quick) or GDI refuses an object; nothing is left.
  KeptOverlay(Gdi& gdi, DcHandle likeDest, int width, int height, DcHandle srcDC, int srcX, int srcY,
              Colour key);
  ~KeptOverlay();
  KeptOverlay(KeptOverlay&& other) noexcept;
  KeptOverlay& operator=(KeptOverlay&& other) noexcept;
  KeptOverlay(const KeptOverlay&) = delete;  // a copy would delete twice
  KeptOverlay& operator=(const KeptOverlay&) = delete;

  explicit operator bool() const { return gdi_ != nullptr; }
  // Over destDC at (destX, destY): the destination keeps its pixel where the
  // source was the key. An empty overlay draws nothing.
  void Draw(DcHandle destDC, int destX, int destY) const;

  // A memory context with a bitmap of its own selected.
  struct Layer {
    DcHandle dc = 0;
    GdiObject bitmap = 0, old = 0;
  };

 private:
  void Free();

  Gdi* gdi_ = nullptr;  // set only once every object exists
  int width_ = 0, height_ = 0;
  Layer mask_;    // white where the key is, black elsewhere
  Layer colour_;  // the source, black where the key is
};

}  // namespace velmora::render
