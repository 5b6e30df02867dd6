#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "shared/failure_number.h"
#include "platform/handles_win.h"
#include "render/gdi.h"
#include "render/kept_overlay.h"
#include "render/tile_image.h"
#include "render/transparent_blit.h"

namespace velmora {
namespace {

using render::SystemGdi;
using render::TileImage;
using render::TransparentBlit;

constexpr COLORREF kKey = RGB(255, 51, 204);

// A 32-bit DIB pixel as stored: 0x00RRGGBB.
std::uint32_t Stored(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

enum class Format { Argb32, Rgb565, Rgb555 };

// A memory context holding a top-down DIB section whose pixels the test reads
// and writes directly. Members in this order: the selection is undone, the
// context deleted, then the bitmap.
class DibSurface {
 public:
  DibSurface(int width, int height, Format format = Format::Argb32)
      : width_(width), height_(height), format_(format),
        bitmap_(Create(width, height, format, &bits_)), dc_(CreateCompatibleDC(nullptr)),
        selected_(dc_.get(), bitmap_.get()) {}
  HDC dc() const { return dc_.get(); }
  DcHandle handle() const { return reinterpret_cast<DcHandle>(dc_.get()); }
  int width() const { return width_; }
  int height() const { return height_; }
  explicit operator bool() const { return bits_ && static_cast<bool>(selected_); }

  std::uint32_t Get(int x, int y) const {
    GdiFlush();  // Windows may still hold queued drawing
    return format_ == Format::Argb32 ? Row32(y)[x] : Row16(y)[x];
  }
  void Set(int x, int y, std::uint32_t value) {
    GdiFlush();
    if (format_ == Format::Argb32) Row32(y)[x] = value;
    else Row16(y)[x] = static_cast<std::uint16_t>(value);
  }
  std::vector<std::uint32_t> Pixels() const {
    std::vector<std::uint32_t> all;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) all.push_back(Get(x, y));
    return all;
  }
  // How a colour is stored on this surface.
  std::uint32_t Encode(COLORREF c) const {
    const unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    switch (format_) {
      case Format::Rgb565: return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
      case Format::Rgb555: return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
      default: return Stored(c);
    }
  }

 private:
  static HBITMAP Create(int width, int height, Format format, void** bits) {
    struct { BITMAPINFOHEADER header; DWORD masks[3]; } info{};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = format == Format::Argb32 ? 32 : 16;
    info.header.biCompression = format == Format::Rgb565 ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = 0xF800; info.masks[1] = 0x07E0; info.masks[2] = 0x001F;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, bits,
                            nullptr, 0);
  }
  char* Row(int y) const {
    const std::size_t bytes = static_cast<std::size_t>(width_) * (format_ == Format::Argb32 ? 4 : 2);
    return static_cast<char*>(bits_) + y * ((bytes + 3) & ~std::size_t{3});  // rows are DWORD-aligned
  }
  std::uint32_t* Row32(int y) const { return reinterpret_cast<std::uint32_t*>(Row(y)); }
  std::uint16_t* Row16(int y) const { return reinterpret_cast<std::uint16_t*>(Row(y)); }

