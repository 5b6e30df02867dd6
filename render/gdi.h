#pragma once
// The gdi32 calls the tiling and the colour-key copy make, behind an
// interface so that their order and their clean-up can be checked without
// Windows. Handles are kept as integers, as DcHandle is.
#include <cstdint>

#include "platform/surface.h"

namespace velmora::render {

using GdiObject = std::uintptr_t;  // an HGDIOBJ: here always a bitmap
using Colour = std::uint32_t;      // a COLORREF, 0x00BBGGRR

inline constexpr int kCaps1 = 94;               // GetDeviceCaps index
inline constexpr int kC1Transparent = 1;        // bit of kCaps1
inline constexpr int kNewTransparent = 3;       // background mode
inline constexpr Colour kInvalidColour = 0xFFFFFFFF;  // SetBkColor's failure
inline constexpr GdiObject kGdiError = ~GdiObject{0};  // SelectObject's HGDI_ERROR

inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t kNotSrcCopy = 0x00330008;
inline constexpr std::uint32_t kSrcAnd = 0x008800C6;
inline constexpr std::uint32_t kSrcInvert = 0x00660046;

class Gdi {
 public:
  virtual ~Gdi() = default;
  virtual bool BitBlt(DcHandle dest, int x, int y, int width, int height,
                      DcHandle src, int srcX, int srcY, std::uint32_t rop) = 0;
  virtual int GetDeviceCaps(DcHandle dc, int index) = 0;
  virtual int SetBkMode(DcHandle dc, int mode) = 0;             // the previous mode; 0 on failure
  virtual Colour SetBkColor(DcHandle dc, Colour colour) = 0;    // the previous colour, or kInvalidColour
  virtual DcHandle CreateCompatibleDC(DcHandle dc) = 0;         // 0 on failure
  virtual GdiObject CreateBitmap(int width, int height, std::uint32_t planes,
                                 std::uint32_t bitsPerPixel, const void* bits) = 0;
  virtual GdiObject CreateCompatibleBitmap(DcHandle dc, int width, int height) = 0;
  // The object it replaces; 0 or kGdiError on failure.
  virtual GdiObject SelectObject(DcHandle dc, GdiObject object) = 0;
  virtual bool DeleteObject(GdiObject object) = 0;
  virtual bool DeleteDC(DcHandle dc) = 0;
};

// gdi32 itself, for the whole process (Windows build only).
Gdi& SystemGdi();

}  // namespace velmora::render
