// The real window in this process, driven through its own dispatch point with
// the message boxes and the file dialog answered by fakes: what repeated use
// leaves behind.
#include <windows.h>
#include <oleacc.h>
#include <psapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "app/design.h"
#include "app/frm_main_win.h"
#include "convert/save_bmp_win.h"
#include "fakes/fake_dialog.h"
#include "fakes/fake_message_boxes.h"
#include "platform/handles_win.h"
#include "platform/newer_api_win.h"
#include "platform/screen.h"
#include "registry/system_registry_win.h"
#include "shared/registry_keys_win.h"

namespace velmora {
namespace {

using namespace design;

// Owned handles of each kind (bitmaps, memory contexts, other GDI objects,
// fonts, icons, files), then the windows of this thread.
BOOL CALLBACK CountWindow(HWND, LPARAM n) {
  ++*reinterpret_cast<long*>(n);
  return TRUE;
}

struct Census {
  std::vector<long> counts{UniqueBitmap::Live(), MemoryDc::Live(), UniqueGdiObject::Live(),
                           UniqueFont::Live(),   UniqueIcon::Live(), UniqueFile::Live(), 0};
  SIZE_T privateBytes = 0;
  explicit Census(HWND window) {
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&counts.back()));
    EnumChildWindows(window, CountWindow, reinterpret_cast<LPARAM>(&counts.back()));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    privateBytes = memory.PrivateUsage;
  }
};

// A bitmap of one colour, 0xRRGGBB, as the converter saves one.
void WriteBmp(const std::filesystem::path& path, int width, int height, std::uint32_t rgb = 0x404040) {
  Picture picture = Picture::Create(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) std::memcpy(picture.row(y) + 4 * x, &rgb, 4);
  ASSERT_EQ(convert::SavePictureAsBmp(picture, path.wstring()), L"");
}

// What a control shows, as 0x00RRGGBB pixels from its top-left corner.
std::vector<std::uint32_t> Printed(HWND control, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  UniqueBitmap shot(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDc dc(CreateCompatibleDC(nullptr));
  {
    Selection into(dc.get(), shot.get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  }
  const auto* px = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> all(px, px + width * height);
  for (std::uint32_t& p : all) p &= 0xFFFFFF;
  return all;
}

std::map<HWND, int> refreshTicks;  // each window's redraw ticks dispatched here

// Runs this thread's messages, as a modal loop does, until the condition
// holds; false if it does not within the time given.
template <class Condition>
bool PumpUntil(Condition holds, DWORD ms = 5000) {
  const DWORD end = GetTickCount() + ms;
  for (MSG m; !holds(); Sleep(5)) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
      if (m.message == WM_TIMER && m.wParam == kRefreshTimerId) ++refreshTicks[m.hwnd];
    }
  }
  return true;
}

// The first box is answered only once a redraw tick has fallen inside it:
// like the system's, it runs the thread's messages, ticks included, meanwhile.
class SlowBoxes final : public MessageBoxes {
 public:
  int Show(const std::wstring& text, const std::wstring&, unsigned) override {
    shown.push_back(text);
    deepest = std::max(deepest, ++open);
    const int ticks = refreshTicks[window];
    if (shown.size() == 1) {
      EXPECT_TRUE(PumpUntil([&] { return refreshTicks[window] > ticks; })) << "no tick";
    }
    --open;
    return kAnswerNo;
  }
  std::vector<std::wstring> shown;
  int open = 0, deepest = 0;
  HWND window = nullptr;
};

