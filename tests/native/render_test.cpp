#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/recording_gdi.h"
#include "platform/failure.h"
#include "render/kept_overlay.h"
#include "render/round_to_int32.h"
#include "render/scale_nearest.h"
#include "render/tile_image.h"
#include "render/transparent_blit.h"

namespace velmora {
namespace {

using fakes::BlitCall;
using fakes::RecordingGdi;
using render::RoundToInt32;
using render::TileImage;
using render::TransparentBlit;

constexpr DcHandle kDest = 0xD000;
constexpr DcHandle kSrc = 0x5000;
constexpr std::uint32_t kKey = 0xCC33FF;  // RGB(255, 51, 204)

int FailureNumber(const std::function<void()>& run) {
  try {
    run();
  } catch (const Failure& failure) {
    return failure.number();
  }
  return 0;
}

TEST(RoundToInt32, TiesGoToTheEvenNeighbour) {
  const std::pair<double, int> cases[] = {
      {2.5, 2},     {3.5, 4},     {0.5, 0},     {1.5, 2},       {-0.5, 0},
      {-2.5, -2},   {-3.5, -4},   {487.5, 488}, {502.5, 502},   {2.4999, 2},
      {2.5001, 3},  {-2.5001, -3}, {495, 495},  {14.99, 15},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundToInt32(value), expected) << value;
}

TEST(RoundToInt32, OverflowsOnlyPastThe32BitRange) {
  EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483647 - 1);  // the tie goes to the even end
  for (double outside : {2147483647.5, 2147483648.0, -2147483648.6, 1e300,
                         std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN()})
    EXPECT_EQ(FailureNumber([&] { RoundToInt32(outside); }), kOverflow) << outside;
}

// A picture box whose context handle changes at each read, so a copy shows
// which read it used.
class CountingSurface final : public PictureSurface {
 public:
  CountingSurface(float width, float height) : width_(width), height_(height) {}
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  DcHandle hdc() const override { return kSrc + ++reads; }
  mutable int reads = 0;

