#include "convert/picture_loader.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "convert/device_name.h"
#include "convert/picture_header.h"
#include "platform/handles.h"

namespace velmora::convert {
namespace {

using Microsoft::WRL::ComPtr;

// Pixels move a strip at a time, so whatever a copy needs on the way (our
// strip, a converter's buffer) is a strip, never a second picture: up to 64
// rows, and no more than 1 MiB unless a single row is longer.
constexpr UINT kStripRows = 64;
constexpr std::size_t kStripBytes = 1 << 20;

// The open file, read through a window for the header walk, which asks for a
// few bytes at a time. A read that carries on from the last is twice as long,
// up to 1 MiB: a GIF's walk reads the whole file, and under Wine each ReadFile
// costs far more than its bytes (a 4000 x 3000 GIF's walk took about 7 ms in
// 64 KiB reads, 3 in 256 KiB ones), while a header in the first 64 KiB costs
// one read of that size. The window is committed memory that no one touches
// beyond what was read, and it goes back to Windows whole when released.
constexpr std::size_t kFirstReadBytes = 64 * 1024;
constexpr std::size_t kMostReadBytes = 1024 * 1024;

class FileSource final : public ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size)) size_ = static_cast<std::uint64_t>(size.QuadPart);
    else error_ = GetLastError();
  }
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const std::uint64_t at = offset + done;
      if (at < start_ || at >= start_ + length_) {
        if (!Fill(at)) break;
        continue;
      }
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(count - done, start_ + length_ - at));
      std::memcpy(out + done, window() + (at - start_), n);
      done += n;
    }
    return done;
  }
  DWORD error() const { return error_; }
  // Gives the window back (a later read takes a new one), so that it does not
  // sit beside the decoder's pixels and ours.
  void Release() {
    window_.reset();
    length_ = 0;
  }

 private:
  std::uint8_t* window() const { return static_cast<std::uint8_t*>(window_.get()); }

  bool Fill(std::uint64_t at) {
    if (!window_) {
      window_.reset(VirtualAlloc(nullptr, kMostReadBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
      if (!window_) {
        error_ = GetLastError();
        return false;
      }
    }
    const bool carries_on = length_ > 0 && at >= start_ + length_ && at < start_ + length_ + read_;
    read_ = carries_on ? std::min(read_ * 2, kMostReadBytes) : kFirstReadBytes;
    OVERLAPPED where{};  // on a synchronous handle, only the offset counts
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!ReadFile(file_, window(), static_cast<DWORD>(read_), &got, &where)) {
      if (GetLastError() != ERROR_HANDLE_EOF) error_ = GetLastError();
      return false;
    }
    start_ = at;
    length_ = got;
    return got > 0;
  }

  HANDLE file_;
  std::uint64_t size_ = 0;
  UniqueVirtualMemory window_;
  std::size_t read_ = 0;  // the last read's length
  std::uint64_t start_ = 0;
  std::uint64_t length_ = 0;
  DWORD error_ = ERROR_SUCCESS;
};

// Kept for the thread's life and never released: a thread_local owner would
// release it at thread exit, after the program's CoUninitialize.
IWICImagingFactory* ThreadFactory(HRESULT& hr) {
  thread_local IWICImagingFactory* factory = nullptr;
  if (!factory)
    hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                          IID_PPV_ARGS(&factory));
  return factory;
}

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

std::wstring WindowsError(DWORD code) { return L"Windows error " + std::to_wstring(code); }

std::wstring OpenFailure(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return L"The file does not exist.";
    case ERROR_ACCESS_DENIED:
      return L"Velmora may not read the file: access is denied.";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return L"Another program is using the file; close it and try again.";
  }
  return L"The file could not be opened (" + WindowsError(code) + L").";
}

// A JPEG ends with its end-of-image marker. Our header walk stops at the
// first scan, so a file cut short there is only found out when the decoder
// fails; this tells that apart from a damaged one.
bool JpegEndsEarly(ByteSource& source) {
  std::uint8_t tail[2]{};
  const std::uint64_t size = source.Size();
  return size < 2 || source.ReadAt(size - 2, tail, 2) != 2 || tail[0] != 0xFF || tail[1] != 0xD9;
}

std::wstring DecodeFailure(PictureFormat f, HRESULT hr, const PictureHeader& h, ByteSource& source) {
  if (hr == E_OUTOFMEMORY)
    return L"There is not enough memory to open the picture: " + std::to_wstring(h.width) + L" x " +
           std::to_wstring(h.height) + L" pixels.";
  if (f == PictureFormat::Jpeg && JpegEndsEarly(source))
    return L"The JPEG picture is incomplete: the file ends before all of its pixels.";
  return std::wstring(L"The ") + FormatName(f) + L" picture is damaged or of a kind Velmora cannot read.";
}

// Straight (not premultiplied) BGRA over white; the fourth byte becomes 0, as
// GDI leaves it in a 32-bit DIB, so every loaded picture has the same form.
void CompositeOverWhite(std::uint8_t* first, UINT rows, UINT width, std::size_t stride) {
  for (UINT y = 0; y < rows; ++y) {
    std::uint8_t* p = first + y * stride;
    for (UINT x = 0; x < width; ++x, p += 4) {
      const unsigned a = p[3];
      if (a == 0) {
        p[0] = p[1] = p[2] = 255;
      } else if (a != 255) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + 255 * (255 - a) + 127) / 255);
      }
      p[3] = 0;
    }
  }
}