// Files dropped from the shell, as the shell hands them over: a list of
// wide names, each ended by a NUL, the list by another.
HGLOBAL DropOf(const std::vector<std::wstring>& files) {
  std::wstring list;
  for (const std::wstring& f : files) list += f + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

std::wstring TextOf(HWND control) {
  wchar_t text[512] = L"";
  GetWindowTextW(control, text, 512);
  return text;
}

const wchar_t kToolbar[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";

std::wstring ReadValue(const wchar_t* name) {
  return testing_support::ReadString(kToolbar, name, L"<none>");
}

void SetValue(const wchar_t* name, const std::wstring& data) {
  testing_support::WriteString(kToolbar, name, data);
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
    // The window watches the folders of the wallpapers it shows, and Wine
    // refuses to remove a folder that is watched.
    DestroyWindow(window_.hwnd());
    testing_support::DeleteValue(kToolbar, L"BackBitmap");
    testing_support::DeleteValue(kToolbar, L"BackBitmapIE5");
    std::filesystem::remove_all(folder_);
  }
  void Command(int id, int code = 0) {
    SendMessageW(window_.hwnd(), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(window_.hwnd(), id)));
  }
  void Redraw() { Command(IDC_PREVIEW_LIST, CBN_SELCHANGE); }
  HWND Control(int id) { return GetDlgItem(window_.hwnd(), id); }
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
  EXPECT_EQ(after.counts, before.counts);
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

// Two families name one picture too wide to tile. Its report comes from the
// timer's redraw, whose tick falls while the user is still reading another
// box: it must wait for that box, and the picture is told of once.
TEST_F(MainWindowInUse, ATickInsideABoxWaitsAndATooLargePictureIsToldOnce) {
  const std::filesystem::path wide = folder_ / "wide.bmp";
  WriteBmp(wide, 40000, 1);
  SetValue(L"BackBitmap", bitmap_.wstring());
  SlowBoxes slow;
  frmMain window(*registry_, *codec_, &slow, &dialog_);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  slow.window = window.hwnd();
  window.Show(SW_SHOW);  // in front: a box is shown, not held for the user's return
  SetForegroundWindow(window.hwnd());
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_LIST, CBN_SELCHANGE), 0);
  SetValue(L"BackBitmap", wide.wstring());
  SetValue(L"BackBitmapIE5", wide.wstring());
  ASSERT_TRUE(PumpUntil([&] { return TextOf(GetDlgItem(window.hwnd(), IDC_EXPLORER_FILENAME)) == L"wide.bmp"; }));
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE_WALLPAPER, BN_CLICKED), 0);  // the redraw is due
  ASSERT_TRUE(PumpUntil([&] { return slow.shown.size() == 2; }));
  EXPECT_EQ(slow.deepest, 1);
  EXPECT_EQ(slow.shown[0].rfind(L"Are you sure", 0), 0u);
  EXPECT_EQ(slow.shown[1].rfind(L"\"" + wide.wstring() + L"\" is 40000 x 1 pixels.\r\n\r\n", 0), 0u) << slow.shown[1];
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_LIST, CBN_SELCHANGE), 0);
  EXPECT_EQ(slow.shown.size(), 2u);
  // Blank, as the box says, not the picture the swatch showed before.
  EXPECT_EQ(Printed(GetDlgItem(window.hwnd(), IDC_SWATCH_EXPLORER), 1, 1)[0], GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
}

TEST_F(MainWindowInUse, EnterPressesTheFocusedButtonAndFocusReturnsToIt) {
  window_.Show(SW_SHOWNOACTIVATE);
  HWND remove = Control(IDC_REMOVE_WALLPAPER);
  SetFocus(remove);
  MSG enter{remove, WM_KEYDOWN, VK_RETURN, 1};
  EXPECT_TRUE(window_.PreTranslate(enter));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, L"Really?");
  enter.lParam |= 1 << 30;  // the key held down repeats; it pressed once
  window_.PreTranslate(enter);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  // A box's owner loses the focus; when it is active again, the window gets
  // it and hands it to the control that had it.
  SetFocus(nullptr);
  SetFocus(window_.hwnd());
  EXPECT_EQ(GetFocus(), remove);
}

// What "Apply wallpaper" writes is what the preview shows: a cancelled dialog
// changes neither, and a bitmap just saved by the converter is both.
TEST_F(MainWindowInUse, ApplyWritesTheBitmapThePreviewShows) {
  ASSERT_FALSE(IsWindowEnabled(Control(IDC_APPLY)));
  const std::wstring out = (folder_ / "converted").wstring();
  dialog_.answers = {bitmap_.wstring(), out, L""};
  Command(IDC_OPEN_GIFJPEG, BN_CLICKED);
  Command(IDC_SAVE_AS_BITMAP, BN_CLICKED);
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_APPLY)));
  Command(IDC_OPEN_PICTURE, BN_CLICKED);  // cancelled
  Command(IDM_BOTH);
  EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : std::string(boxes_.shown[0].text.begin(),
                                                                                  boxes_.shown[0].text.end()));
  EXPECT_EQ(ReadValue(L"BackBitmap"), out + L".bmp");
  EXPECT_EQ(ReadValue(L"BackBitmapIE5"), out + L".bmp");
}