  int width_, height_;
  Format format_;
  void* bits_ = nullptr;
  UniqueBitmap bitmap_;
  MemoryDc dc_;
  Selection selected_;
};

// Distinct, deterministic colours; every fifth pixel is the key.
COLORREF PatternColour(int x, int y, int seed) {
  if ((x + 3 * y + seed) % 5 == 0) return kKey;
  const unsigned v = static_cast<unsigned>((x * 73 + y * 151 + seed * 37) * 2654435761u);
  return RGB(v >> 8 & 0xFF, v >> 16 & 0xFF, v >> 24);
}

struct Rect { int destX, destY, width, height, srcX, srcY; };

class ColourKeyCopyUnderWine : public ::testing::Test {
 protected:
  void Paint(DibSurface& surface, int seed) {
    for (int y = 0; y < surface.height(); ++y)
      for (int x = 0; x < surface.width(); ++x)
        surface.Set(x, y, surface.Encode(PatternColour(x, y, seed)));
  }
  // The rule pixel by pixel: a source pixel stored as the key leaves the
  // destination; any other lands as GDI shows it on the destination's format.
  std::vector<std::uint32_t> Expected(const DibSurface& dest, const DibSurface& src, COLORREF key, Rect r) {
    DibSurface shown(src.width(), src.height());
    BitBlt(shown.dc(), 0, 0, src.width(), src.height(), src.dc(), 0, 0, SRCCOPY);
    std::vector<std::uint32_t> want = dest.Pixels();
    for (int j = 0; j < r.height; ++j)
      for (int i = 0; i < r.width; ++i)
        if (src.Get(r.srcX + i, r.srcY + j) != src.Encode(key))
          want[(r.destY + j) * dest.width() + r.destX + i] = shown.Get(r.srcX + i, r.srcY + j);
    return want;
  }
  // Every copy is made twice: by TransparentBlit, and through a kept
  // overlay onto a twin of the destination, whose pixels must come out the same.
  void Copy(DibSurface& dest, DibSurface& src, COLORREF key, Rect r) {
    DibSurface twin(dest.width(), dest.height());
    BitBlt(twin.dc(), 0, 0, dest.width(), dest.height(), dest.dc(), 0, 0, SRCCOPY);
    render::KeptOverlay(SystemGdi(), twin.handle(), r.width, r.height, src.handle(), r.srcX, r.srcY, key)
        .Draw(twin.handle(), r.destX, r.destY);
    TransparentBlit(SystemGdi(), dest.handle(), r.destX, r.destY, r.width, r.height,
                    src.handle(), r.srcX, r.srcY, key);
    EXPECT_EQ(twin.Pixels(), dest.Pixels()) << "the kept overlay differs";
  }
};

TEST_F(ColourKeyCopyUnderWine, OffsetRectangleFollowsThePixelRule) {
  DibSurface src(10, 8), dest(12, 9);
  ASSERT_TRUE(src && dest);
  Paint(src, 1);
  Paint(dest, 2);  // its own key pixels must not matter
  for (Rect r : {Rect{0, 0, 10, 8, 0, 0}, Rect{3, 2, 5, 4, 4, 3}, Rect{7, 0, 5, 9, 0, 0},
                 Rect{0, 5, 1, 1, 9, 7}}) {
    SCOPED_TRACE(testing::Message() << "dest " << r.destX << "," << r.destY << " size " << r.width
                                    << "x" << r.height << " src " << r.srcX << "," << r.srcY);
    const auto want = Expected(dest, src, kKey, r);
    Copy(dest, src, kKey, r);
    EXPECT_EQ(dest.Pixels(), want);
  }
}

TEST_F(ColourKeyCopyUnderWine, AllKeyKeepsTheDestinationAndNoKeyCopiesPlainly) {
  DibSurface src(6, 4), dest(6, 4);
  ASSERT_TRUE(src && dest);
  Paint(dest, 3);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) src.Set(x, y, Stored(kKey));
  const auto before = dest.Pixels();
  Copy(dest, src, kKey, {0, 0, 6, 4, 0, 0});
  EXPECT_EQ(dest.Pixels(), before);

  Paint(src, 4);  // has key pixels, but the key asked for is another colour
  Copy(dest, src, RGB(0, 0, 1), {0, 0, 6, 4, 0, 0});
  EXPECT_EQ(dest.Pixels(), src.Pixels());
}

TEST_F(ColourKeyCopyUnderWine, EmptyRectanglesDrawNothingAndColoursAndModeAreRestored) {
  DibSurface src(4, 4), dest(4, 4);
  ASSERT_TRUE(src && dest);
  Paint(src, 7);
  Paint(dest, 6);
  const auto before = dest.Pixels();
  for (Rect r : {Rect{0, 0, 0, 4, 0, 0}, Rect{0, 0, 4, 0, 0, 0}, Rect{0, 0, -2, 4, 0, 0}}) {
    Copy(dest, src, kKey, r);
    EXPECT_EQ(dest.Pixels(), before);
  }
  SetBkColor(src.dc(), RGB(9, 8, 7));
  SetBkColor(dest.dc(), RGB(6, 5, 4));
  SetBkMode(dest.dc(), TRANSPARENT);
  Copy(dest, src, kKey, {0, 0, 4, 4, 0, 0});
  EXPECT_EQ(GetBkColor(src.dc()), RGB(9, 8, 7));
  EXPECT_EQ(GetBkColor(dest.dc()), RGB(6, 5, 4));
  EXPECT_EQ(GetBkMode(dest.dc()), TRANSPARENT);
}