void FillWhite(Picture& picture) {
  const int bytes = picture.bytesPerPixel();
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < picture.width(); ++x, p += bytes) {
      p[0] = p[1] = p[2] = 255;
      if (bytes == 4) p[3] = 0;
    }
  }
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
      for (UINT r = 0; r < rows; ++r) {
        const std::uint8_t* s = strip_.data() + r * in_stride;
        std::uint8_t* d = first + std::ptrdiff_t(r) * step;
        for (UINT x = 0; x < width_; ++x, s += 4, d += 3) std::memcpy(d, s, 3);
      }
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

LoadOutcome Fail(std::wstring error) {
  LoadOutcome out;
  out.error = std::move(error);
  return out;
}

constexpr wchar_t kDevice[] = L"It is a device, not a picture file.";

// Opens an ordinary file for reading, shared for reading only; the empty
// text, or why not. A device or a folder is no picture file, however it
// answers when opened.
std::wstring OpenPictureFile(const std::wstring& path, UniqueFile& file) {
  if (IsDeviceName(path)) return kDevice;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return L"It is a folder, not a picture file.";
  file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return OpenFailure(GetLastError());
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return kDevice;
  return L"";
}

// The file's header, read by our own walk; the empty text or why it is refused.
std::wstring Inspect(FileSource& source, Inspection& inspection) {
  inspection = InspectPicture(source);
  if (inspection.verdict == Verdict::Unreadable)
    return L"The file could not be read (" + WindowsError(source.error()) + L").";
  return inspection.accepted() ? L"" : inspection.reason;
}

LoadOutcome Load(const std::wstring& path, int bitsPerPixel) {
  // Held open, shared for reading only, until decoding ends: nobody can
  // change or replace the file between the header check and WIC's read.
  UniqueFile file;
  if (std::wstring why = OpenPictureFile(path, file); !why.empty()) return Fail(std::move(why));
  FileSource source(file.get());
  Inspection inspection;
  if (std::wstring why = Inspect(source, inspection); !why.empty()) return Fail(std::move(why));
  source.Release();
  const PictureHeader& header = inspection.header;

  HRESULT hr = S_OK;
  IWICImagingFactory* wic = ThreadFactory(hr);
  if (!wic) return Fail(L"Windows could not start its picture decoder (WIC).");

  ComPtr<IWICBitmapDecoder> decoder;
  hr = wic->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                      WICDecodeMetadataCacheOnDemand, &decoder);
  if (FAILED(hr)) return Fail(DecodeFailure(header.format, hr, header, source));
  // The decoder is chosen by content, as our check was; if they ever disagree,
  // the size we checked is not the size it will decode.
  GUID container{};
  if (FAILED(decoder->GetContainerFormat(&container)) || container != ContainerOf(header.format))
    return Fail(DecodeFailure(header.format, E_FAIL, header, source));

  ComPtr<IWICBitmapFrameDecode> frame;
  UINT frame_width = 0, frame_height = 0;
  hr = decoder->GetFrame(0, &frame);
  if (SUCCEEDED(hr)) hr = frame->GetSize(&frame_width, &frame_height);
  if (SUCCEEDED(hr) && (frame_width != header.first_frame.width || frame_height != header.first_frame.height))
    hr = E_FAIL;
  if (FAILED(hr)) return Fail(DecodeFailure(header.format, hr, header, source));

  LoadOutcome out;
  out.picture = Picture::Create(static_cast<int>(header.width), static_cast<int>(header.height), bitsPerPixel);
  if (!out.picture) return Fail(DecodeFailure(header.format, E_OUTOFMEMORY, header, source));

  // Only a GIF's first image can leave part of the screen uncovered; the
  // screen clips an image that reaches past it.
  const FrameRect& place = header.first_frame;
  const UINT left = place.left, top = place.top;
  const UINT width = left < header.width ? std::min(place.width, header.width - left) : 0;
  const UINT height = top < header.height ? std::min(place.height, header.height - top) : 0;
  if (width != header.width || height != header.height) FillWhite(out.picture);

  StripCopier copier;
  hr = copier.Start(*wic, frame.Get(), width, out.picture.bytesPerPixel());
  if (FAILED(hr)) return Fail(DecodeFailure(header.format, hr, header, source));
  for (UINT y = 0; y < height; y += copier.rows_per_strip()) {
    const UINT rows = std::min(copier.rows_per_strip(), height - y);
    std::uint8_t* first = out.picture.row(static_cast<int>(top + y)) + std::size_t(left) * out.picture.bytesPerPixel();
    hr = copier.Copy(y, rows, first, out.picture.step());
    if (FAILED(hr)) return Fail(DecodeFailure(header.format, hr, header, source));
  }
  return out;
}

}  // namespace

std::wstring WhyNotABmpFile(const std::wstring& path) {
  UniqueFile file;
  if (std::wstring why = OpenPictureFile(path, file); !why.empty()) return why;
  FileSource source(file.get());
  Inspection inspection;
  if (std::wstring why = Inspect(source, inspection); !why.empty()) return why;
  if (inspection.header.format != PictureFormat::Bmp)
    return std::wstring(L"It is a ") + FormatName(inspection.header.format) +
           L" picture, not a BMP file, and the toolbars show only BMP files.";
  return L"";
}

LoadOutcome LoadPictureFile(const std::wstring& path, int bitsPerPixel) {
  if (path.empty()) return Fail(L"No file was named.");
  try {
    return Load(path, bitsPerPixel);
  } catch (const std::bad_alloc&) {  // a strip or a message; the picture itself is a DIB
    return Fail(L"There is not enough memory to open the picture.");
  }
}

}  // namespace velmora::convert