// Moved to a monitor of 144 dpi, the window is laid out from its design at
// that density and the mock-up covers the whole preview, which is now
// 495 x 252 pixels: tiles show only through the mock-up's key colour.
TEST_F(MainWindowInUse, ADensityChangeLaysOutAgainAndTheMockupCoversThePreview) {
  const std::filesystem::path flat = folder_ / "flat.bmp";
  WriteBmp(flat, 8, 8, 0x123456);  // a colour no mock-up has
  dialog_.answers = {flat.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  const int dpi = 144;
  RECT frame{100, 100, 100 + TwipsToPixels(kClient.w, dpi), 100 + TwipsToPixels(kClient.h, dpi)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window_.hwnd(), GWL_STYLE)), FALSE, 0);
  SendMessageW(window_.hwnd(), kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));

  RECT client{};
  GetClientRect(window_.hwnd(), &client);
  EXPECT_EQ(client.right, 840);
  EXPECT_EQ(client.bottom, 641);
  for (int id : {IDC_APPLY, IDC_PREVIEW, IDC_PREVIEW_LIST, IDC_IEOE_FILENAME, IDC_SAVE_AS_BITMAP}) {
    const Place p = InClient(Find(id));
    RECT r{};
    GetWindowRect(Control(id), &r);
    MapWindowPoints(nullptr, window_.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, TwipsToPixels(p.x, dpi)) << Find(id).name;
    EXPECT_EQ(r.top, TwipsToPixels(p.y, dpi)) << Find(id).name;
    EXPECT_EQ(r.right - r.left, TwipsToPixels(p.w, dpi)) << Find(id).name;
  }

  constexpr int kW = 495, kH = 252;
  const std::vector<std::uint32_t> px = Printed(Control(IDC_PREVIEW), kW, kH);
  int tiles = 0, tilesOutside = 0, outside = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const bool tile = px[y * kW + x] == 0x123456;
      const bool beyond = x >= 330 || y >= 168;  // what a 96-dpi overlay leaves bare
      tiles += tile;
      outside += beyond;
      tilesOutside += tile && beyond;
    }
  // The Explorer mock-up's key colour covers about 24 % of it.
  EXPECT_NEAR(100.0 * tiles / (kW * kH), 23.7, 2.0);
  EXPECT_LT(100.0 * tilesOutside / outside, 40.0);
}

