// Reads velmora.exe's resources back through the calls Explorer and the loader
// use: the version record, the icons, the mock-up bitmaps and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"

namespace velmora {
namespace {

// The test program is build/win/tests/velmora_wine_tests.exe, the program
// build/win/velmora.exe.
std::wstring ProgramPath() {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {  // a build tree deeper than MAX_PATH must not cut the name
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (n == 0) return {};
    if (n < self.size()) { self.resize(n); break; }
    self.resize(self.size() * 2);
  }
  const std::wstring wanted = self.substr(0, self.find_last_of(L'\\') + 1) + L"..\\velmora.exe";
  std::wstring full(GetFullPathNameW(wanted.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD n = GetFullPathNameW(wanted.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                   nullptr);
  full.resize(n);
  return full;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class ProgramFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ProgramPath();
    ASSERT_NE(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES)
        << Narrow(path_) << " is missing: build the program before its tests";
  }
  std::wstring path_;
};

// --- Version record: what Explorer's Properties and Details show ------------

class VersionRecord : public ProgramFile {
 protected:
  void SetUp() override {
    ProgramFile::SetUp();
    if (HasFatalFailure()) return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version record in " << Narrow(path_);
    record_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, record_.data()));
  }

  // The text as stored, without the terminating NUL the length may count.
  std::wstring Text(const std::wstring& name) {
    const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record_.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) ||
        text == nullptr)
      return L"<missing>";
    std::wstring value(text, length);
    return value.substr(0, value.find(L'\0'));
  }

  std::vector<BYTE> record_;
};

using Version = std::array<unsigned, 4>;

Version Split(DWORD high, DWORD low) {
  return {HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low)};
}

TEST_F(VersionRecord, FixedPartSaysVersion1_0_0_2OfAnApplication) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(Split(fixed->dwFileVersionMS, fixed->dwFileVersionLS), (Version{1, 0, 0, 2}));
  EXPECT_EQ(Split(fixed->dwProductVersionMS, fixed->dwProductVersionLS), (Version{1, 0, 0, 2}));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & VS_FF_DEBUG, 0u);
}

// One translation only: Explorer reads the texts from the first pair listed,
// and a block under another code page would be found by no one.
TEST_F(VersionRecord, OnlyTranslationIsUsEnglishUnicode) {
  WORD* pairs = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record_.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&pairs), &length));
  ASSERT_EQ(length, 2 * sizeof(WORD));
  EXPECT_EQ(pairs[0], 0x0409);
  EXPECT_EQ(pairs[1], 1200);
}

TEST_F(VersionRecord, TextFieldsReadBackExactly) {
  struct Field { const wchar_t* name; const wchar_t* text; };
  static constexpr Field kFields[] = {
      {L"FileVersion", L"1.00.0002"},
      {L"ProductVersion", L"1.00.0002"},
      {L"ProductName", L"Velmora"},
      {L"FileDescription", L"Velmora"},
      {L"CompanyName", L"The Velmora developers"},
      {L"InternalName", L"velmora"},
      {L"OriginalFilename", L"velmora.exe"},
  };
  for (const Field& f : kFields)
    EXPECT_EQ(Text(f.name), f.text) << Narrow(f.name);
  for (const wchar_t* free_text : {L"Comments", L"LegalCopyright"}) {
    const std::wstring text = Text(free_text);
    EXPECT_NE(text, L"<missing>") << Narrow(free_text);
    EXPECT_FALSE(text.empty()) << Narrow(free_text);
  }
}

// --- Resources read from the file as data, as Explorer does -----------------

