// Pictures through WIC, where Windows has it.
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "convert/picture_decoder_win.h"
#include "convert/pixel_rows.h"

namespace velmora::convert {
namespace {

using Microsoft::WRL::ComPtr;

// Pixels move a strip at a time, so whatever a copy needs on the way (our
// strip, a converter's buffer) is a strip, never a second picture: up to 64
// rows, and no more than 1 MiB unless a single row is longer.
constexpr UINT kStripRows = 64;
constexpr std::size_t kStripBytes = 1 << 20;

const GUID& ContainerOf(PictureFormat f) {
  switch (f) {
    case PictureFormat::Bmp: return GUID_ContainerFormatBmp;
    case PictureFormat::Gif: return GUID_ContainerFormatGif;
    case PictureFormat::Jpeg: return GUID_ContainerFormatJpeg;
    case PictureFormat::Png: return GUID_ContainerFormatPng;
    case PictureFormat::Unknown: break;
  }
  return GUID_NULL;
}

// Copies a frame into picture rows a strip at a time, as B, G, R (and 0 in
// a 32-bit picture) over white. JPEG (24bppBGR) and GIF or 8-bit BMP
// (8bppIndexed) frames go through one reused strip of ours, or none when a
// JPEG goes to a 24-bit picture: WIC's format converter allocates a fresh
// buffer for every call, which under Wine costs a page fault for each 4 KiB
// of it. Other formats use the converter to 32bppBGRA.
class StripCopier {
 public:
  HRESULT Start(IWICImagingFactory& wic, IWICBitmapFrameDecode* frame, UINT width, int bytesPerPixel) {
    frame_ = frame;
    width_ = width;
    bytes_ = bytesPerPixel;
    const std::size_t row = std::max<std::size_t>(std::size_t(width) * 4, 1);
    rows_ = static_cast<UINT>(std::clamp<std::size_t>(kStripBytes / row, 1, kStripRows));
    WICPixelFormatGUID format{};
    HRESULT hr = frame->GetPixelFormat(&format);
    if (FAILED(hr)) return hr;
    if (format == GUID_WICPixelFormat24bppBGR) {
      route_ = Route::Bgr24;
    } else if (format == GUID_WICPixelFormat8bppIndexed && SUCCEEDED(ReadPalette(wic))) {
      route_ = Route::Indexed8;
    } else {
      route_ = Route::Converted;
      hr = wic.CreateFormatConverter(&converter_);
      // Under Wine a GIF frame will not convert straight to 24bppBGR; BGRA
      // works for every source and carries the transparency we composite.
      if (SUCCEEDED(hr))
        hr = converter_->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                    0.0, WICBitmapPaletteTypeCustom);
      if (bytes_ == 3) strip_.resize(std::size_t(width) * 4 * rows_);
      return hr;
    }
    if (route_ == Route::Bgr24 && bytes_ == 3) return S_OK;  // straight into the picture
    strip_.resize(std::size_t(width) * (route_ == Route::Bgr24 ? 3 : 1) * rows_);
    return S_OK;
  }

  UINT rows_per_strip() const { return rows_; }