// Tiles are the picture's own pixels at every density, 175 % and 200 %
// included, whose twips per pixel are no whole number: a 10-pixel tile whose
// last row and column are another colour shows that colour on every tenth
// line of the swatch and of the preview, out to their far edges.
TEST_F(MainWindowInUse, TilesAreThePicturesOwnPixelsAtEveryDensity) {
  constexpr std::uint32_t kInside = 0x123456, kEdge = 0x654321;  // colours no mock-up has
  const std::filesystem::path grid = folder_ / "grid.bmp";
  Picture picture = Picture::Create(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) std::memcpy(picture.row(y) + 4 * x, x == 9 || y == 9 ? &kEdge : &kInside, 4);
  ASSERT_EQ(convert::SavePictureAsBmp(picture, grid.wstring()), L"");
  for (const int dpi : {96, 120, 144, 168, 192, 240}) {
    SCOPED_TRACE(dpi);
    RECT frame{0, 0, TwipsToPixels(kClient.w, dpi), TwipsToPixels(kClient.h, dpi)};
    SendMessageW(window_.hwnd(), kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
    dialog_.answers = {grid.wstring()};
    Command(IDC_OPEN_PICTURE, BN_CLICKED);
    Command(IDM_EXPLORER);
    Redraw();
    // Explorer's mock-up first, then IE's and OE's: their toolbars reach the
    // preview's right-hand edge. Every mock-up covers its bottom edge; the
    // tiling tests check the extent there.
    int lastColumns = 0;
    for (const int mockup : {-1, 0, 1}) {
      if (mockup >= 0) {
        SendMessageW(Control(IDC_PREVIEW_LIST), CB_SETCURSEL, mockup, 0);
        Redraw();
      }
      for (const int id : {IDC_SWATCH_EXPLORER, IDC_PREVIEW}) {
        RECT client{};
        GetClientRect(Control(id), &client);
        const std::vector<std::uint32_t> px = Printed(Control(id), client.right, client.bottom);
        int wrong = 0;
        for (int y = 0; y < client.bottom; ++y)
          for (int x = 0; x < client.right; ++x) {
            const std::uint32_t p = px[y * client.right + x];
            if (p != kInside && p != kEdge) continue;  // the mock-up covers it
            wrong += p != (x % 10 == 9 || y % 10 == 9 ? kEdge : kInside);
            if (id != IDC_PREVIEW) continue;
            lastColumns += x >= client.right - 10;
          }
        EXPECT_EQ(wrong, 0) << Find(id).name << " " << mockup;
      }
    }
    EXPECT_GT(lastColumns, 0) << "the preview's right-hand edge is tiled";
    SendMessageW(Control(IDC_PREVIEW_LIST), CB_SETCURSEL, 2, 0);
  }
  EXPECT_TRUE(boxes_.shown.empty());
}

// The preview tiles and the swatches show one picture of a file they share,
// but a file changed since it was read is read again, not shown as it was.
TEST_F(MainWindowInUse, AFileChangedSinceItWasShownIsReadAgain) {
  const std::filesystem::path file = folder_ / "wall.bmp";
  WriteBmp(file, 8, 8, 0x102030);
  dialog_.answers = {file.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  Command(IDM_EXPLORER);
  Redraw();  // rather than wait for the timer
  EXPECT_EQ(Printed(Control(IDC_SWATCH_EXPLORER), 8, 8), std::vector<std::uint32_t>(64, 0x102030));
  WriteBmp(file, 9, 9, 0x405060);  // another size too: a change whatever the clock's grain
  Command(IDM_IE);
  Redraw();
  EXPECT_EQ(Printed(Control(IDC_SWATCH_IEOE), 8, 8), std::vector<std::uint32_t>(64, 0x405060));
  EXPECT_TRUE(boxes_.shown.empty());
}

// The swatch follows its file, not only the value that names it: replaced
// by our own Save or by another program, it shows the new picture.
TEST_F(MainWindowInUse, TheSwatchFollowsItsFileWhoeverReplacesIt) {
  const std::filesystem::path file = folder_ / "wall.bmp", other = folder_ / "other.bmp";
  WriteBmp(file, 8, 8, 0x102030);
  WriteBmp(other, 8, 8, 0x405060);
  dialog_.answers = {file.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  Command(IDM_EXPLORER);
  Redraw();
  const auto swatch = [&] { return Printed(Control(IDC_SWATCH_EXPLORER), 1, 1)[0]; };
  ASSERT_EQ(swatch(), 0x102030u);
  dialog_.answers = {other.wstring(), file.wstring()};
  Command(IDC_OPEN_GIFJPEG, BN_CLICKED);
  Command(IDC_SAVE_AS_BITMAP, BN_CLICKED);
  EXPECT_TRUE(PumpUntil([&] { return swatch() == 0x405060; })) << "after our own Save over it";
  WriteBmp(file, 8, 8, 0x708090);
  EXPECT_TRUE(PumpUntil([&] { return swatch() == 0x708090; })) << "after another program replaced it";
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MainWindowInUse, ADroppedFileOpensAsTheButtonsWouldOpenIt) {
  const std::filesystem::path photo = folder_ / "holiday photo.jpg";  // a BMP inside: content decides
  std::filesystem::copy_file(bitmap_, photo);
  SendMessageW(window_.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({photo.wstring()})), 0);
  const auto shown = [&](int id) { return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; };
  EXPECT_TRUE(shown(IDC_SAVE_AS_BITMAP)) << "the converter tab";
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_APPLY)));
  SendMessageW(window_.hwnd(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropOf({bitmap_.wstring(), photo.wstring()})), 0);
  EXPECT_TRUE(shown(IDC_APPLY)) << "back on the first tab";
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_APPLY)));
  const std::wstring explorer = ReadValue(L"BackBitmap");
  Command(IDM_IE);
  EXPECT_EQ(ReadValue(L"BackBitmapIE5"), bitmap_.wstring());
  EXPECT_EQ(ReadValue(L"BackBitmap"), explorer) << "IE's item leaves Explorer's value";
  EXPECT_TRUE(boxes_.shown.empty());
  // Refused, each with what it is, whatever its name ends in; and the user
  // stays on the tab they were on.
  Command(IDM_TAB_CONVERT, 1);
  const std::pair<std::wstring, const wchar_t*> refused[] = {
      {(folder_ / "x.png").wstring(), L"You can only use bitmap format files for toolbar backgrounds, sorry."},
      {(folder_ / "NUL.jpg").wstring(), L"\"NUL.jpg\" is the name Windows keeps for a device, not a file."},
      {L"C:\\windows\\COM1.gif", L"\"COM1.gif\" is the name Windows keeps for a device"},
      {folder_.wstring() + L"\\", L"is a folder, not a file."},
  };
  for (const auto& [path, says] : refused) {
    boxes_.shown.clear();
    SendMessageW(window_.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({path})), 0);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].text.find(says), std::wstring::npos) << std::string(path.begin(), path.end());
    EXPECT_TRUE(shown(IDC_SAVE_AS_BITMAP)) << "still on the converter tab";
  }
}

