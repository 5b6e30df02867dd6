#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// The three toolbar mock-ups as committed in resources/. The preview lets the
// wallpaper through wherever a mock-up pixel is exactly the key colour, so
// these tests pin down where that colour may and must be, and that no
// near-miss of it hides anywhere else.

namespace velmora {
namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "RGB(" << c.r << ", " << c.g << ", " << c.b << ")";
}

constexpr Rgb kKey{255, 51, 204};
constexpr Rgb kFace{212, 208, 200};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kShadow{128, 128, 128};
constexpr Rgb kCaptionDark{10, 36, 106};
constexpr int kWidth = 332;
constexpr int kRight = kWidth - 1;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // top row first
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

std::uint32_t Le(const std::string& bytes, size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

// Accepts only the layout the resource compiler is given: a file header, a
// 40-byte info header, 24 bits a pixel, BI_RGB, rows bottom-up padded to 4 bytes.
// Answers what is wrong, or the empty text.
std::string ReadBmp(const std::string& bytes, Picture& out) {
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return "not a BMP file";
  if (Le(bytes, 2, 4) != bytes.size()) return "bfSize is not the file's size";
  const std::uint32_t offset = Le(bytes, 10, 4);
  const auto width = static_cast<std::int32_t>(Le(bytes, 18, 4));
  const auto height = static_cast<std::int32_t>(Le(bytes, 22, 4));
  if (Le(bytes, 14, 4) != 40) return "info header is not a BITMAPINFOHEADER";
  if (width <= 0 || height <= 0) return "not a bottom-up picture with a positive size";
  if (Le(bytes, 26, 2) != 1 || Le(bytes, 28, 2) != 24) return "not 24 bits a pixel";
  if (Le(bytes, 30, 4) != 0) return "compressed (not BI_RGB)";
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset < 54 || offset + stride * height > bytes.size()) return "pixel rows cut short";
  const std::uint32_t image_size = Le(bytes, 34, 4);
  if (image_size != 0 && image_size != stride * height) return "biSizeImage disagrees";
  out.width = width;
  out.height = height;
  out.pixels.clear();
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const size_t p = row + 3 * static_cast<size_t>(x);
      out.pixels.push_back({static_cast<unsigned char>(bytes[p + 2]),
                            static_cast<unsigned char>(bytes[p + 1]),
                            static_cast<unsigned char>(bytes[p])});
    }
  }
  return {};
}

struct Band {
  int top, bottom;  // rows, both included
  int key_right;    // last column that may show the wallpaper
};

struct Mockup {
  Mockup(const char* f, int h, std::vector<Band> b, double share)
      : file(f), height(h), bands(std::move(b)), key_share(share) {}
  const char* file;
  int height;
  std::vector<Band> bands;
  double key_share;
  Picture picture;    // as read from resources/
  std::string error;  // why it could not be read
};

bool KeyAllowed(const Mockup& m, int x, int y) {
  for (const Band& b : m.bands)
    if (y >= b.top && y <= b.bottom && x >= 6 && x <= b.key_right) return true;
  return false;
}

class MockupImages : public ::testing::Test {
 protected:
  static std::vector<Mockup>& All() {
    static std::vector<Mockup> all = [] {
      std::vector<Mockup> m = {
          {"mockup_ie.bmp", 172, {{25, 46, kRight}, {49, 70, kRight}, {73, 94, 57}}, 0.23},
          {"mockup_oe.bmp", 174, {{25, 46, kRight}, {49, 88, kRight}}, 0.32},
          {"mockup_explorer.bmp", 172, {{25, 46, kRight}, {49, 70, kRight}, {73, 94, 57}}, 0.23},
      };
      for (Mockup& each : m) {
        std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/resources/" + each.file,
                         std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        each.error = in ? ReadBmp(bytes, each.picture) : "cannot be read";
      }
      return m;
    }();
    return all;
  }

  // The pictures that loaded; each failed one is reported once per test.
  static std::vector<const Mockup*> Loaded() {
    std::vector<const Mockup*> ok;
    for (const Mockup& m : All()) {
      if (m.error.empty()) ok.push_back(&m);
      else ADD_FAILURE() << m.file << ": " << m.error;
    }
    return ok;
  }

  // Counts the failures of a row or column check instead of reporting each pixel.
  static void ExpectRun(const Picture& p, int x0, int y0, int x1, int y1, Rgb want,
                        const char* what) {
    int wrong = 0, first_x = -1, first_y = -1;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (!(p.At(x, y) == want) && wrong++ == 0) first_x = x, first_y = y;
    EXPECT_EQ(wrong, 0) << what << ": first wrong pixel (" << first_x << ", " << first_y
                        << ") is " << (wrong ? p.At(first_x, first_y) : want)
                        << ", expected " << want;
  }
};

TEST_F(MockupImages, AreUncompressed24BitPicturesOfTheirDesignSize) {
  for (const Mockup& m : All()) {
    SCOPED_TRACE(m.file);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.picture.width, kWidth);
    EXPECT_EQ(m.picture.height, m.height);
  }
}

