// The real window in this process, driven through its own dispatch point with
// the message boxes and the file dialog answered by fakes: what repeated use
// leaves behind.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/design.h"
#include "app/frm_main.h"
#include "fakes/fake_dialog.h"
#include "fakes/fake_message_boxes.h"
#include "platform/handles.h"
#include "registry/system_registry.h"

namespace velmora {
namespace {

using namespace design;

struct Census {
  long bitmaps = UniqueBitmap::Live(), dcs = MemoryDc::Live(), objects = UniqueGdiObject::Live(),
       fonts = UniqueFont::Live(), icons = UniqueIcon::Live(), files = UniqueFile::Live();
  int windows = 0;
  SIZE_T privateBytes = 0;
  explicit Census(HWND window) {
    EnumThreadWindows(GetCurrentThreadId(), [](HWND, LPARAM n) { ++*reinterpret_cast<int*>(n); return TRUE; },
                      reinterpret_cast<LPARAM>(&windows));
    EnumChildWindows(window, [](HWND, LPARAM n) { ++*reinterpret_cast<int*>(n); return TRUE; },
                     reinterpret_cast<LPARAM>(&windows));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    privateBytes = memory.PrivateUsage;
  }
};

void ExpectSameHandles(const Census& before, const Census& after) {
  EXPECT_EQ(after.bitmaps, before.bitmaps);
  EXPECT_EQ(after.dcs, before.dcs);
  EXPECT_EQ(after.objects, before.objects);
  EXPECT_EQ(after.fonts, before.fonts);
  EXPECT_EQ(after.icons, before.icons);
  EXPECT_EQ(after.files, before.files);
  EXPECT_EQ(after.windows, before.windows);
}

void WriteBmp(const std::filesystem::path& path, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const std::uint32_t size = 54 + stride * height;
  std::vector<char> file(size, '\x40');
  auto put16 = [&](int at, std::uint16_t v) { std::memcpy(&file[at], &v, 2); };
  auto put32 = [&](int at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, size);
  put32(6, 0);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  put16(26, 1);
  put16(28, 24);
  put32(30, 0);
  put32(34, stride * height);
  put32(38, 2835);
  put32(42, 2835);
  put32(46, 0);
  put32(50, 0);
  std::ofstream(path, std::ios::binary).write(file.data(), file.size());
}

class MainWindowInUse : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / "velmora-window-test";
    std::filesystem::create_directories(folder_);
    bitmap_ = folder_ / "tile.bmp";
    WriteBmp(bitmap_, 24, 16);
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr)));
  }
  void TearDown() override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Toolbar", 0, KEY_WRITE,
                      &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"BackBitmap");
      RegDeleteValueW(key, L"BackBitmapIE5");
      RegCloseKey(key);
    }
    std::filesystem::remove_all(folder_);
  }
  void Command(int id, int code = 0) {
    SendMessageW(window_.hwnd(), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(window_.hwnd(), id)));
  }
  void Redraw() { Command(IDC_PREVIEW_LIST, CBN_SELCHANGE); }

  std::unique_ptr<registry::RegistryService> registry_ = registry::MakeSystemRegistry();
  std::unique_ptr<registry::AnsiCodec> codec_ = registry::MakeSystemAnsiCodec();
  fakes::FakeMessageBoxes boxes_;
  fakes::FakeDialog dialog_;
  frmMain window_{*registry_, *codec_, &boxes_, &dialog_};
  std::filesystem::path folder_, bitmap_;
};

TEST_F(MainWindowInUse, RepeatedUseLeavesNothingBehind) {
  dialog_.answers = {bitmap_.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(window_.hwnd(), IDC_APPLY)));
  Redraw();
  Command(IDM_BOTH);
  boxes_.answers = {kAnswerYes};
  Command(IDC_REMOVE_WALLPAPER, BN_CLICKED);
  dialog_.answers = {bitmap_.wstring(), (folder_ / "out").wstring()};
  Command(IDC_OPEN_GIFJPEG, BN_CLICKED);
  Command(IDC_SAVE_AS_BITMAP, BN_CLICKED);
  ASSERT_TRUE(boxes_.shown.size() == 1) << "only the removal question";
  const Census before(window_.hwnd());

  for (int i = 0; i < 1000; ++i) Redraw();
  for (int i = 0; i < 200; ++i) {
    dialog_.answers = {bitmap_.wstring()};
    Command(IDC_OPEN_PICTURE, BN_CLICKED);
    Command(IDM_BOTH);
    boxes_.answers = {kAnswerYes};
    Command(IDC_REMOVE_WALLPAPER, BN_CLICKED);
  }
  for (int i = 0; i < 100; ++i) {
    dialog_.answers = {bitmap_.wstring(), (folder_ / "out").wstring()};
    boxes_.answers = {kAnswerYes};  // "out.bmp" exists from the round before: replace it
    Command(IDC_OPEN_GIFJPEG, BN_CLICKED);
    Command(IDC_SAVE_AS_BITMAP, BN_CLICKED);
  }
  const Census after(window_.hwnd());
  ExpectSameHandles(before, after);
  // Memory may settle a little, but a leak of one tile a cycle would be megabytes.
  EXPECT_LT(static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes),
            2LL * 1024 * 1024);
  EXPECT_EQ(boxes_.shown.size(), 301u) << "each removal and each replacement asked once, nothing else";
  EXPECT_TRUE(std::filesystem::exists(folder_ / "out.bmp"));
}

TEST_F(MainWindowInUse, AFailureNoHandlerCatchesIsReportedAndTheWindowGoesOn) {
  dialog_.answers = {L"<fail>"};  // the dialog itself cannot be shown
  Command(IDC_OPEN_GIFJPEG, BN_CLICKED);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, L"Velmora");
  EXPECT_NE(boxes_.shown[0].text.find(L"dialog failed"), std::wstring::npos);
  EXPECT_TRUE(IsWindow(window_.hwnd()));
  dialog_.answers = {bitmap_.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_.hwnd(), IDC_APPLY)));
}

}  // namespace
}  // namespace velmora