// A file dropped while a box is open is opened once the box is answered.
TEST_F(MainWindowInUse, AFileDroppedWhileABoxIsOpenOpensAfterIt) {
  struct DroppingBoxes final : MessageBoxes {
    HWND window = nullptr;
    std::wstring file;
    int Show(const std::wstring&, const std::wstring&, unsigned) override {
      SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({file})), 0);
      return kAnswerNo;
    }
  } boxes;
  frmMain window(*registry_, *codec_, &boxes, &dialog_);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  boxes.window = window.hwnd();
  boxes.file = bitmap_.wstring();
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE_WALLPAPER, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window.hwnd(), IDC_APPLY)));
  EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(window.hwnd(), IDC_APPLY)) != FALSE; }));
}

// Whoever changes the toolbar values (another program, a second Velmora, a
// script), the labels follow; so do a key deleted and made again.
TEST_F(MainWindowInUse, TheStatusFollowsTheRegistryWhoeverWritesIt) {
  HWND explorer = Control(IDC_EXPLORER_FILENAME), ieoe = Control(IDC_IEOE_FILENAME);
  SetValue(L"BackBitmap", bitmap_.wstring());
  EXPECT_TRUE(PumpUntil([&] { return TextOf(explorer) == L"tile.bmp"; }));
  EXPECT_TRUE(PumpUntil([&] { return Printed(Control(IDC_SWATCH_EXPLORER), 1, 1)[0] == 0x404040; }))
      << "the swatch follows too";
  ASSERT_EQ(testing_support::DeleteTree(HKEY_CURRENT_USER, kToolbar), ERROR_SUCCESS);
  EXPECT_TRUE(PumpUntil([&] { return TextOf(explorer) == L"No toolbar wallpaper set"; }));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kToolbar, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  SetValue(L"BackBitmapIE5", bitmap_.wstring());
  EXPECT_TRUE(PumpUntil([&] { return TextOf(ieoe) == L"tile.bmp"; }));
  EXPECT_EQ(TextOf(explorer), L"No toolbar wallpaper set");
  EXPECT_TRUE(boxes_.shown.empty());
}

// A reload the watch starts tells only what changed, and never while
// another program is in front: it waits for the user to come back.
TEST_F(MainWindowInUse, AReloadTheWatchStartsTellsOnlyWhatChangedAndWaitsForTheUser) {
  window_.Show(SW_SHOW);
  SetForegroundWindow(window_.hwnd());
  HWND explorer = Control(IDC_EXPLORER_FILENAME);
  SetValue(L"BackBitmapIE5", (folder_ / "gone.bmp").wstring());
  ASSERT_TRUE(PumpUntil([&] { return boxes_.shown.size() == 1; }));
  SetValue(L"BackBitmap", bitmap_.wstring());
  ASSERT_TRUE(PumpUntil([&] { return TextOf(explorer) == L"tile.bmp"; }));
  EXPECT_EQ(boxes_.shown.size(), 1u) << "IE's value did not change";

  HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                               100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  SetValue(L"BackBitmap", (folder_ / "also gone.bmp").wstring());
  EXPECT_TRUE(PumpUntil([&] { return TextOf(explorer) == L"No toolbar wallpaper set"; }));
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(GetForegroundWindow(), other);
  SetForegroundWindow(window_.hwnd());
  ASSERT_TRUE(PumpUntil([&] { return boxes_.shown.size() == 2; }));
  EXPECT_EQ(boxes_.shown[1].text.rfind(L"There is an Explorer toolbar wallpaper", 0), 0u);
  DestroyWindow(other);
}