  // Rows y .. y + rows - 1 of the frame into `first` and the rows below it,
  // each `step` bytes from the one before: negative in a bottom-up picture.
  HRESULT Copy(UINT y, UINT rows, std::uint8_t* first, std::ptrdiff_t step) {
    const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width_), static_cast<INT>(rows)};
    const auto size = [&](std::size_t to_stride, UINT bytes) {
      return static_cast<UINT>(to_stride * (rows - 1) + std::size_t(width_) * bytes);
    };
    if (route_ == Route::Converted && bytes_ == 4) {  // top-down rows: a positive step
      const auto stride = static_cast<std::size_t>(step);
      const HRESULT hr = converter_->CopyPixels(&rect, static_cast<UINT>(stride), size(stride, 4), first);
      if (SUCCEEDED(hr)) CompositeOverWhite(first, rows, width_, stride);
      return hr;
    }
    if (route_ == Route::Converted) {
      const std::size_t in_stride = std::size_t(width_) * 4;
      const HRESULT hr = converter_->CopyPixels(&rect, static_cast<UINT>(in_stride), size(in_stride, 4), strip_.data());
      if (FAILED(hr)) return hr;
      CompositeOverWhite(strip_.data(), rows, width_, in_stride);
      StoreRows(strip_.data(), in_stride, rows, width_, first, step, 3);
      return S_OK;
    }
    if (route_ == Route::Bgr24 && bytes_ == 3) {
      // WIC takes no negative stride, so bottom-up rows come one at a time.
      HRESULT hr = S_OK;
      for (UINT r = 0; r < rows && SUCCEEDED(hr); ++r) {
        const WICRect one{0, static_cast<INT>(y + r), static_cast<INT>(width_), 1};
        hr = frame_->CopyPixels(&one, width_ * 3, width_ * 3, first + std::ptrdiff_t(r) * step);
      }
      return hr;
    }
    const UINT in_stride = width_ * (route_ == Route::Bgr24 ? 3 : 1);
    const HRESULT hr = frame_->CopyPixels(&rect, in_stride, in_stride * rows, strip_.data());
    if (FAILED(hr)) return hr;
    for (UINT r = 0; r < rows; ++r) {
      const std::uint8_t* s = strip_.data() + std::size_t(r) * in_stride;
      std::uint8_t* d = first + std::ptrdiff_t(r) * step;
      if (route_ == Route::Bgr24) {
        for (UINT x = 0; x < width_; ++x, s += 3, d += 4) {
          d[0] = s[0];
          d[1] = s[1];
          d[2] = s[2];
          d[3] = 0;
        }
      } else if (bytes_ == 4) {
        for (UINT x = 0; x < width_; ++x, d += 4) std::memcpy(d, &lookup_[s[x]], 4);
      } else if (width_ > 0) {
        // Four bytes a store, whose last the next pixel overwrites, cost
        // less than three; the row's last pixel takes three, so nothing
        // past the row is touched. Fixed sizes, so the copies are inlined.
        UINT x = 0;
        for (; x + 1 < width_; ++x, d += 3) std::memcpy(d, &lookup_[s[x]], 4);
        std::memcpy(d, &lookup_[s[x]], 3);
      }
    }
    return S_OK;
  }

 private:
  enum class Route { Bgr24, Indexed8, Converted };

  // The frame's palette, each colour already laid over white (a GIF's
  // transparent index has alpha 0). Indices past the palette read as black.
  HRESULT ReadPalette(IWICImagingFactory& wic) {
    ComPtr<IWICPalette> palette;
    HRESULT hr = wic.CreatePalette(&palette);
    if (SUCCEEDED(hr)) hr = frame_->CopyPalette(palette.Get());
    std::array<WICColor, 256> colours{};
    UINT count = 0;
    if (SUCCEEDED(hr)) hr = palette->GetColors(256, colours.data(), &count);
    if (FAILED(hr)) return hr;
    for (UINT i = 0; i < 256; ++i) {
      std::uint8_t bgra[4];
      const WICColor c = i < count ? colours[i] : 0xFF000000;  // ARGB
      bgra[0] = c & 0xFF;
      bgra[1] = (c >> 8) & 0xFF;
      bgra[2] = (c >> 16) & 0xFF;
      bgra[3] = c >> 24;
      CompositeOverWhite(bgra, 1, 1, 4);
      std::memcpy(&lookup_[i], bgra, 4);
    }
    return S_OK;
  }

  IWICBitmapFrameDecode* frame_ = nullptr;
  UINT width_ = 0;
  int bytes_ = 4;  // a pixel of the picture
  UINT rows_ = 1;
  Route route_ = Route::Converted;
  ComPtr<IWICFormatConverter> converter_;
  std::vector<std::uint8_t> strip_;
  std::array<std::uint32_t, 256> lookup_{};
};

DecodeStatus StatusOf(HRESULT hr) { return hr == E_OUTOFMEMORY ? DecodeStatus::OutOfMemory : DecodeStatus::Failed; }

class Wic final : public PictureDecoder {
 public:
  explicit Wic(IWICImagingFactory* factory) : wic_(factory) {}

  DecodeStatus Decode(const std::wstring& path, const PictureHeader& header, const FrameRect& place,
                      Picture& picture) override {
    ComPtr<IWICBitmapDecoder> decoder;
    HRESULT hr = wic_->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                 WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(hr)) return StatusOf(hr);
    // The decoder is chosen by content, as our check was; if they ever
    // disagree, the size we checked is not the size it will decode.
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)) || container != ContainerOf(header.format))
      return DecodeStatus::Failed;

    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
    if (FAILED(hr)) return StatusOf(hr);
    if (width != header.first_frame.width || height != header.first_frame.height) return DecodeStatus::Failed;

    StripCopier copier;
    hr = copier.Start(*wic_, frame.Get(), place.width, picture.bytesPerPixel());
    for (UINT y = 0; SUCCEEDED(hr) && y < place.height; y += copier.rows_per_strip()) {
      const UINT rows = std::min(copier.rows_per_strip(), place.height - y);
      std::uint8_t* first =
          picture.row(static_cast<int>(place.top + y)) + std::size_t(place.left) * picture.bytesPerPixel();
      hr = copier.Copy(y, rows, first, picture.step());
    }
    return SUCCEEDED(hr) ? DecodeStatus::Decoded : StatusOf(hr);
  }

 private:
  IWICImagingFactory* wic_;
};

}  // namespace

PictureDecoder* WicDecoder() {
  // Kept for the thread's life and never released: a thread_local owner
  // would release it at thread exit, after the program's CoUninitialize.
  // Asked again while it fails: COM may not have been up at the first call.
  thread_local Wic* decoder = nullptr;
  IWICImagingFactory* factory = nullptr;
  if (!decoder && SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(&factory))))
    decoder = new Wic(factory);
  return decoder;
}

}  // namespace velmora::convert