// Fewer colour bits: whatever the surface stores as the key's value is the key.
class ColourKeyCopyOn16Bits : public ColourKeyCopyUnderWine,
                              public ::testing::WithParamInterface<Format> {};

TEST_P(ColourKeyCopyOn16Bits, ColoursStoredAsTheKeyAreLeftOut) {
  DibSurface src(8, 3, GetParam()), dest(8, 3);
  ASSERT_TRUE(src && dest);
  Paint(src, 8);
  Paint(dest, 9);
  // Near the key: the low bits differ, which 16 bits cannot hold.
  src.Set(1, 0, src.Encode(RGB(252, 49, 206)));
  src.Set(2, 0, src.Encode(RGB(248, 48, 200)));
  // One step off in each channel, as this format counts steps.
  src.Set(3, 0, src.Encode(kKey) ^ 1);
  src.Set(4, 0, src.Encode(kKey) ^ 0x20);  // green's lowest bit in both formats
  src.Set(5, 0, src.Encode(kKey) ^ (GetParam() == Format::Rgb565 ? 0x800 : 0x400));
  ASSERT_EQ(src.Get(1, 0), src.Encode(kKey));
  const Rect all{0, 0, 8, 3, 0, 0};
  const auto want = Expected(dest, src, kKey, all);
  const std::uint32_t keptAt1 = dest.Get(1, 0), keptAt2 = dest.Get(2, 0), keptAt3 = dest.Get(3, 0);
  Copy(dest, src, kKey, all);
  EXPECT_EQ(dest.Pixels(), want);
  EXPECT_EQ(dest.Get(1, 0), keptAt1);
  EXPECT_EQ(dest.Get(2, 0), keptAt2);
  EXPECT_NE(dest.Get(3, 0), keptAt3);
}

INSTANTIATE_TEST_SUITE_P(Formats, ColourKeyCopyOn16Bits, ::testing::Values(Format::Rgb565, Format::Rgb555),
                         [](const auto& info) { return info.param == Format::Rgb565 ? "Rgb565" : "Rgb555"; });

// A box of any size in twips over a DIB surface.
class TwipsBox final : public PictureSurface {
 public:
  TwipsBox(const DibSurface& s, float w, float h) : s_(s), w_(w), h_(h) {}
  float Width() const override { return w_; }
  float Height() const override { return h_; }
  DcHandle hdc() const override { return s_.handle(); }

 private:
  const DibSurface& s_;
  float w_, h_;
};

// The same at 15 twips a pixel, the surface's own size.
TwipsBox SurfaceBox(const DibSurface& s) { return TwipsBox(s, s.width() * 15.0f, s.height() * 15.0f); }

using testing_support::FailureNumber;