// A burst of writes is read a fixed time after its first change: another
// value written every 50 ms does not hold the names back until it stops.
TEST_F(MainWindowInUse, TheNamesFollowWhileAnotherValueKeepsChanging) {
  SetValue(L"BackBitmap", bitmap_.wstring());
  bool followed = false;
  for (int i = 0; i < 40 && !followed; ++i) {
    SetValue(L"Velmora test", std::to_wstring(i));
    followed = PumpUntil([&] { return TextOf(Control(IDC_EXPLORER_FILENAME)) == L"tile.bmp"; }, 50);
  }
  testing_support::DeleteValue(kToolbar, L"Velmora test");
  EXPECT_TRUE(followed) << "not while the other value was written, for 2 s";
}

// What a screen reader hears for a control: Active Accessibility's name.
// oleacc.dll is loaded here: its import library and uuid's both define
// IID_IAccessible.
std::wstring AccessibleName(HWND control) {
  using ObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  static const auto fromWindow =
      ModuleFunction<ObjectFromWindow>(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow");
  IAccessible* object = nullptr;
  if (!fromWindow || FAILED(fromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(&object))))
    return L"<no object>";
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT got = object->get_accName(self, &name);
  object->Release();
  std::wstring text = SUCCEEDED(got) && name ? name : L"";
  SysFreeString(name);
  return text;
}

