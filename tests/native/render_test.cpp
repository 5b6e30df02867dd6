#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "shared/failure_number.h"
#include "render/kept_overlay.h"
#include "render/round_to_int32.h"
#include "render/scale_nearest.h"
#include "render/transparent_blit.h"

namespace velmora {
namespace {

using render::RoundToInt32;

constexpr std::uint32_t kKey = 0xCC33FF;  // RGB(255, 51, 204)

using testing_support::FailureNumber;

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

// Keeps every context's background mode and colour as gdi32 does, and says
// whether the destination keys colours itself, which no context under Wine does.
class BackgroundKeepingGdi final : public render::Gdi {
 public:
  struct Background {
    int mode = 2;                    // OPAQUE, a fresh context's
    render::Colour colour = 0xFFFFFF;
    bool operator==(const Background&) const = default;
  };
  std::map<DcHandle, Background> dcs;
  int caps = 0;
  std::vector<Background> copiedWith;  // the destination's, at each copy into it
  DcHandle dest = 0;

  bool BitBlt(DcHandle d, int, int, int, int, DcHandle, int, int, std::uint32_t) override {
    if (d == dest) copiedWith.push_back(dcs[d]);
    return true;
  }
  int GetDeviceCaps(DcHandle, int index) override { return index == render::kCaps1 ? caps : 0; }
  int SetBkMode(DcHandle dc, int mode) override { return std::exchange(dcs[dc].mode, mode); }
  render::Colour SetBkColor(DcHandle dc, render::Colour c) override { return std::exchange(dcs[dc].colour, c); }
  DcHandle CreateCompatibleDC(DcHandle) override { return Next(); }
  render::GdiObject CreateBitmap(int, int, std::uint32_t, std::uint32_t, const void*) override { return Next(); }
  render::GdiObject CreateCompatibleBitmap(DcHandle, int, int) override { return Next(); }
  render::GdiObject SelectObject(DcHandle, render::GdiObject) override { return 1; }
  bool DeleteObject(render::GdiObject) override { return true; }
  bool DeleteDC(DcHandle) override { return true; }

 private:
  std::uintptr_t Next() { return next_++; }
  std::uintptr_t next_ = 100;
};

// Whether the device keys the colour or the mask method does, the copy leaves
// both contexts' background mode and colour as it found them.
TEST(ColourKeyCopy, BothContextsKeepTheirBackground) {
  const DcHandle src = 1, dest = 2;
  const BackgroundKeepingGdi::Background srcBefore{1, 0x070809}, destBefore{1, 0x040506};  // TRANSPARENT
  for (int caps : {0, render::kC1Transparent}) {
    SCOPED_TRACE(caps);
    BackgroundKeepingGdi gdi;
    gdi.caps = caps;
    gdi.dest = dest;
    gdi.dcs = {{src, srcBefore}, {dest, destBefore}};
    render::TransparentBlit(gdi, dest, 0, 0, 8, 8, src, 0, 0, kKey);
    render::KeptOverlay(gdi, dest, 8, 8, src, 0, 0, kKey).Draw(dest, 0, 0);
    EXPECT_EQ(gdi.dcs[src], srcBefore);
    EXPECT_EQ(gdi.dcs[dest], destBefore);
    ASSERT_FALSE(gdi.copiedWith.empty());
    if (caps) {  // the device keys out the background colour in its own mode
      EXPECT_EQ(gdi.copiedWith.front(), (BackgroundKeepingGdi::Background{render::kNewTransparent, kKey}));
    }
  }
}

}  // namespace
}  // namespace velmora