 private:
  float width_, height_;
};

class Tiling : public ::testing::Test {
 protected:
  // Where the copies landed, in order, after checking what every copy shares.
  std::vector<std::pair<int, int>> Tile(float srcW, float srcH, float destW, float destH,
                                        TwipsPerPixel tpp = {}) {
    CountingSurface source(srcW, srcH);
    TileImage(gdi, kDest, source, destW, destH, tpp);
    std::vector<std::pair<int, int>> at;
    for (const BlitCall& b : gdi.blits()) {
      EXPECT_EQ(std::make_tuple(b.dest, b.srcX, b.srcY, b.rop),
                std::make_tuple(kDest, 0, 0, render::kSrcCopy));
      at.emplace_back(b.x, b.y);
    }
    return at;
  }
  using At = std::vector<std::pair<int, int>>;
  RecordingGdi gdi;
};

TEST_F(Tiling, WholeTilesReachTheFarEdges) {
  // A 495-twip swatch: tiles at 0 and 33 both ways, three of them wholly clipped.
  EXPECT_EQ(Tile(495, 495, 495, 495), (At{{0, 0}, {33, 0}, {0, 33}, {33, 33}}));
  EXPECT_EQ(gdi.blits().back().width, 33);
  EXPECT_EQ(gdi.blits().back().height, 33);
}

TEST_F(Tiling, RowsOutsideColumnsInside) {
  // 2 x 1-pixel tiles over 4 x 2 pixels: three columns per row, three rows.
  EXPECT_EQ(Tile(30, 15, 60, 30),
            (At{{0, 0}, {2, 0}, {4, 0}, {0, 1}, {2, 1}, {4, 1}, {0, 2}, {2, 2}, {4, 2}}));
}

TEST_F(Tiling, SizesFollowTheScreensTwipsPerPixel) {
  EXPECT_EQ(Tile(495, 495, 495, 495, {12, 12}), (At{{0, 0}, {41, 0}, {0, 41}, {41, 41}}));
  EXPECT_EQ(gdi.blits().front().width, 41);  // 495 div 12, truncated
  gdi = RecordingGdi();
  EXPECT_EQ(Tile(150, 150, 150, 300, {10, 15}), (At{{0, 0}, {15, 0}, {0, 10}, {15, 10}, {0, 20}, {15, 20}}));
}

TEST_F(Tiling, HalfTwipSizesRoundToEven) {
  Tile(487.5f, 502.5f, 0, 0);  // 488 div 15 and 502 div 15
  ASSERT_EQ(gdi.blits().size(), 1u);
  EXPECT_EQ(gdi.blits()[0].width, 32);
  EXPECT_EQ(gdi.blits()[0].height, 33);
}

TEST_F(Tiling, SmallEmptyAndNegativeDestinations) {
  EXPECT_EQ(Tile(495, 495, 300, 200), (At{{0, 0}}));  // smaller than a tile: clipped by the surface
  gdi = RecordingGdi();
  EXPECT_EQ(Tile(45, 45, 7, 100), (At{{0, 0}, {0, 3}, {0, 6}}));  // W = 0: one column
  gdi = RecordingGdi();
  EXPECT_EQ(Tile(45, 45, 100, 0), (At{{0, 0}, {3, 0}, {6, 0}}));  // H = 0: one row
  gdi = RecordingGdi();
  EXPECT_EQ(Tile(45, 45, -15, 100), At{});
  EXPECT_EQ(Tile(45, 45, 100, -15), At{});
}

TEST_F(Tiling, SourceLessThanAPixelDrawsNothingAndReturns) {
  EXPECT_EQ(Tile(14, 495, 495, 495), At{});  // 14 div 15 = 0: the loop would never advance
  EXPECT_EQ(Tile(495, 7.4f, 495, 495), At{});
  EXPECT_EQ(Tile(0, 0, 495, 495), At{});
  EXPECT_EQ(Tile(-495, 495, 495, 495), At{});
}

TEST_F(Tiling, SourceContextIsReadBeforeEveryCopy) {
  CountingSurface source(30, 30);
  TileImage(gdi, kDest, source, 75, 45, {});  // columns 0, 2, 4; rows 0, 2
  ASSERT_EQ(gdi.blits().size(), 6u);
  EXPECT_EQ(source.reads, 6);
  for (std::size_t i = 0; i < gdi.blits().size(); ++i) EXPECT_EQ(gdi.blits()[i].src, kSrc + 1 + i);
}

TEST_F(Tiling, SixteenBitLimitFailsBeforeTheCopy) {
  EXPECT_EQ(Tile(32767 * 15, 15, 15, 0), (At{{0, 0}}));
  EXPECT_EQ(gdi.blits()[0].width, 32767);

  for (auto [w, h] : {std::pair{32768.f * 15, 15.f}, {15.f, 32768.f * 15}}) {
    RecordingGdi fresh;
    CountingSurface source(w, h);
    EXPECT_EQ(FailureNumber([&] { TileImage(fresh, kDest, source, 15, 15, {}); }), kOverflow);
    EXPECT_TRUE(fresh.blits().empty());
  }

  // A position past the limit fails at its own copy; the earlier tiles stay.
  RecordingGdi fresh;
  CountingSurface wide(20000 * 15, 15);
  EXPECT_EQ(FailureNumber([&] { TileImage(fresh, kDest, wide, 40000 * 15, 0, {}); }), kOverflow);
  ASSERT_EQ(fresh.blits().size(), 2u);
  EXPECT_EQ(fresh.blits()[1].x, 20000);
}

TEST_F(Tiling, UnconvertibleSizesFail) {
  CountingSurface source(495, 495);
  EXPECT_EQ(FailureNumber([&] { TileImage(gdi, kDest, source, 3e9f, 495, {}); }), kOverflow);
  EXPECT_EQ(FailureNumber([&] { TileImage(gdi, kDest, source, 495, 495, {0.4f, 15}); }), 11);
  EXPECT_TRUE(gdi.blits().empty());
}

class ColourKeyCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    gdi.Prepare(kDest, "dest", 0x123456, 1);
    gdi.Prepare(kSrc, "src", 0x654321, 2);
  }
  void Copy(int width = 7, int height = 5) {
    TransparentBlit(gdi, kDest, 10, 20, width, height, kSrc, 3, 4, kKey);
  }
  // The same copy through an overlay made, drawn once and dropped.
  void KeptCopy(int width = 7, int height = 5) {
    render::KeptOverlay(gdi, kDest, width, height, kSrc, 3, 4, kKey).Draw(kDest, 10, 20);
  }
  // Whatever happened, nothing is left behind and nothing was misused.
  void ExpectCleanedUp() {
    EXPECT_EQ(gdi.LiveObjects(), 0);
    EXPECT_EQ(gdi.SelectionsNotPutBack(), 0);
    EXPECT_EQ(gdi.Misuses(), 0);
    EXPECT_EQ(gdi.BkColour(kDest), 0x123456u);
    EXPECT_EQ(gdi.BkMode(kDest), 1);
    EXPECT_EQ(gdi.BkColour(kSrc), 0x654321u);
  }
  RecordingGdi gdi;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

