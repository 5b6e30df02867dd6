// velmora-bench-wic-floor IN OUT [--flush] [--hold] [--stats] [--phases]
//
// The least a WIC program can do to turn a picture into a 24-bit BMP: decode
// the first frame, copy it out in strips from the bottom up, write each strip
// straight to OUT. No size checks, no transparency, no temporary file, no
// picture object; --flush adds FlushFileBuffers, as the real saver does.
// --hold keeps the picture as a window that shows it must: the rows go into
// one fresh 24-bit DIB section, laid out as the file, which is then written
// whole. The benchmark measures velmora-convert against each. --phases adds
// the time of each step to --stats, to set beside velmora's own.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

#include "bench/convert/floor_common.h"

using namespace floors;

namespace {

int Fail(const char* what, HRESULT hr) {
  std::fprintf(stderr, "wic-floor: %s failed (0x%08lx)\n", what, static_cast<unsigned long>(hr));
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ReadOptions(argc, argv, "velmora-bench-wic-floor", options)) return 64;
  const std::vector<std::wstring>& paths = options.paths;
  const bool flush = options.flush, hold = options.hold;
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) return Fail("CoInitializeEx", hr);
  Run run;
  {
    ComPtr<IWICImagingFactory> wic;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic));
    if (FAILED(hr)) return Fail("CoCreateInstance", hr);
    Mark("factory");
    hr = wic->CreateDecoderFromFilename(paths[0].c_str(), nullptr, GENERIC_READ,
                                        WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(hr)) return Fail("CreateDecoderFromFilename", hr);
    Mark("create_decoder");
    if (FAILED(hr = decoder->GetFrame(0, &frame))) return Fail("GetFrame", hr);
    UINT width = 0, height = 0;
    frame->GetSize(&width, &height);
    WICPixelFormatGUID format{};
    frame->GetPixelFormat(&format);

    // A JPEG is already 24bppBGR; anything else goes through BGRA, since a GIF
    // frame will not convert to 24 bits under Wine.
    ComPtr<IWICBitmapSource> source = frame;
    const bool direct = format == GUID_WICPixelFormat24bppBGR;
    if (!direct) {
      ComPtr<IWICFormatConverter> converter;
      if (FAILED(hr = wic->CreateFormatConverter(&converter))) return Fail("CreateFormatConverter", hr);
      hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                 nullptr, 0.0, WICBitmapPaletteTypeCustom);
      if (FAILED(hr)) return Fail("converter Initialize", hr);
      source = converter;
    }
    Mark("frame");

    HANDLE out = CreateFileW(paths[1].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return Fail("CreateFileW", HRESULT_FROM_WIN32(GetLastError()));
    const Bmp24 headers = Bmp24Headers(width, height);
    const UINT row = headers.row;
    bool ok = WriteAll(out, &headers.file, sizeof headers.file) && WriteAll(out, &headers.info, sizeof headers.info);

    BYTE* held = nullptr;
    BITMAPINFO picture{};
    picture.bmiHeader = headers.info;
    const HBITMAP bitmap = hold ? CreateDIBSection(nullptr, &picture, DIB_RGB_COLORS,
                                                   reinterpret_cast<void**>(&held), nullptr, 0)
                                : nullptr;
    if (hold && !held) return Fail("CreateDIBSection", E_OUTOFMEMORY);
    const UINT in_stride = direct ? row : width * 4;
    std::vector<BYTE> strip(std::size_t(in_stride) * kStripRows);
    std::vector<BYTE> bmp(std::size_t(row) * kStripRows, 0);
    Mark("prepare");
    for (UINT y = 0; held && direct && y < height; ++y) {  // WIC takes no negative stride
      const WICRect one{0, static_cast<INT>(y), static_cast<INT>(width), 1};
      hr = source->CopyPixels(&one, row, row, held + std::size_t(height - 1 - y) * row);
      if (FAILED(hr)) return Fail("CopyPixels", hr);
    }
    for (UINT bottom = held && direct ? 0 : height; ok && bottom > 0;) {
      const UINT rows = bottom < kStripRows ? bottom : kStripRows;
      const UINT top = bottom - rows;
      const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
      hr = source->CopyPixels(&rect, in_stride, in_stride * rows, strip.data());
      if (FAILED(hr)) return Fail("CopyPixels", hr);
      BYTE* to = held ? held + std::size_t(height - bottom) * row : bmp.data();
      for (UINT r = 0; r < rows; ++r) {  // the strip's last row goes first
        const BYTE* s = strip.data() + std::size_t(rows - 1 - r) * in_stride;
        BYTE* d = to + std::size_t(r) * row;
        if (direct) {
          std::memcpy(d, s, row);
        } else {
          for (UINT x = 0; x < width; ++x, s += 4, d += 3) { d[0] = s[0]; d[1] = s[1]; d[2] = s[2]; }
        }
      }
      if (!held) ok = WriteAll(out, bmp.data(), row * rows);
      bottom = top;
    }
    Mark("copy");
    if (held && ok) ok = WriteHeld(out, held, std::size_t(row) * height);
    Mark("write");
    if (bitmap) DeleteObject(bitmap);
    Mark("free");
    if (ok && flush) ok = FlushFileBuffers(out);
    Mark("flush");
    CloseHandle(out);
    Mark("close");
    if (!ok) return Fail("WriteFile", HRESULT_FROM_WIN32(GetLastError()));
  }
  Mark("release");
  run.Stop();
  CoUninitialize();
  run.Print(options.stats);
  return 0;
}
