// velmora-bench-gdiplus-floor IN OUT [--flush] [--hold] [--stats] [--phases]
//
// The least a GDI+ 1.0 program can do to turn a picture into a 24-bit BMP:
// open it as a GDI+ bitmap, lock it as 24bppRGB in strips from the bottom
// up, each into a buffer laid out as the file, and write each strip straight
// to OUT. No size checks, no transparency, no temporary file, no picture
// object; --flush adds FlushFileBuffers, as the real saver does. --hold keeps
// the picture as a window that shows it must: the strips are locked straight
// into one fresh 24-bit DIB section laid out as the file, which is then
// written whole. The benchmark measures velmora-convert --decoder gdiplus
// against each, as wic_floor.cpp does for WIC.
//
// gdiplus.dll is loaded inside the timed part, as velmora loads it, so that
// both count its start-up and neither counts its pages in the idle figure.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/convert/floor_common.h"
#include "platform/newer_api_win.h"

using namespace floors;

namespace {

namespace flat = Gdiplus::DllExports;

int Fail(const char* what, long code) {
  std::fprintf(stderr, "gdiplus-floor: %s failed (%ld)\n", what, code);
  return 1;
}

template <class F>
bool Find(HMODULE module, const char* name, F& function) {
  function = velmora::ModuleFunction<F>(module, name);
  return function != nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ReadOptions(argc, argv, "velmora-bench-gdiplus-floor", options)) return 64;
  const std::vector<std::wstring>& paths = options.paths;
  const bool flush = options.flush, hold = options.hold;
  // velmora-convert brings COM up before it measures anything; so does this.
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) return Fail("CoInitializeEx", hr);
  Run run;
  {
    const HMODULE module = LoadLibraryW(L"gdiplus.dll");
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    decltype(&flat::GdipCreateBitmapFromFile) create = nullptr;
    decltype(&flat::GdipGetImageWidth) get_width = nullptr;
    decltype(&flat::GdipGetImageHeight) get_height = nullptr;
    decltype(&flat::GdipBitmapLockBits) lock = nullptr;
    decltype(&flat::GdipBitmapUnlockBits) unlock = nullptr;
    decltype(&flat::GdipDisposeImage) dispose = nullptr;
    if (!module || !Find(module, "GdiplusStartup", startup) || !Find(module, "GdipCreateBitmapFromFile", create) ||
        !Find(module, "GdipGetImageWidth", get_width) || !Find(module, "GdipGetImageHeight", get_height) ||
        !Find(module, "GdipBitmapLockBits", lock) || !Find(module, "GdipBitmapUnlockBits", unlock) ||
        !Find(module, "GdipDisposeImage", dispose))
      return Fail("loading gdiplus.dll", static_cast<long>(GetLastError()));
    ULONG_PTR token = 0;
    const Gdiplus::GdiplusStartupInput input;
    if (const Gdiplus::Status s = startup(&token, &input, nullptr); s != Gdiplus::Ok) return Fail("GdiplusStartup", s);
    Mark("startup");

    Gdiplus::GpBitmap* bitmap = nullptr;
    if (const Gdiplus::Status s = create(paths[0].c_str(), &bitmap); s != Gdiplus::Ok)
      return Fail("GdipCreateBitmapFromFile", s);
    UINT width = 0, height = 0;
    get_width(bitmap, &width);
    get_height(bitmap, &height);
    Mark("create_bitmap");

    HANDLE out = CreateFileW(paths[1].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return Fail("CreateFileW", static_cast<long>(GetLastError()));
    const Bmp24 bmp = Bmp24Headers(width, height);
    const UINT row = bmp.row;
    bool ok = WriteAll(out, &bmp.file, sizeof bmp.file) && WriteAll(out, &bmp.info, sizeof bmp.info);

    BYTE* held = nullptr;
    BITMAPINFO picture{};
    picture.bmiHeader = bmp.info;
    const HBITMAP dib = hold ? CreateDIBSection(nullptr, &picture, DIB_RGB_COLORS,
                                                reinterpret_cast<void**>(&held), nullptr, 0)
                             : nullptr;
    if (hold && !held) return Fail("CreateDIBSection", 0);
    std::vector<BYTE> strip(held ? 0 : std::size_t(row) * kStripRows);
    Mark("prepare");
    // A negative stride puts each strip's rows bottom-up, as the file holds
    // them, so GDI+ writes them where they belong and nothing copies them again.
    for (UINT bottom = height; ok && bottom > 0;) {
      const UINT rows = bottom < kStripRows ? bottom : kStripRows;
      const UINT top = bottom - rows;
      BYTE* const lowest = held ? held + std::size_t(height - bottom) * row : strip.data();
      const Gdiplus::GpRect rect(0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows));
      Gdiplus::BitmapData data{};
      data.Width = width;
      data.Height = rows;
      data.Stride = -static_cast<INT>(row);
      data.PixelFormat = PixelFormat24bppRGB;
      data.Scan0 = lowest + std::size_t(rows - 1) * row;
      Gdiplus::Status s = lock(bitmap, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                               PixelFormat24bppRGB, &data);
      if (s == Gdiplus::Ok) s = unlock(bitmap, &data);
      if (s != Gdiplus::Ok) return Fail("GdipBitmapLockBits", s);
      if (!held) ok = WriteAll(out, strip.data(), row * rows);
      bottom = top;
    }
    Mark("copy");
    if (held && ok) ok = WriteHeld(out, held, std::size_t(row) * height);
    Mark("write");
    if (dib) DeleteObject(dib);
    dispose(bitmap);
    Mark("free");
    if (ok && flush) ok = FlushFileBuffers(out);
    Mark("flush");
    CloseHandle(out);
    Mark("close");
    if (!ok) return Fail("WriteFile", static_cast<long>(GetLastError()));
  }
  run.Stop();
  CoUninitialize();
  run.Print(options.stats);
  return 0;
}