class ProgramResources : public ProgramFile {
 protected:
  void SetUp() override {
    ProgramFile::SetUp();
    if (HasFatalFailure()) return;
    module_ = LoadLibraryExW(path_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot map " << Narrow(path_) << ": " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

struct Size {
  int width, height;
};

struct IconCase {
  int id;
  const char* name;
  std::vector<Size> sizes;  // each must be drawn, not scaled from another
};

const std::vector<IconCase>& Icons() {
  static const std::vector<IconCase> kIcons = {
      {IDI_APP, "app", {{16, 16}, {32, 32}, {48, 48}}},
      {IDI_OPEN_BITMAP, "open_bitmap", {{16, 16}}},
      {IDI_REMOVE, "remove", {{16, 16}}},
      {IDI_APPLY, "apply", {{16, 16}}},
      {IDI_OPEN_GIFJPEG, "open_gifjpeg", {{36, 16}}},
      {IDI_SAVE_BMP, "save_bmp", {{16, 16}}},
      {IDI_CAMERA, "camera", {{16, 16}}},
      {IDI_PERSON, "person", {{39, 31}}},
  };
  return kIcons;
}

#pragma pack(push, 2)
struct IconGroupHeader {
  WORD reserved, type, count;
};
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// Pixels of an icon drawn over one background, 0x00RRGGBB, row by row.
std::vector<std::uint32_t> DrawOver(HICON icon, Size size, std::uint32_t background) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;  // top-down, so row 0 is the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dib || !dc) {
    if (dib) DeleteObject(dib);
    if (dc) DeleteDC(dc);
    return {};
  }
  const HGDIOBJ old = SelectObject(dc, dib);
  auto* px = static_cast<std::uint32_t*>(bits);
  std::fill(px, px + size.width * size.height, background);
  DrawIconEx(dc, 0, 0, icon, size.width, size.height, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::vector<std::uint32_t> out(px, px + size.width * size.height);
  for (auto& p : out) p &= 0x00FFFFFF;  // the alpha byte is the blend's business
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  return out;
}

using ProgramIcons = ProgramResources;

// Without an image of the exact size Windows stretches another one, and a
// 16-pixel button picture scaled from 32 pixels turns to mush.
TEST_F(ProgramIcons, EachSizeIsDrawnIn32BitsNotScaled) {
  for (const IconCase& icon : Icons()) {
    SCOPED_TRACE(icon.name);
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(icon.id), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    ASSERT_NE(data, nullptr);
    const DWORD bytes = SizeofResource(module_, found);
    ASSERT_GE(bytes, sizeof(IconGroupHeader));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(data);
    EXPECT_EQ(header->type, 1) << "an icon group, not a cursor group";
    ASSERT_GE(bytes, sizeof(IconGroupHeader) + header->count * sizeof(IconGroupEntry));
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    for (const Size& want : icon.sizes) {
      bool present = false;
      for (WORD i = 0; i < header->count; ++i) {
        const int w = entries[i].width ? entries[i].width : 256;
        const int h = entries[i].height ? entries[i].height : 256;
        if (w == want.width && h == want.height && entries[i].bit_count == 32) present = true;
      }
      EXPECT_TRUE(present) << "no 32-bit " << want.width << "x" << want.height << " image";
    }
  }
}

// The pictures sit on button faces and tab pages whose colour the theme picks:
// a corner that covers the background shows as a box around the picture.
TEST_F(ProgramIcons, CornersAreClearAndThePictureIsThere) {
  for (const IconCase& icon : Icons()) {
    for (const Size& size : icon.sizes) {
      SCOPED_TRACE(std::string(icon.name) + " " + std::to_string(size.width) + "x" +
                   std::to_string(size.height));
      HICON handle = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(icon.id), IMAGE_ICON,
                                                   size.width, size.height, LR_DEFAULTCOLOR));
      ASSERT_NE(handle, nullptr) << GetLastError();

      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(handle, &info));
      BITMAP colour{};
      ASSERT_NE(info.hbmColor, nullptr) << "a colour icon, not a monochrome one";
      GetObjectW(info.hbmColor, sizeof colour, &colour);
      EXPECT_EQ(colour.bmWidth, size.width);
      EXPECT_EQ(colour.bmHeight, size.height);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);

      const auto on_black = DrawOver(handle, size, 0x000000);
      const auto on_white = DrawOver(handle, size, 0xFFFFFF);
      DestroyIcon(handle);
      ASSERT_EQ(on_black.size(), static_cast<size_t>(size.width * size.height));
      ASSERT_EQ(on_white.size(), on_black.size());

      const int last_x = size.width - 1, last_y = size.height - 1;
      const std::pair<int, int> corners[] = {{0, 0}, {last_x, 0}, {0, last_y}, {last_x, last_y}};
      for (auto [x, y] : corners) {
        const size_t at = static_cast<size_t>(y * size.width + x);
        EXPECT_EQ(on_black[at], 0x000000u) << "corner " << x << "," << y;
        EXPECT_EQ(on_white[at], 0xFFFFFFu) << "corner " << x << "," << y;
      }
      // An opaque pixel looks the same over both backgrounds.
      int covered = 0;
      for (size_t i = 0; i < on_black.size(); ++i) covered += on_black[i] == on_white[i];
      EXPECT_GE(covered * 8, size.width * size.height) << "the picture is (nearly) empty";
    }
  }
}