TEST_F(ColourKeyCopy, DeviceMethodKeysTheColourOnTheDestination) {
  gdi.caps1 = render::kC1Transparent;
  Copy();
  // The mode and key must hold during the copy and be undone after, colour first.
  EXPECT_EQ(Joined(gdi.trace()), R"(GetDeviceCaps(dest, 94)
SetBkMode(dest, 3)
SetBkColor(dest, CC33FF)
BitBlt(dest, 10, 20, 7, 5, src, 3, 4, SRCCOPY)
SetBkColor(dest, 123456)
SetBkMode(dest, 1)
)");
  ExpectCleanedUp();
}

TEST_F(ColourKeyCopy, MaskMethodRunsInItsOrder) {
  gdi.NameCreated({"colourDC", "maskDC", "inverseDC", "workDC", "mask", "inverse", "work", "colour"});
  Copy();
  // Blits: the key as mask, its inverse, background under the mask, source
  // under the inverse, the two joined, the result out. The source's key
  // background is undone before any further copy.
  EXPECT_EQ(Joined(gdi.trace()), R"(GetDeviceCaps(dest, 94)
CreateCompatibleDC(dest) -> colourDC
CreateCompatibleDC(dest) -> maskDC
CreateCompatibleDC(dest) -> inverseDC
CreateCompatibleDC(dest) -> workDC
CreateBitmap(7, 5, 1, 1, null) -> mask
CreateBitmap(7, 5, 1, 1, null) -> inverse
CreateCompatibleBitmap(dest, 7, 5) -> work
CreateCompatibleBitmap(dest, 7, 5) -> colour
SelectObject(colourDC, colour)
SelectObject(maskDC, mask)
SelectObject(inverseDC, inverse)
SelectObject(workDC, work)
SetBkColor(src, CC33FF)
BitBlt(maskDC, 0, 0, 7, 5, src, 3, 4, SRCCOPY)
SetBkColor(src, 654321)
BitBlt(inverseDC, 0, 0, 7, 5, maskDC, 0, 0, NOTSRCCOPY)
BitBlt(workDC, 0, 0, 7, 5, dest, 10, 20, SRCCOPY)
BitBlt(workDC, 0, 0, 7, 5, maskDC, 0, 0, SRCAND)
BitBlt(colourDC, 0, 0, 7, 5, src, 3, 4, SRCCOPY)
BitBlt(colourDC, 0, 0, 7, 5, inverseDC, 0, 0, SRCAND)
BitBlt(workDC, 0, 0, 7, 5, colourDC, 0, 0, SRCINVERT)
BitBlt(dest, 10, 20, 7, 5, workDC, 0, 0, SRCCOPY)
SelectObject(colourDC, stock)
SelectObject(workDC, stock)
SelectObject(maskDC, stock)
SelectObject(inverseDC, stock)
DeleteObject(colour)
DeleteObject(mask)
DeleteObject(inverse)
DeleteObject(work)
DeleteDC(colourDC)
DeleteDC(inverseDC)
DeleteDC(maskDC)
DeleteDC(workDC)
)");
  ExpectCleanedUp();
}