TEST_F(MockupImages, WindowBorderAndTitleBarAreTheClassicOnes) {
  for (const Mockup* m : Loaded()) {
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    // Raised outer border: the second ring in is white, the rest light grey.
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (x < 4 || y < 4) {
          const Rgb want = (x == 1 && y >= 1) || (y == 1 && x >= 1) ? kWhite : kFace;
          ASSERT_EQ(p.At(x, y), want) << "border pixel (" << x << ", " << y << ")";
        }
    ExpectRun(p, 4, 4, 4, 21, kCaptionDark, "left end of the title bar");
    // Row 4 holds no icon or text: the gradient alone, brightening to the right.
    for (int x = 5; x < p.width; ++x) {
      const Rgb a = p.At(x - 1, 4), b = p.At(x, 4);
      ASSERT_TRUE(b.r >= a.r && b.g >= a.g && b.b >= a.b) << "gradient darkens at column " << x;
    }
    EXPECT_GT(p.At(kRight, 4).b - kCaptionDark.b, 40) << "title bar never gets lighter";
    int icon = 0, title = 0;
    for (int y = 5; y <= 20; ++y)
      for (int x = 6; x <= 21; ++x) icon += !(p.At(x, y) == p.At(x, 4));
    for (int y = 5; y <= 20; ++y)
      for (int x = 24; x < p.width; ++x) title += p.At(x, y) == kWhite;
    EXPECT_GT(icon, 60) << "no program icon at the left of the title bar";
    EXPECT_GT(title, 100) << "no white title text";
    ExpectRun(p, 4, 22, kRight, 22, kFace, "row 22");
    ExpectRun(p, 4, 23, kRight, 23, kShadow, "row 23, top of the sunken toolbar area");
    ExpectRun(p, 4, 24, 4, 24, kShadow, "row 24, column 4");
    ExpectRun(p, 5, 24, kRight, 24, kWhite, "row 24");
  }
}

TEST_F(MockupImages, BandsHaveSunkenLeftEdgeGripperAndEtchedLineBelow) {
  for (const Mockup* m : Loaded()) {
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    for (const Band& b : m->bands) {
      SCOPED_TRACE("band from row " + std::to_string(b.top));
      ExpectRun(p, 4, b.top, 4, b.bottom, kShadow, "column 4");
      ExpectRun(p, 5, b.top, 5, b.bottom, kWhite, "column 5");
      ExpectRun(p, 8, b.top + 2, 8, b.bottom - 2, kWhite, "gripper, column 8");
      ExpectRun(p, 9, b.top + 2, 9, b.bottom - 2, kFace, "gripper, column 9");
      ExpectRun(p, 10, b.top + 2, 10, b.bottom - 2, kShadow, "gripper, column 10");
      // Between bands an etched line; after the last, the toolbar area's bottom edge.
      ExpectRun(p, 6, b.bottom + 1, kRight, b.bottom + 1, kShadow, "dark row below the band");
      ExpectRun(p, 6, b.bottom + 2, kRight, b.bottom + 2, kWhite, "white row below the band");
    }
  }
}

TEST_F(MockupImages, KeyColourAppearsOnlyInsideTheBands) {
  for (const Mockup* m : Loaded()) {
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    int stray = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (p.At(x, y) == kKey && !KeyAllowed(*m, x, y) && stray++ < 5)
          ADD_FAILURE() << "key colour outside the bands at (" << x << ", " << y << ")";
    EXPECT_EQ(stray, 0);
  }
}

TEST_F(MockupImages, BandBackgroundsAreKeyColourAroundWhatIsDrawn) {
  for (const Mockup* m : Loaded()) {
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    for (const Band& b : m->bands) {
      SCOPED_TRACE("band from row " + std::to_string(b.top));
      // Nothing is drawn left of the gripper or in the two margin rows at
      // either end, out to the band's last key column.
      ExpectRun(p, 6, b.top, 7, b.bottom, kKey, "columns 6 and 7");
      for (int y : {b.top, b.top + 1, b.bottom - 1, b.bottom})
        ExpectRun(p, 6, y, b.key_right, y, kKey, "margin row");
      int key = 0, drawn = 0, edge = 0;
      for (int y = b.top; y <= b.bottom; ++y) {
        edge += p.At(b.key_right, y) == kKey;
        for (int x = 11; x <= b.key_right; ++x) (p.At(x, y) == kKey ? key : drawn)++;
      }
      EXPECT_GE(2 * edge, b.bottom - b.top + 1) << "last key column mostly covered";
      EXPECT_GT(key, 2 * drawn) << "the band's background is not mostly key colour";
      EXPECT_GT(drawn, 50) << "the band shows no texts or icons";
    }
  }
}

TEST_F(MockupImages, AddressBoxIsOpaqueAndWhite) {
  for (const Mockup* m : Loaded()) {
    const Band& last = m->bands.back();
    if (last.key_right == kRight) continue;  // a picture without an address band
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    int white = 0, field = 0;
    for (int y = last.top + 2; y <= last.bottom - 2; ++y)
      for (int x = last.key_right + 3; x <= kRight; ++x, ++field) white += p.At(x, y) == kWhite;
    EXPECT_GT(white * 10, field * 8) << "the address field is not mostly white";
  }
}

TEST_F(MockupImages, NoPixelIsMerelyCloseToTheKeyColour) {
  for (const Mockup* m : Loaded()) {
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    int near_misses = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const Rgb c = p.At(x, y);
        const bool close = std::abs(c.r - kKey.r) <= 40 && std::abs(c.g - kKey.g) <= 40 &&
                           std::abs(c.b - kKey.b) <= 40;
        if (close && !(c == kKey) && near_misses++ < 5)
          ADD_FAILURE() << "(" << x << ", " << y << ") is " << c << ", nearly the key colour";
      }
    EXPECT_EQ(near_misses, 0);
  }
}

TEST_F(MockupImages, KeyShareIsNearTheDescribedOne) {
  for (const Mockup* m : Loaded()) {
    SCOPED_TRACE(m->file);
    const Picture& p = m->picture;
    int key = 0;
    for (const Rgb& c : p.pixels) key += c == kKey;
    const double share = static_cast<double>(key) / static_cast<double>(p.pixels.size());
    std::printf("%s: key share %.1f %% (described: about %.0f %%)\n", m->file, 100 * share,
                100 * m->key_share);
    EXPECT_NEAR(share, m->key_share, 0.03);
  }
}

}  // namespace
}  // namespace velmora