// Where the tiles land, read from the pixels: each tile's first pixel is the
// only one of its colour, so the tiles' origins are exactly where it shows.
// Sizes in twips convert with the density given, a half going to even.
TEST(TilingUnderWine, TilesAreSizedByTheDensityAndPlacedFromTheOrigin) {
  using At = std::vector<std::pair<int, int>>;
  struct Case { float srcW, srcH, destW, destH; TwipsPerPixel tpp; At origins; };
  const Case cases[] = {
      {495, 495, 495, 495, {15, 15}, {{0, 0}, {33, 0}, {0, 33}, {33, 33}}},     // a swatch: tiles on both far edges
      {495, 495, 495, 495, {12, 12}, {{0, 0}, {41, 0}, {0, 41}, {41, 41}}},     // 120 dpi: 495 div 12, truncated
      {150, 150, 150, 300, {10, 15}, {{0, 0}, {15, 0}, {0, 10}, {15, 10}, {0, 20}, {15, 20}}},
      {487.5f, 502.5f, 0, 0, {15, 15}, {{0, 0}}},                               // 488 / 15 and 502 / 15
      // 200 % and 175 %: a 10-pixel tile over 25 pixels, sized in twips that
      // are no whole number a pixel
      {75, 75, 187.5f, 187.5f, {7.5f, 7.5f}, {{0, 0}, {10, 0}, {20, 0}, {0, 10}, {10, 10}, {20, 10}, {0, 20}, {10, 20}, {20, 20}}},
      {10 * 1440 / 168.0f, 10 * 1440 / 168.0f, 25 * 1440 / 168.0f, 25 * 1440 / 168.0f, {1440 / 168.0f, 1440 / 168.0f},
       {{0, 0}, {10, 0}, {20, 0}, {0, 10}, {10, 10}, {20, 10}, {0, 20}, {10, 20}, {20, 20}}},
      {45, 45, 7, 100, {15, 15}, {{0, 0}, {0, 3}, {0, 6}}},                     // under a pixel wide: one column
      {45, 45, -15, 100, {15, 15}, {}},
      {14, 495, 495, 495, {15, 15}, {}},                                        // tile under a pixel: nothing
      {0, 0, 495, 495, {15, 15}, {}},
  };
  const std::uint32_t first = Stored(RGB(1, 2, 3)), rest = Stored(RGB(9, 9, 9)), untouched = 0;
  DibSurface tile(50, 50);
  ASSERT_TRUE(tile);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) tile.Set(x, y, x || y ? rest : first);
  for (const Case& c : cases) {
    DibSurface dest(90, 90);
    ASSERT_TRUE(dest);
    TileImage(SystemGdi(), dest.handle(), TwipsBox(tile, c.srcW, c.srcH), c.destW, c.destH, c.tpp);
    At origins;
    for (int y = 0; y < 90; ++y)
      for (int x = 0; x < 90; ++x)
        if (dest.Get(x, y) == first) origins.emplace_back(x, y);
    std::sort(origins.begin(), origins.end(), [](auto a, auto b) { return std::pair(a.second, a.first) <
                                                                          std::pair(b.second, b.first); });
    EXPECT_EQ(origins, c.origins) << c.srcW << " x " << c.srcH << " over " << c.destW << " x " << c.destH;
    if (c.srcW == 487.5f) {  // one tile of exactly 32 x 33 pixels
      EXPECT_EQ(dest.Get(31, 32), rest);
      EXPECT_EQ(dest.Get(32, 0), untouched);
      EXPECT_EQ(dest.Get(0, 33), untouched);
    }
  }
}

// GDI takes 16-bit sizes: a tile of 32,767 pixels is drawn, one more fails
// before anything is drawn; so does a size no integer holds.
TEST(TilingUnderWine, TheSixteenBitLimitHoldsAtItsEdge) {
  DibSurface dest(4, 4);
  for (const int wide : {32767, 32768}) {
    DibSurface tile(wide, 1);
    ASSERT_TRUE(tile && dest);
    tile.Set(0, 0, Stored(RGB(5, 6, 7)));
    dest.Set(0, 0, 0);
    const int failure = FailureNumber(
        [&] { TileImage(SystemGdi(), dest.handle(), TwipsBox(tile, wide * 15.0f, 15), 15, 15, {15, 15}); });
    EXPECT_EQ(failure, wide == 32767 ? 0 : kOverflow) << wide;
    EXPECT_EQ(dest.Get(0, 0), wide == 32767 ? Stored(RGB(5, 6, 7)) : 0u) << wide;
  }
  DibSurface tile(2, 2);
  EXPECT_EQ(FailureNumber([&] { TileImage(SystemGdi(), dest.handle(), TwipsBox(tile, 30, 30), 3e9f, 30, {15, 15}); }),
            kOverflow);
  EXPECT_EQ(FailureNumber([&] { TileImage(SystemGdi(), dest.handle(), TwipsBox(tile, 30, 30), 30, 30, {0, 15}); }),
            11);
}

// Passes every call to gdi32 and keeps each context and bitmap it returned,
// so a test can see them gone: GetGuiResources is a stub under Wine.
class HandleKeepingGdi final : public render::Gdi {
 public:
  std::vector<std::uintptr_t> created;
  int refused = 0;
  int refuseCreation = 0, refuseSelection = 0;  // the n-th is refused, as a full GDI heap would
  int creations = 0, selections = 0;

