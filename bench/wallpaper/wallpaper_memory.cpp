// Memory of one large chosen wallpaper shown in every holder: the real window
// in this process, a 6000 x 6000 bitmap chosen with "Open a bitmap" (the two
// preview tiles) and applied to both families (the two swatch tiles), against
// the same file decoded once, as the floor. The file dialog and the message
// boxes are answered by the test fakes; the toolbar values are put back after.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/design.h"
#include "app/frm_main_win.h"
#include "convert/picture_loader_win.h"
#include "fakes/fake_dialog.h"
#include "fakes/fake_message_boxes.h"
#include "platform/handles_win.h"
#include "registry/system_registry_win.h"

namespace velmora {
namespace {

const wchar_t kToolbar[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";

// The committed memory: Wine leaves PrivateUsage 0 and counts it here.
double PrivateMiB() {
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  return memory.PagefileUsage / 1048576.0;
}

// A 24-bit bottom-up bitmap, one row at a time: a gradient, so no decoder
// can keep it small.
bool WriteBmp(const std::filesystem::path& path, int width, int height) {
  const std::uint32_t stride = (width * 3 + 3) & ~3u;
  std::uint8_t header[54] = {'B', 'M'};
  const auto put = [&](int at, std::uint32_t v, int bytes) { std::memcpy(header + at, &v, bytes); };
  put(2, 54 + stride * height, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, width, 4);
  put(22, height, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, stride * height, 4);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header), sizeof(header));
  std::vector<char> row(stride, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<char>(x);
      row[3 * x + 1] = static_cast<char>(y);
      row[3 * x + 2] = static_cast<char>(x ^ y);
    }
    out.write(row.data(), row.size());
  }
  return static_cast<bool>(out);
}

void Command(HWND window, int id, int code = 0) {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

int Run(int side) {
  ComApartment com;  // as wWinMain, before any window or decoder
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "velmora-bench-wallpaper.bmp";
  if (!std::filesystem::exists(file) || std::filesystem::file_size(file) < 54ull + 3ull * side * side) {
    if (!WriteBmp(file, side, side)) {
      std::printf("could not write %ls\n", file.c_str());
      return 2;
    }
  }
  const double decoded = side * double(side) * 4 / 1048576.0;

  // The floor: the file decoded once, as the window's loader does it.
  const double floorBefore = PrivateMiB();
  double floor = 0;
  {
    convert::LoadOutcome once = convert::LoadPictureFile(file.wstring());
    if (!once.error.empty()) {
      std::printf("could not load: %ls\n", once.error.c_str());
      return 2;
    }
    floor = PrivateMiB() - floorBefore;
  }

  auto registry = registry::MakeSystemRegistry();
  auto codec = registry::MakeSystemAnsiCodec();
  fakes::FakeMessageBoxes boxes;
  fakes::FakeDialog dialog;
  double chosen = 0, applied = 0;
  {
    frmMain window(*registry, *codec, &boxes, &dialog);
    if (!window.Create(GetModuleHandleW(nullptr))) return 2;
    const double idle = PrivateMiB();
    dialog.answers = {file.wstring()};
    Command(window.hwnd(), design::IDC_OPEN_PICTURE, BN_CLICKED);
    chosen = PrivateMiB() - idle;
    Command(window.hwnd(), design::IDM_BOTH);
    applied = PrivateMiB() - idle;
    for (const auto& shown : boxes.shown) std::printf("box: %ls\n", shown.text.c_str());
  }
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kToolbar, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, L"BackBitmap");
    RegDeleteValueW(key, L"BackBitmapIE5");
    RegCloseKey(key);
  }

  std::printf("wallpaper memory: a %d x %d bitmap, committed MiB (PagefileUsage) over the idle window\n", side, side);
  std::printf("%-52s %9s %9s\n", "", "MiB", "/ floor");
  std::printf("%-52s %9.1f %9.2f\n", "decoded at 32 bits (w x h x 4)", decoded, decoded / floor);
  std::printf("%-52s %9.1f %9.2f\n", "floor: the file decoded once", floor, 1.0);
  std::printf("%-52s %9.1f %9.2f\n", "chosen (the two preview tiles)", chosen, chosen / floor);
  std::printf("%-52s %9.1f %9.2f   (aim: <= 1.1)\n", "chosen and applied to both (and the two swatches)",
              applied, applied / floor);
  return applied <= 1.1 * floor ? 0 : 1;
}

}  // namespace
}  // namespace velmora

// velmora_bench_wallpaper [side pixels]
int wmain(int argc, wchar_t** argv) {
  const int side = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 6000;
  return velmora::Run(side > 0 ? side : 6000);
}
