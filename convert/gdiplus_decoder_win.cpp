// Pictures through GDI+ 1.0, where WIC is missing: Windows XP has GDI+ but
// not WIC. gdiplus.dll is loaded only when first needed, so a start-up with
// WIC never pays for it; on XP the manifest names the side-by-side assembly
// it comes from.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "convert/picture_decoder_win.h"
#include "convert/pixel_rows.h"
#include "platform/newer_api_win.h"

namespace velmora::convert {
namespace {

namespace flat = Gdiplus::DllExports;

// Rows move a strip at a time, as with WIC: up to 64 rows, no more than
// 1 MiB unless a single row is longer.
constexpr UINT kStripRows = 64;
constexpr std::size_t kStripBytes = 1 << 20;

template <class F>
bool Find(HMODULE module, const char* name, F& function) {
  function = ModuleFunction<F>(module, name);
  return function != nullptr;
}

// The GDI+ 1.0 functions the decoder calls, all of them on XP.
struct Api {
  decltype(&flat::GdipCreateBitmapFromFile) createFromFile = nullptr;
  decltype(&flat::GdipGetImageRawFormat) rawFormat = nullptr;
  decltype(&flat::GdipGetImageWidth) width = nullptr;
  decltype(&flat::GdipGetImageHeight) height = nullptr;
  decltype(&flat::GdipBitmapLockBits) lockBits = nullptr;
  decltype(&flat::GdipBitmapUnlockBits) unlockBits = nullptr;
  decltype(&flat::GdipDisposeImage) dispose = nullptr;

  bool Load(HMODULE m) {
    return Find(m, "GdipCreateBitmapFromFile", createFromFile) && Find(m, "GdipGetImageRawFormat", rawFormat) &&
           Find(m, "GdipGetImageWidth", width) && Find(m, "GdipGetImageHeight", height) &&
           Find(m, "GdipBitmapLockBits", lockBits) && Find(m, "GdipBitmapUnlockBits", unlockBits) &&
           Find(m, "GdipDisposeImage", dispose);
  }
};

// GDI+'s image format identifiers, {b96b3cXX-0728-11d3-9d7b-0000f81ef32e};
// written out here, since the import library that holds them would also
// bring gdiplus.dll into the import table.
constexpr GUID ImageFormat(unsigned char last) {
  return {0xb96b3ca0u + last, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
}
constexpr GUID kFormatBmp = ImageFormat(0x0b), kFormatJpeg = ImageFormat(0x0e), kFormatPng = ImageFormat(0x0f),
               kFormatGif = ImageFormat(0x10);

const GUID* FormatOf(PictureFormat f) {
  switch (f) {
    case PictureFormat::Bmp: return &kFormatBmp;
    case PictureFormat::Gif: return &kFormatGif;
    case PictureFormat::Jpeg: return &kFormatJpeg;
    case PictureFormat::Png: return &kFormatPng;
    case PictureFormat::Unknown: break;
  }
  return nullptr;
}

DecodeStatus StatusOf(Gdiplus::GpStatus status) {
  return status == Gdiplus::OutOfMemory ? DecodeStatus::OutOfMemory : DecodeStatus::Failed;
}

class GdiPlus final : public PictureDecoder {
 public:
  explicit GdiPlus(const Api& api) : api_(api) {}

  DecodeStatus Decode(const std::wstring& path, const PictureHeader& header, const FrameRect& place,
                      Picture& picture) override {
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (const Gdiplus::GpStatus s = api_.createFromFile(path.c_str(), &bitmap); s != Gdiplus::Ok) return StatusOf(s);
    struct Disposer {
      const Api& api;
      Gdiplus::GpBitmap* bitmap;
      ~Disposer() { api.dispose(bitmap); }
    } owner{api_, bitmap};

    // Decoded by content, as our check was, and of the size it read.
    GUID format{};
    UINT width = 0, height = 0;
    const GUID* wanted = FormatOf(header.format);
    if (!wanted || api_.rawFormat(bitmap, &format) != Gdiplus::Ok || format != *wanted ||
        api_.width(bitmap, &width) != Gdiplus::Ok || api_.height(bitmap, &height) != Gdiplus::Ok)
      return DecodeStatus::Failed;
    // Windows' GDI+ gives a GIF as its logical screen with the first image
    // drawn on it; Wine's (8.0, measured) gives the first image alone.
    // Every other picture is its one frame, the size of the picture.
    INT left = static_cast<INT>(place.left), top = static_cast<INT>(place.top);
    if (width != header.width || height != header.height) {
      if (header.format != PictureFormat::Gif || width != header.first_frame.width ||
          height != header.first_frame.height)
        return DecodeStatus::Failed;
      left = top = 0;
    }
    if (place.width == 0 || place.height == 0) return DecodeStatus::Decoded;

    const std::size_t stride = std::size_t(place.width) * 4;
    const UINT rows_per_strip =
        static_cast<UINT>(std::clamp<std::size_t>(kStripBytes / stride, 1, kStripRows));
    // A 32-bit picture takes GDI+'s rows straight; a 24-bit one through a strip.
    std::vector<std::uint8_t> strip;
    if (picture.bytesPerPixel() == 3) {
      try {
        strip.resize(stride * rows_per_strip);
      } catch (const std::bad_alloc&) {
        return DecodeStatus::OutOfMemory;
      }
    }
    for (UINT y = 0; y < place.height; y += rows_per_strip) {
      const UINT rows = std::min(rows_per_strip, place.height - y);
      std::uint8_t* first =
          picture.row(static_cast<int>(place.top + y)) + std::size_t(place.left) * picture.bytesPerPixel();
      std::uint8_t* target = strip.empty() ? first : strip.data();
      const std::size_t target_stride = strip.empty() ? picture.stride() : stride;
      const Gdiplus::GpRect rect(left, top + static_cast<INT>(y),
                                 static_cast<INT>(place.width), static_cast<INT>(rows));
      Gdiplus::BitmapData data{};
      data.Width = place.width;
      data.Height = rows;
      data.Stride = static_cast<INT>(target_stride);
      data.PixelFormat = PixelFormat32bppARGB;
      data.Scan0 = target;
      Gdiplus::GpStatus s = api_.lockBits(bitmap, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                          PixelFormat32bppARGB, &data);
      if (s != Gdiplus::Ok) return StatusOf(s);
      s = api_.unlockBits(bitmap, &data);
      if (s != Gdiplus::Ok) return StatusOf(s);
      CompositeOverWhite(target, rows, place.width, target_stride);
      if (!strip.empty()) StoreRows(strip.data(), stride, rows, place.width, first, picture.step(), 3);
    }
    return DecodeStatus::Decoded;
  }

 private:
  const Api& api_;
};

}  // namespace

PictureDecoder* GdiPlusDecoder() {
  // Started once and never shut down: GdiplusShutdown may not run while the
  // C runtime ends the process, and the process ends soon after anyway.
  static GdiPlus* const decoder = []() -> GdiPlus* {
    static Api api;
    HMODULE module = LoadLibraryW(L"gdiplus.dll");
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    if (!module || !Find(module, "GdiplusStartup", startup) || !api.Load(module)) return nullptr;
    ULONG_PTR token = 0;
    const Gdiplus::GdiplusStartupInput input;  // version 1, a background thread of its own
    if (startup(&token, &input, nullptr) != Gdiplus::Ok) return nullptr;
    return new GdiPlus(api);
  }();
  return decoder;
}

}  // namespace velmora::convert