// Every stop of every tab has a name that says what it is and what it shows,
// and shows the focus when the keyboard brings it there; Space on a swatch
// reads the settings again.
TEST_F(MainWindowInUse, EveryStopIsNamedAndShowsWhereTheFocusIs) {
  window_.Show(SW_SHOW);
  SetForegroundWindow(window_.hwnd());
  EXPECT_EQ(AccessibleName(Control(IDC_SWATCH_EXPLORER)), L"No Explorer wallpaper set");
  EXPECT_EQ(AccessibleName(Control(IDC_SWATCH_IEOE)), L"No IE/Outlook Express wallpaper set");
  EXPECT_EQ(AccessibleName(Control(IDC_PREVIEW)), L"Preview of Windows Explorer's toolbar, no bitmap chosen");
  dialog_.answers = {bitmap_.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  Command(IDM_EXPLORER);
  EXPECT_EQ(AccessibleName(Control(IDC_SWATCH_EXPLORER)), L"Current Explorer wallpaper: tile.bmp");
  EXPECT_EQ(AccessibleName(Control(IDC_PREVIEW)), L"Preview: tile.bmp behind Windows Explorer's toolbar");
  // Windows names a list after the window just above it.
  EXPECT_EQ(GetWindow(Control(IDC_PREVIEW_LIST), GW_HWNDPREV), Control(IDC_PREVIEW_LABEL));

  for (const int tab : {0, 1}) {
    Command(tab ? IDM_TAB_CONVERT : IDM_TAB_CHANGE, 1);
    SetFocus(Control(IDC_TABSTRIP));
    std::map<HWND, std::vector<std::uint32_t>> unfocused;
    EXPECT_EQ(AccessibleName(Control(IDC_TABSTRIP)), tab ? L"GIF / JPEG to BMP tab" : L"Change Wallpaper tab");
    for (const design::Control& c : kControls)
      if (c.tab == tab && (c.flags & kFocus)) {
        EXPECT_NE(AccessibleName(Control(c.id)), L"") << c.name;
        RECT r{};
        GetClientRect(Control(c.id), &r);
        unfocused[Control(c.id)] = Printed(Control(c.id), r.right, r.bottom);
      }
    // Round the stops with Tab, as a keyboard user does.
    for (std::size_t stop = 0; stop < unfocused.size(); ++stop) {
      MSG tabKey{GetFocus(), WM_KEYDOWN, VK_TAB, 1};
      window_.PreTranslate(tabKey);
      HWND focus = GetFocus();
      if (!unfocused.count(focus) || GetDlgCtrlID(focus) == IDC_PREVIEW_LIST) continue;  // the list draws its own
      RECT r{};
      GetClientRect(focus, &r);
      EXPECT_NE(Printed(focus, r.right, r.bottom), unfocused[focus]) << Find(GetDlgCtrlID(focus)).name;
    }
  }
  EXPECT_EQ(AccessibleName(Control(IDC_CONVERT_PREVIEW)), L"Image preview: no picture opened");
  Command(IDM_TAB_CHANGE, 1);
  SetValue(L"BackBitmap", (folder_ / "gone.bmp").wstring());
  ASSERT_TRUE(PumpUntil([&] { return boxes_.shown.size() == 1; }));
  SetFocus(Control(IDC_SWATCH_EXPLORER));
  MSG space{Control(IDC_SWATCH_EXPLORER), WM_KEYDOWN, VK_SPACE, 1};
  EXPECT_TRUE(window_.PreTranslate(space));
  EXPECT_EQ(boxes_.shown.size(), 2u) << "read again, and told again";
}

// A dark high-contrast scheme keeps every cue: the buttons' pictures, the
// outline of an empty swatch, and the mock-up's captions on its own face.
TEST_F(MainWindowInUse, AHighContrastSchemeKeepsEveryCue) {
  // Where the toolbars show the tiles, from a bitmap of a colour no mock-up has.
  const std::filesystem::path flat = folder_ / "flat.bmp";
  WriteBmp(flat, 8, 8, 0x123456);
  dialog_.answers = {flat.wstring()};
  Command(IDC_OPEN_PICTURE, BN_CLICKED);
  RECT area{};
  GetClientRect(Control(IDC_PREVIEW), &area);
  const auto tiled = Printed(Control(IDC_PREVIEW), area.right, area.bottom);
  const int elements[] = {COLOR_BTNFACE, COLOR_WINDOW, COLOR_BTNTEXT, COLOR_WINDOWTEXT, COLOR_WINDOWFRAME};
  COLORREF before[5], dark[] = {0, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  for (int i = 0; i < 5; ++i) before[i] = GetSysColor(elements[i]);
  struct Restore {
    const int* elements;
    const COLORREF* colours;
    ~Restore() { SetSysColors(5, elements, colours); }
  } restore{elements, before};
  ASSERT_TRUE(SetSysColors(5, elements, dark));
  frmMain window(*registry_, *codec_, &boxes_, &dialog_);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_LIST, CBN_SELCHANGE), 0);
  HWND remove = GetDlgItem(window.hwnd(), IDC_REMOVE_WALLPAPER);
  RECT r{};
  GetClientRect(remove, &r);
  const auto button = Printed(remove, r.right, r.bottom);
  int stroke = 0;  // white in the picture's square, above the caption and inside the button's edges
  for (int y = 3; y < r.bottom / 2; ++y)
    for (int x = r.right / 2 - 8; x < r.right / 2 + 8; ++x) stroke += button[y * r.right + x] == 0xFFFFFF;
  EXPECT_GT(stroke, 10) << "the X above the caption";
  const auto swatch = Printed(GetDlgItem(window.hwnd(), IDC_SWATCH_EXPLORER), 4, 4);
  EXPECT_EQ(swatch[0], 0xFFFFFFu) << "the empty swatch's outline";
  EXPECT_EQ(swatch[5], 0u);
  const auto preview = Printed(GetDlgItem(window.hwnd(), IDC_PREVIEW), area.right, area.bottom);
  int bare = 0, toolbar = 0;
  for (std::size_t i = 0; i < tiled.size(); ++i) {
    toolbar += tiled[i] == 0x123456;
    bare += tiled[i] == 0x123456 && preview[i] != 0xD4D0C8;
  }
  EXPECT_GT(toolbar, 1000);
  EXPECT_EQ(bare, 0) << "the toolbars keep their own face under their captions";
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Start-up with whatever another program or a user left in the two values:
// what each label says, and which boxes come first, Explorer's before IE's.
TEST_F(MainWindowInUse, StartUpShowsEachValueAsItIsAndSaysWhatIsWrong) {
  const std::wstring none = L"No toolbar wallpaper set";
  const std::filesystem::path good = folder_ / "good.bmp", red = folder_ / "red tile.bmp";
  WriteBmp(good, 4, 4, 0x008000);
  WriteBmp(red, 8, 8, 0xC80000);
  // A full path of 259 characters, longer than the first read buffer.
  const std::size_t room = 259 - folder_.wstring().size() - std::wstring(L"\\\\blue.bmp").size();
  const std::filesystem::path deep = folder_ / std::wstring(room, L'd'), blue = deep / "blue.bmp";
  std::filesystem::create_directories(deep);
  WriteBmp(blue, 5, 5, 0x0000DC);
  ASSERT_EQ(blue.wstring().size(), 259u);
  std::ifstream in(good, std::ios::binary);
  const std::string goodBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string enormous = goodBytes.substr(0, 54);
  std::memcpy(&enormous[18], "\xDC\xFF\x00\x00\xDC\xFF\x00\x00", 8);  // 65500 x 65500
  const std::pair<const char*, std::string> hostile[] = {
      {"empty.bmp", ""}, {"truncated.bmp", goodBytes.substr(0, 60)}, {"not a picture.bmp", "BM this is text"},
      {"really a gif.bmp", std::string("GIF89a\x02\x00\x02\x00\x00\x00\x00;", 14)}, {"enormous.bmp", enormous}};
  for (const auto& [name, bytes] : hostile) WriteFile(folder_ / name, bytes);

  struct Case {
    std::wstring explorer, ieoe;  // what each value holds; "<none>" for no value
    std::wstring explorerLabel, ieoeLabel;
    std::vector<std::wstring> boxes;  // how each box begins, in order
  };
  const std::wstring missing = L"There is an Explorer toolbar wallpaper set in the registry but the image is missing.";
  std::vector<Case> cases = {
      {L"", L"<none>", none, none, {}},
      {red.wstring(), blue.wstring(), L"red tile.bmp", L"blue.bmp", {}},
      {L"C:\\nowhere\\gone.bmp", L"C:\\nowhere\\also.bmp", none, none,
       {missing, L"There is an IE toolbar wallpaper set in the registry but the image is missing."}},
      {folder_.wstring(), L"<none>", none, none, {missing}},
      {L"Error", L"Error", none, none, {}},
      {L"CON", good.wstring(), none, L"good.bmp", {L"The toolbar wallpaper \"CON\" could not be loaded.\r\n\r\nIt is a device"}},
      {L"C:\\" + std::wstring(257, L'x'), L"<none>", none, none,
       {L"The Explorer toolbar wallpaper set in the registry is too long to be the path of a file."}},
      {std::wstring(100000, L'y'), L"<none>", none, none,  // past what a read takes at all
       {L"The Explorer toolbar wallpaper set in the registry is too long to be the path of a file."}},
  };
  for (const auto& [name, bytes] : hostile) {
    const std::wstring path = (folder_ / name).wstring();
    cases.push_back({path, good.wstring(), none, L"good.bmp", {L"The toolbar wallpaper \"" + path + L"\" could not be loaded."}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.explorer.begin(), c.explorer.end()));
    for (const auto& [name, value] : {std::pair{L"BackBitmap", c.explorer}, std::pair{L"BackBitmapIE5", c.ieoe}}) {
      if (value == L"<none>") testing_support::DeleteValue(kToolbar, name);
      else SetValue(name, value);
    }
    fakes::FakeMessageBoxes boxes;
    frmMain window(*registry_, *codec_, &boxes, &dialog_);
    ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
    ASSERT_EQ(boxes.shown.size(), c.boxes.size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
      EXPECT_EQ(boxes.shown[i].text.rfind(c.boxes[i], 0), 0u) << i;
      EXPECT_EQ(boxes.shown[i].caption, L"Error!");
    }
    EXPECT_EQ(TextOf(GetDlgItem(window.hwnd(), IDC_EXPLORER_FILENAME)), c.explorerLabel);
    EXPECT_EQ(TextOf(GetDlgItem(window.hwnd(), IDC_IEOE_FILENAME)), c.ieoeLabel);
  }
  // The swatches tile the pictures named, from the redraw after start-up.
  SetValue(L"BackBitmap", red.wstring());
  SetValue(L"BackBitmapIE5", blue.wstring());
  frmMain window(*registry_, *codec_, &boxes_, &dialog_);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  EXPECT_TRUE(PumpUntil([&] { return Printed(GetDlgItem(window.hwnd(), IDC_SWATCH_EXPLORER), 11, 11).back() == 0xC80000u &&
                                     Printed(GetDlgItem(window.hwnd(), IDC_SWATCH_IEOE), 13, 13).back() == 0x0000DCu; }));
  // As the design has it: the first tab, Explorer's mock-up, Apply greyed.
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(window.hwnd(), IDC_OPEN_PICTURE), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(GetDlgItem(window.hwnd(), IDC_ABOUT), GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(SendMessageW(GetDlgItem(window.hwnd(), IDC_PREVIEW_LIST), CB_GETCURSEL, 0, 0), 2);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window.hwnd(), IDC_APPLY)));
}

}  // namespace
}  // namespace velmora