TEST_F(ColourKeyCopy, RefusedCreationDrawsNothingAndLeaksNothing) {
  for (bool kept : {false, true}) {
    for (int n = 1; n <= 8; ++n) {
      SCOPED_TRACE("creation " + std::to_string(n) + " refused" + (kept ? ", kept overlay" : ""));
      gdi = RecordingGdi();
      SetUp();
      gdi.failCreationAt = n;
      kept ? KeptCopy() : Copy();
      EXPECT_GE(gdi.creations(), n);
      EXPECT_EQ(gdi.BlitsOnto(kDest), 0);
      ExpectCleanedUp();
    }
  }
}

TEST_F(ColourKeyCopy, RefusedSelectionDrawsNothingAndLeaksNothing) {
  for (bool kept : {false, true}) {
    for (int n = 1; n <= 4; ++n) {
      SCOPED_TRACE("selection " + std::to_string(n) + " refused" + (kept ? ", kept overlay" : ""));
      gdi = RecordingGdi();
      SetUp();
      gdi.failSelectionAt = n;
      kept ? KeptCopy() : Copy();
      EXPECT_EQ(gdi.BlitsOnto(kDest), 0);
      ExpectCleanedUp();
    }
  }
}

TEST_F(ColourKeyCopy, EmptyRectangleDrawsNothing) {
  for (int caps : {0, render::kC1Transparent}) {
    for (auto [w, h] : {std::pair{0, 5}, {7, 0}, {0, 0}, {-1, 5}, {7, -2}}) {
      SCOPED_TRACE(std::to_string(caps) + ": " + std::to_string(w) + " x " + std::to_string(h));
      gdi = RecordingGdi();
      SetUp();
      gdi.caps1 = caps;
      Copy(w, h);
      KeptCopy(w, h);
      EXPECT_TRUE(gdi.blits().empty());
      EXPECT_EQ(gdi.creations(), 0);
      ExpectCleanedUp();
    }
  }
}

// The mock-ups grow with the screen's density: a key pixel must stay the
// key, and no colour may appear that the source does not have.
TEST(ScaleNearest, CopiesWholePixelsAtEveryDensity) {
  constexpr int kW = 5, kH = 3;
  std::vector<std::uint32_t> source(kW * kH);
  for (int i = 0; i < kW * kH; ++i) source[i] = i % 2 ? kKey : 0x00010203u * static_cast<unsigned>(i + 1);
  const auto scaled = [&](int w, int h) {
    std::vector<std::uint32_t> target(w * h, 0xDEADBEEF);
    render::ScaleNearest(reinterpret_cast<const std::uint8_t*>(source.data()), kW, kH, kW * 4,
                         reinterpret_cast<std::uint8_t*>(target.data()), w, h, static_cast<std::size_t>(w) * 4);
    return target;
  };
  EXPECT_EQ(scaled(kW, kH), source);
  // Doubling (192 dpi) gives each source pixel a 2 x 2 block.
  const std::vector<std::uint32_t> doubled = scaled(10, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(doubled[y * 10 + x], source[(y / 2) * kW + x / 2]) << x << "," << y;
  // 1.5 times (144 dpi): columns 0 0 1 2 2 3 4 4 -- whole pixels, never a blend.
  const std::vector<std::uint32_t> wider = scaled(8, 3);
  const int columns[] = {0, 0, 1, 2, 2, 3, 4, 4};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(wider[x], source[columns[x]]) << x;
}

}  // namespace
}  // namespace velmora