  bool BitBlt(DcHandle d, int x, int y, int w, int h, DcHandle s, int sx, int sy, std::uint32_t rop) override {
    return real_.BitBlt(d, x, y, w, h, s, sx, sy, rop);
  }
  int GetDeviceCaps(DcHandle dc, int index) override { return real_.GetDeviceCaps(dc, index); }
  int SetBkMode(DcHandle dc, int mode) override { return real_.SetBkMode(dc, mode); }
  render::Colour SetBkColor(DcHandle dc, render::Colour c) override { return real_.SetBkColor(dc, c); }
  DcHandle CreateCompatibleDC(DcHandle dc) override { return Keep(real_.CreateCompatibleDC(dc)); }
  render::GdiObject CreateBitmap(int w, int h, std::uint32_t planes, std::uint32_t bpp,
                                 const void* bits) override {
    return Keep(real_.CreateBitmap(w, h, planes, bpp, bits));
  }
  render::GdiObject CreateCompatibleBitmap(DcHandle dc, int w, int h) override {
    return Keep(real_.CreateCompatibleBitmap(dc, w, h));
  }
  render::GdiObject SelectObject(DcHandle dc, render::GdiObject o) override {
    if (++selections == refuseSelection) return 0;
    return real_.SelectObject(dc, o);
  }
  bool DeleteObject(render::GdiObject o) override { return real_.DeleteObject(o); }
  bool DeleteDC(DcHandle dc) override { return real_.DeleteDC(dc); }

  int StillAlive() const {
    int alive = 0;
    for (std::uintptr_t h : created) alive += GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0;
    return alive;
  }

 private:
  std::uintptr_t Keep(std::uintptr_t h) {
    if (++creations == refuseCreation && h) {
      GetObjectType(reinterpret_cast<HGDIOBJ>(h)) == OBJ_MEMDC ? real_.DeleteDC(h) : real_.DeleteObject(h);
      h = 0;
    }
    if (h) created.push_back(h);
    else ++refused;
    return h;
  }
  render::Gdi& real_ = SystemGdi();
};

TEST(RenderLeaksUnderWine, ThousandRedrawsLeaveNoObjectBehind) {
  DibSurface tile(33, 33), swatch(33, 33), preview(330, 168), mockup(332, 172);
  ASSERT_TRUE(tile && swatch && preview && mockup);
  const DWORD gdiObjectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  int created = 0;
  for (int i = 0; i < 1000; ++i) {
    HandleKeepingGdi gdi;
    TileImage(gdi, swatch.handle(), SurfaceBox(tile), 495, 495, {15, 15});
    TileImage(gdi, preview.handle(), SurfaceBox(tile), 4950, 2520, {15, 15});
    TransparentBlit(gdi, preview.handle(), 0, 0, 330, 168, mockup.handle(), 0, 0, kKey);
    render::KeptOverlay(gdi, preview.handle(), 330, 168, mockup.handle(), 0, 0, kKey).Draw(preview.handle(), 0, 0);
    // Checked at once, before a later object could take a freed handle's value.
    ASSERT_EQ(gdi.StillAlive(), 0) << "redraw " << i;
    created += static_cast<int>(gdi.created.size());
  }
  EXPECT_GT(created, 0) << "the redraws went round the counting GDI, so nothing was checked";
  // Only Windows counts; Wine's GetGuiResources answers 0.
  if (gdiObjectsBefore != 0) {
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjectsBefore);
  }
}

// Whichever creation or selection GDI refuses, the copy draws nothing and
// leaves no object and no changed colour behind.
TEST(RenderLeaksUnderWine, AnyRefusalDrawsNothingAndReleasesTheRest) {
  DibSurface src(8, 8), dest(8, 8);
  ASSERT_TRUE(src && dest);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      src.Set(x, y, Stored(PatternColour(x, y, 1)));
      dest.Set(x, y, Stored(RGB(200, 100, 50)));
    }
  SetBkColor(src.dc(), RGB(9, 8, 7));
  SetBkColor(dest.dc(), RGB(1, 2, 3));
  const auto before = dest.Pixels();
  for (int n = 1; n <= 24; ++n) {  // the copy, then an overlay kept, made and dropped
    const int step = (n - 1) % 12 + 1;
    HandleKeepingGdi gdi;
    (step <= 8 ? gdi.refuseCreation : gdi.refuseSelection) = step <= 8 ? step : step - 8;
    if (n <= 12)
      TransparentBlit(gdi, dest.handle(), 0, 0, 8, 8, src.handle(), 0, 0, kKey);
    else
      render::KeptOverlay(gdi, dest.handle(), 8, 8, src.handle(), 0, 0, kKey).Draw(dest.handle(), 0, 0);
    EXPECT_EQ(gdi.StillAlive(), 0) << n;
    EXPECT_EQ(dest.Pixels(), before) << n;
    EXPECT_EQ(GetBkColor(src.dc()), RGB(9, 8, 7)) << n;
    EXPECT_EQ(GetBkColor(dest.dc()), RGB(1, 2, 3)) << n;
  }
}

}  // namespace
}  // namespace velmora
