#pragma once
// What the two floors under velmora-convert share: their options, the phase
// marks, the 24-bit BMP headers, the whole-picture write and the figures they
// print. Only the decoding differs between them.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace floors {

inline constexpr UINT kStripRows = 64;

inline LARGE_INTEGER last_mark;
inline bool phases = false;
inline std::string phase_text;

// Time since the last mark, for --phases; the marks sit where velmora's
// loader and saver have matching steps.
inline void Mark(const char* name) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  if (phases) {
    char text[96];
    std::snprintf(text, sizeof text, " phase_%s=%f", name,
                  1000.0 * static_cast<double>(now.QuadPart - last_mark.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
    phase_text += text;
  }
  last_mark = now;
}

inline bool WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD done = 0;
  return WriteFile(file, data, size, &done, nullptr) && done == size;
}

struct Options {
  std::vector<std::wstring> paths;  // IN, OUT
  bool flush = false, hold = false, stats = false;
};

// IN OUT [--flush] [--hold] [--stats] [--phases]; false, having said how,
// when they are not that.
inline bool ReadOptions(int argc, wchar_t** argv, const char* program, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--flush") options.flush = true;
    else if (arg == L"--hold") options.hold = true;
    else if (arg == L"--stats") options.stats = true;
    else if (arg == L"--phases") phases = true;
    else options.paths.push_back(arg);
  }
  if (options.paths.size() == 2) return true;
  std::fprintf(stderr, "usage: %s IN OUT [--flush] [--hold] [--stats] [--phases]\n", program);
  return false;
}

struct Bmp24 {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  UINT row = 0;  // bytes a row, padded to four
};

inline Bmp24 Bmp24Headers(UINT width, UINT height) {
  Bmp24 bmp;
  bmp.row = (width * 3 + 3) & ~3u;
  bmp.file.bfType = 0x4D42;
  bmp.file.bfOffBits = sizeof bmp.file + sizeof bmp.info;
  bmp.file.bfSize = bmp.file.bfOffBits + bmp.row * height;
  bmp.info.biSize = sizeof bmp.info;
  bmp.info.biWidth = static_cast<LONG>(width);
  bmp.info.biHeight = static_cast<LONG>(height);
  bmp.info.biPlanes = 1;
  bmp.info.biBitCount = 24;
  bmp.info.biSizeImage = bmp.row * height;
  bmp.info.biXPelsPerMeter = bmp.info.biYPelsPerMeter = 2835;
  return bmp;
}

// The held picture, laid out as the file, written in pieces of 8 MiB.
inline bool WriteHeld(HANDLE out, const BYTE* held, std::size_t total) {
  bool ok = true;
  for (std::size_t at = 0; ok && at < total; at += 8 << 20)
    ok = WriteAll(out, held + at, static_cast<DWORD>(std::min<std::size_t>(8 << 20, total - at)));
  return ok;
}

// The clock and the working set from where velmora-convert takes them: COM
// up, nothing loaded.
class Run {
 public:
  Run() {
    GetProcessMemoryInfo(GetCurrentProcess(), &start_, sizeof start_);
    QueryPerformanceCounter(&t0_);
    last_mark = t0_;
  }
  void Stop() { QueryPerformanceCounter(&t1_); }
  // The figures run_convert_bench.py reads, when --stats asked for them.
  void Print(bool stats) const {
    if (!stats) return;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    PROCESS_MEMORY_COUNTERS end{};
    GetProcessMemoryInfo(GetCurrentProcess(), &end, sizeof end);
    std::printf("total_ms=%f start_working_set=%zu peak_working_set=%zu%s\n",
                1000.0 * static_cast<double>(t1_.QuadPart - t0_.QuadPart) / static_cast<double>(frequency.QuadPart),
                static_cast<std::size_t>(start_.WorkingSetSize), static_cast<std::size_t>(end.PeakWorkingSetSize),
                phase_text.c_str());
  }

 private:
  PROCESS_MEMORY_COUNTERS start_{};
  LARGE_INTEGER t0_{}, t1_{};
};

}  // namespace floors