// Explorer shows the first icon group of the file, and the resource table lists
// groups by number after any named ones.
BOOL CALLBACK KeepFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) {
  *reinterpret_cast<LPCWSTR*>(out) = IS_INTRESOURCE(name) ? name : L"(named)";
  return FALSE;  // the first one is all we need
}

TEST_F(ProgramIcons, ProgramFileShowsTheAppIcon) {
  LPCWSTR first = nullptr;
  EnumResourceNamesW(module_, RT_GROUP_ICON, KeepFirstName, reinterpret_cast<LONG_PTR>(&first));
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(IS_INTRESOURCE(first)) << "a named icon group comes before IDI_APP";
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(first), static_cast<ULONG_PTR>(IDI_APP));
}

// --- The toolbar mock-ups ----------------------------------------------------

using MockupBitmaps = ProgramResources;

// The preview shows the wallpaper only where a mock-up pixel is exactly
// RGB(255, 51, 204); a palette or a resource tool that moved it by one step
// would hide the wallpaper everywhere.
TEST_F(MockupBitmaps, KeepTheirSizeAndTheExactKeyColour) {
  struct Mockup { int id; const char* name; Size size; };
  static constexpr Mockup kMockups[] = {
      {IDB_MOCKUP_IE, "Internet Explorer", {332, 172}},
      {IDB_MOCKUP_OE, "Outlook Express", {332, 174}},
      {IDB_MOCKUP_EXPLORER, "Windows Explorer", {332, 172}},
  };
  for (const Mockup& m : kMockups) {
    SCOPED_TRACE(m.name);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module_, MAKEINTRESOURCEW(m.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr) << GetLastError();
    BITMAP shape{};
    GetObjectW(bitmap, sizeof shape, &shape);
    const int height = std::abs(shape.bmHeight);
    EXPECT_EQ(shape.bmWidth, m.size.width);
    EXPECT_EQ(height, m.size.height);

    BITMAPINFO want{};
    want.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    want.bmiHeader.biWidth = shape.bmWidth;
    want.bmiHeader.biHeight = -height;
    want.bmiHeader.biPlanes = 1;
    want.bmiHeader.biBitCount = 32;
    want.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(shape.bmWidth) * height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &want, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    ASSERT_EQ(rows, height);

    const auto key = std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) {
      return (p & 0x00FFFFFF) == 0xFF33CC;  // 0x00RRGGBB as a 32-bit DIB holds it
    });
    EXPECT_GT(key, 0) << "no pixel is exactly the key colour";
    EXPECT_LT(key, static_cast<std::ptrdiff_t>(pixels.size())) << "nothing covers the wallpaper";
  }
}

// --- The manifest, parsed by the same loader code that starts the program ---

class ProgramManifest : public ProgramFile {
 protected:
  void SetUp() override {
    ProgramFile::SetUp();
    if (HasFatalFailure()) return;
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path_.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    context_ = CreateActCtxW(&request);
    ASSERT_NE(context_, INVALID_HANDLE_VALUE)
        << "manifest 1 missing or malformed, error " << GetLastError();
  }
  void TearDown() override {
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }

  std::wstring Setting(const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context_, space, name, value, 128, &written))
      return L"<unset>";
    return value;
  }

  HANDLE context_ = INVALID_HANDLE_VALUE;
};

// Without the dependency the buttons, tabs and list keep the Windows 95 look.
TEST_F(ProgramManifest, BringsInVersion6CommonControls) {
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(context_, &cookie));
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  const BOOL redirected = FindActCtxSectionStringW(
      0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data);
  DeactivateActCtx(0, cookie);
  EXPECT_TRUE(redirected);
}

// A setting under the wrong XML namespace is ignored without a word, and the
// window would be stretched as a bitmap on a high-DPI screen.
TEST_F(ProgramManifest, DeclaresPerMonitorDpiAwareness) {
  EXPECT_EQ(Setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
            L"true/pm");
  EXPECT_EQ(Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2,PerMonitor");
}

TEST_F(ProgramManifest, RunsWithTheUsersOwnRights) {
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  ASSERT_TRUE(QueryActCtxW(0, context_, nullptr, RunlevelInformationInActivationContext, &level,
                           sizeof level, nullptr));
  EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_FALSE(level.UiAccess);
}

}  // namespace
}  // namespace velmora
