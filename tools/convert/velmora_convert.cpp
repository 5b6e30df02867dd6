// velmora-convert IN OUT [--decoder wic|gdiplus] [--stats]
//
// The converter tab's Save path from a command line, for tests and
// benchmarks: the same loader, the same ".bmp" rule and the same saver as the
// window. On success it prints the path written; on failure the file and the
// reason, and exits 1 (the picture was refused) or 2 (the BMP was not saved).
// --decoder names the decoder instead of letting the loader choose (WIC where
// it starts, else GDI+), so that the GDI+ path, which Windows XP takes, can be
// run and timed where WIC is present too.
// --stats adds timings and the process's memory figures, read inside the
// process, since under Wine an outside measure counts Wine's own processes.
#include <windows.h>
#include <psapi.h>

#include <string>

#include "platform/file_names.h"
#include "convert/picture_loader_win.h"
#include "convert/save_bmp_win.h"
#include "platform/handles_win.h"

namespace {

enum Exit { kWritten = 0, kRefused = 1, kNotSaved = 2, kUsage = 64 };

// A console takes UTF-16; a pipe or file (as under the tests) gets UTF-8.
void Print(DWORD which, const std::wstring& text) {
  const HANDLE out = GetStdHandle(which);
  DWORD mode = 0, done = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    return;
  }
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                      nullptr);
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
  return m;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring in, out;
  bool stats = false, usable = true;
  auto decoder = velmora::convert::Decoder::Automatic;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--stats") {
      stats = true;
    } else if (arg == L"--decoder") {
      const std::wstring name = i + 1 < argc ? argv[++i] : L"";
      if (name == L"wic") decoder = velmora::convert::Decoder::Wic;
      else if (name == L"gdiplus") decoder = velmora::convert::Decoder::GdiPlus;
      else if (name != L"automatic") usable = false;
    } else if (positional == 0 && ++positional) {
      in = arg;
    } else if (positional == 1 && ++positional) {
      out = arg;
    } else {
      positional = 3;
    }
  }
  if (!usable || positional != 2) {
    Print(STD_ERROR_HANDLE, L"usage: velmora-convert IN OUT [--decoder automatic|wic|gdiplus] [--stats]\n");
    return kUsage;
  }

  velmora::ComApartment com;
  if (!com.ok()) {
    Print(STD_ERROR_HANDLE, L"velmora-convert: COM could not be initialised.\n");
    return kRefused;
  }
  const PROCESS_MEMORY_COUNTERS_EX before = Memory();
  LARGE_INTEGER t0, t1, t2;
  QueryPerformanceCounter(&t0);
  // At 24 bits: the file is 24-bit, and the picture is never shown here.
  velmora::convert::LoadOutcome loaded = velmora::convert::LoadPictureFile(in, 24, decoder);
  QueryPerformanceCounter(&t1);
  if (!loaded.error.empty()) {
    Print(STD_ERROR_HANDLE, in + L": " + loaded.error + L"\n");
    return kRefused;
  }
  const std::wstring target = velmora::WithBmpExtension(out);
  const std::wstring error = velmora::convert::SavePictureAsBmp(loaded.picture, target);
  QueryPerformanceCounter(&t2);
  if (!error.empty()) {
    Print(STD_ERROR_HANDLE, target + L": " + error + L"\n");
    return kNotSaved;
  }
  Print(STD_OUTPUT_HANDLE, target + L"\n");
  if (stats) {
    const PROCESS_MEMORY_COUNTERS_EX after = Memory();
    Print(STD_OUTPUT_HANDLE,
          L"width=" + std::to_wstring(loaded.picture.width()) +
              L" height=" + std::to_wstring(loaded.picture.height()) +
              L" load_ms=" + std::to_wstring(Milliseconds(t0, t1)) +
              L" save_ms=" + std::to_wstring(Milliseconds(t1, t2)) +
              L" start_working_set=" + std::to_wstring(before.WorkingSetSize) +
              L" peak_working_set=" + std::to_wstring(after.PeakWorkingSetSize) +
              L" start_private=" + std::to_wstring(before.PrivateUsage) +
              L" peak_private=" + std::to_wstring(after.PeakPagefileUsage) + L"\n");
  }
  return kWritten;
}
