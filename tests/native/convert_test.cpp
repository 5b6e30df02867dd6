#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/file_names.h"
#include "convert/bmp_writer.h"
#include "convert/picture_header.h"
#include "shared/picture_bytes.h"

namespace velmora::convert {
namespace {

using namespace testing_support;

void Be16(Bytes& b, std::uint32_t v) { b.push_back((v >> 8) & 0xFF); b.push_back(v & 0xFF); }
void Be32(Bytes& b, std::uint32_t v) { Be16(b, v >> 16); Be16(b, v & 0xFFFF); }

// A BMP with all the pixel bytes its header asks for, unless told otherwise.
Bytes Bmp(std::uint32_t info_size, std::int32_t width, std::int32_t height, std::uint16_t bits = 24,
          std::uint32_t compression = 0, std::int64_t pixel_bytes = -1) {
  if (pixel_bytes < 0 && width < 0) pixel_bytes = 0;
  if (pixel_bytes < 0) {
    const std::uint64_t h = height < 0 ? -std::int64_t(height) : height;
    pixel_bytes = (std::uint64_t(width) * bits + 31) / 32 * 4 * h;
  }
  Bytes b = BmpHeaders(info_size, width, height, bits, compression, static_cast<std::uint32_t>(pixel_bytes));
  b.resize(b.size() + pixel_bytes, 0x5A);
  return b;
}

// Four colours of global table: the header walk reads only their count.
Gif GifBuilder(std::uint32_t w, std::uint32_t h, bool global_table = true) {
  return Gif(w, h, std::vector<Rgb>(global_table ? 4 : 0));
}

// A JPEG's markers up to its frame header, with room for what comes before it.
Bytes Jpeg(std::uint32_t w, std::uint32_t h, std::uint8_t sof = 0xC0, const Bytes& before = {}) {
  Bytes b = {0xFF, 0xD8};
  b.push_back(0xFF); b.push_back(0xE0); Be16(b, 16); Append(b, "JFIF"); b.resize(b.size() + 10, 0);
  b.insert(b.end(), before.begin(), before.end());
  b.push_back(0xFF); b.push_back(sof); Be16(b, 8 + 3 * 3);
  b.push_back(8); Be16(b, h); Be16(b, w); b.push_back(3);
  for (int c = 1; c <= 3; ++c) { b.push_back(c); b.push_back(c == 1 ? 0x22 : 0x11); b.push_back(0); }
  b.push_back(0xFF); b.push_back(0xDA); Be16(b, 12); b.resize(b.size() + 10, 0);
  b.resize(b.size() + 500, 0x55);
  b.push_back(0xFF); b.push_back(0xD9);
  return b;
}
Bytes Segment(std::uint8_t marker, std::size_t payload, std::uint8_t fill = 0) {
  Bytes b = {0xFF, marker};
  Be16(b, static_cast<std::uint32_t>(payload + 2));
  b.resize(b.size() + payload, fill);
  return b;
}

Bytes Png(std::uint32_t w, std::uint32_t h, std::string_view first_chunk = "IHDR") {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Be32(b, 13);
  Append(b, first_chunk);
  Be32(b, w);
  Be32(b, h);
  b.insert(b.end(), {8, 6, 0, 0, 0});
  Be32(b, 0);  // CRC, not checked
  return b;
}

Bytes Cut(Bytes b, std::size_t n) { b.resize(n); return b; }

::testing::AssertionResult AcceptedAs(const Inspection& i, PictureFormat f, std::uint32_t w,
                                      std::uint32_t h) {
  if (!i.accepted())
    return ::testing::AssertionFailure() << "refused: " << std::string(i.reason.begin(), i.reason.end());
  if (i.header.format != f || i.header.width != w || i.header.height != h)
    return ::testing::AssertionFailure() << "read " << i.header.width << " x " << i.header.height;
  return ::testing::AssertionSuccess();
}

TEST(PictureHeaders, BmpSizesFromEveryHeaderVersion) {
  for (std::uint32_t info : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
    SCOPED_TRACE(info);
    const Inspection i = InspectPicture(Bmp(info, 7, 5));
    EXPECT_TRUE(AcceptedAs(i, PictureFormat::Bmp, 7, 5));
    EXPECT_FALSE(i.header.top_down);
    EXPECT_EQ(i.header.first_frame, (FrameRect{0, 0, 7, 5}));
  }
  const Inspection top_down = InspectPicture(Bmp(40, 3, -4));
  EXPECT_TRUE(AcceptedAs(top_down, PictureFormat::Bmp, 3, 4));
  EXPECT_TRUE(top_down.header.top_down);
  // The core header's sizes are unsigned 16-bit: 40000 is not negative there.
  EXPECT_TRUE(AcceptedAs(InspectPicture(Bmp(12, 40000, 1, 1)), PictureFormat::Bmp, 40000, 1));
}

TEST(PictureHeaders, BmpThatContradictsItselfIsRefused) {
  EXPECT_EQ(InspectPicture(Bmp(40, -3, 4)).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Bmp(40, 3, INT32_MIN, 24, 1, 0)).verdict, Verdict::Damaged);
  for (std::uint32_t info : {13u, 15u, 65u, 200u}) {  // just outside the sizes of known headers
    Bytes b = BmpHeaders(info, 3, 4, 24);
    b.resize(b.size() + 48, 0);  // zeros, which would not read as another number of bits
    EXPECT_EQ(InspectPicture(b).verdict, Verdict::Damaged) << info;
  }
  EXPECT_EQ(InspectPicture(Bmp(40, 3, 4, 7)).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Bmp(40, 0, 4)).verdict, Verdict::NoPixels);
  EXPECT_EQ(InspectPicture(Bmp(40, 4, 0)).verdict, Verdict::NoPixels);
}

TEST(PictureHeaders, BmpShorterThanItsPixelsIsRefusedBeforeDecoding) {
  // The 54-byte file claiming 30000 x 30000 that the decoder spent 12 s on.
  EXPECT_EQ(InspectPicture(Bmp(40, 30000, 30000, 24, 0, 0)).verdict, Verdict::TooLarge);
  // Allowed size, missing pixels: the decoder would allocate before noticing.
  const Inspection cut = InspectPicture(Bmp(40, 5000, 5000, 24, 0, 100));
  EXPECT_EQ(cut.verdict, Verdict::Truncated);
  EXPECT_EQ(cut.reason, L"The BMP picture is incomplete: the file ends before all of its pixels.");
  EXPECT_EQ(InspectPicture(Bmp(40, 5, 3, 24, 0, 3 * 16 - 1)).verdict, Verdict::Truncated);
  EXPECT_TRUE(InspectPicture(Bmp(40, 5, 3, 24, 0, 3 * 16)).accepted());  // rows of 15 + 1 padding
  EXPECT_TRUE(InspectPicture(Bmp(40, 5, 3, 1, 0, 3 * 4)).accepted());
  // Run-length data have no length to check; the decoder reads them as it goes.
  EXPECT_TRUE(InspectPicture(Bmp(40, 500, 500, 8, 1, 10)).accepted());
}

TEST(PictureHeaders, GifScreenAndFirstImageAfterExtensions) {
  const Bytes gif = GifBuilder(40, 30)
                        .Comment(std::string(600, 'c'), 200)  // several sub-blocks
                        .Transparency(2)
                        .Placeholder(5, 6, 20, 10, 300, /*local_table=*/true)
                        .Transparency(1)
                        .Placeholder(0, 0, 40, 30)
                        .End();
  const Inspection i = InspectPicture(gif);
  ASSERT_TRUE(AcceptedAs(i, PictureFormat::Gif, 40, 30));
  EXPECT_EQ(i.header.first_frame, (FrameRect{5, 6, 20, 10}));
  // Without a global table, and a first image lying partly off the screen.
  const Inspection off = InspectPicture(GifBuilder(10, 10, false).Placeholder(8, 9, 4, 4, 300, true).End());
  ASSERT_TRUE(AcceptedAs(off, PictureFormat::Gif, 10, 10));
  EXPECT_EQ(off.header.first_frame, (FrameRect{8, 9, 4, 4}));
}

TEST(PictureHeaders, GifEndsAndBreaks) {
  const Bytes whole = GifBuilder(16, 16).Comment("hello").Placeholder(0, 0, 16, 16).End();
  // WIC takes the end of the file for a trailer once an image is complete.
  EXPECT_TRUE(InspectPicture(Cut(whole, whole.size() - 1)).accepted());
  EXPECT_EQ(InspectPicture(Cut(whole, whole.size() - 2)).verdict, Verdict::Truncated);  // in the data
  EXPECT_EQ(InspectPicture(Cut(whole, 13 + 12 + 4)).reason,
            L"The GIF picture is incomplete: the file ends inside its header.");  // in the comment
  EXPECT_EQ(InspectPicture(Cut(whole, 10)).verdict, Verdict::Truncated);
  EXPECT_EQ(InspectPicture(GifBuilder(16, 16).End()).verdict, Verdict::Damaged);  // no image
  Bytes junk = GifBuilder(16, 16).bytes;
  junk.push_back(0x99);
  EXPECT_EQ(InspectPicture(junk).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(GifBuilder(0, 16).Placeholder(0, 0, 1, 1).End()).verdict, Verdict::NoPixels);
  EXPECT_EQ(InspectPicture(GifBuilder(16, 16).Placeholder(0, 0, 0, 5).End()).verdict, Verdict::NoPixels);
}

TEST(PictureHeaders, GifAnimationsAreBoundedByAllTheirImages) {
  Gif big = GifBuilder(8192, 8192);  // 64 Mi pixels: allowed once, kept per image by the decoder
  for (int n = 0; n < 4; ++n) big.Placeholder(0, 0, 8192, 8192, 1);
  EXPECT_TRUE(InspectPicture(big.bytes).accepted());
  big.Placeholder(0, 0, 1, 1, 1);
  const Inspection five = InspectPicture(big.End());
  EXPECT_EQ(five.verdict, Verdict::TooLarge);
  EXPECT_NE(five.reason.find(L"268,435,456"), std::wstring::npos);

  Gif many = GifBuilder(2, 2);
  for (int n = 0; n < 10000; ++n) many.Placeholder(0, 0, 1, 1, 1);
  const Inspection most = InspectPicture(many.bytes);
  EXPECT_TRUE(most.accepted());
  many.Placeholder(0, 0, 1, 1, 1);
  EXPECT_EQ(InspectPicture(many.End()).verdict, Verdict::TooLarge);
}

TEST(PictureHeaders, JpegSizeFromTheFirstFrameHeader) {
  EXPECT_TRUE(AcceptedAs(InspectPicture(Jpeg(640, 480)), PictureFormat::Jpeg, 640, 480));
  EXPECT_TRUE(AcceptedAs(InspectPicture(Jpeg(300, 200, 0xC2)), PictureFormat::Jpeg, 300, 200));
  // Tables whose bytes would read as a size, a 60 KB EXIF block, fill bytes,
  // a restart marker and stray bytes between segments all come before it.
  Bytes before = Segment(0xC4, 30, 0x7F);  // DHT: a C-range marker that is not a frame
  Bytes exif = Segment(0xE1, 60000, 0xC0);
  before.insert(before.end(), exif.begin(), exif.end());
  before.insert(before.end(), {0xFF, 0xFF, 0xFF, 0xD3, 0x12, 0x34});
  Bytes dqt = Segment(0xDB, 65, 1);
  before.insert(before.end(), dqt.begin(), dqt.end());
  EXPECT_TRUE(AcceptedAs(InspectPicture(Jpeg(1, 65535, 0xC1, before)), PictureFormat::Jpeg, 1, 65535));
}

TEST(PictureHeaders, JpegWithoutAUsableFrameHeaderIsRefused) {
  const Bytes sos_first = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(InspectPicture(sos_first).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Bytes{0xFF, 0xD8, 0xFF, 0xD9}).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Bytes{0xFF, 0xD8, 0xFF, 0xD8}).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}).verdict, Verdict::Damaged);
  // A segment's length counts its own two bytes: 2 is empty, not impossible.
  EXPECT_TRUE(InspectPicture(Jpeg(100, 100, 0xC0, Segment(0xE2, 0))).accepted());
  Bytes short_frame = Jpeg(100, 100);  // three components need 17 bytes; it says 16
  short_frame[20 + 3] = 16;            // after the start and the 18-byte JFIF segment
  EXPECT_EQ(InspectPicture(short_frame).verdict, Verdict::Damaged);
  // Height 0 means "given later" (DNL), which the decoder does not support.
  EXPECT_EQ(InspectPicture(Jpeg(100, 0)).verdict, Verdict::NoPixels);
  const Bytes whole = Jpeg(100, 100, 0xC0, Segment(0xE1, 2000));
  EXPECT_EQ(InspectPicture(Cut(whole, 1000)).reason,
            L"The JPEG picture is incomplete: the file ends before it gives the picture's size.");
  // The 689-byte file claiming 20000 x 20000 that took the decoder 1.1 GiB.
  EXPECT_EQ(InspectPicture(Jpeg(20000, 20000)).verdict, Verdict::TooLarge);
}

TEST(PictureHeaders, PngSizeFromItsHeaderChunk) {
  EXPECT_TRUE(AcceptedAs(InspectPicture(Png(33, 17)), PictureFormat::Png, 33, 17));
  EXPECT_EQ(InspectPicture(Png(33, 17, "IDAT")).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Png(0, 17)).verdict, Verdict::NoPixels);
  EXPECT_EQ(InspectPicture(Png(0x80000000u, 1)).verdict, Verdict::Damaged);
  EXPECT_EQ(InspectPicture(Cut(Png(33, 17), 30)).verdict, Verdict::Truncated);
}

TEST(PictureHeaders, OtherFilesAreNotPictures) {
  const Inspection empty = InspectPicture(Bytes{});
  EXPECT_EQ(empty.verdict, Verdict::NotAPicture);
  EXPECT_EQ(empty.reason, L"The file is empty.");
  const Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  const Bytes gif90 = {'G', 'I', 'F', '9', '0', 'a', 1, 0, 1, 0, 0, 0, 0};
  for (const Bytes& b : {tiff, text, gif90}) {
    const Inspection i = InspectPicture(b);
    EXPECT_EQ(i.verdict, Verdict::NotAPicture);
    EXPECT_EQ(i.reason.rfind(L"The file is not a picture that Velmora can read.", 0), 0u);
  }
  // The start of a signature, cut short, is an incomplete picture.
  EXPECT_EQ(InspectPicture(Bytes{'G', 'I', 'F', '8'}).verdict, Verdict::Truncated);
  EXPECT_EQ(InspectPicture(Bytes{'B', 'M'}).verdict, Verdict::Truncated);
  EXPECT_EQ(InspectPicture(Bytes{0xFF, 0xD8}).verdict, Verdict::Truncated);
}

// Memory that reads as a disk failing at `bad`: the bytes before it come back,
// none from there on, though the file is longer.
class FailingSource final : public ByteSource {
 public:
  FailingSource(const Bytes& bytes, std::uint64_t bad) : bytes_(bytes), bad_(bad) {}
  std::uint64_t Size() const override { return bytes_.Size(); }
  std::size_t ReadAt(std::uint64_t at, std::uint8_t* out, std::size_t count) override {
    return at >= bad_ ? 0 : bytes_.ReadAt(at, out, static_cast<std::size_t>(std::min<std::uint64_t>(count, bad_ - at)));
  }

 private:
  MemorySource bytes_;
  std::uint64_t bad_;
};

TEST(PictureHeaders, AReadThatFailsIsNotTakenForAShortFile) {
  // Each up to the bytes its size is read from; a GIF's walk reads to its end.
  const Bytes gif = GifBuilder(16, 16).Comment("hello").Placeholder(0, 0, 16, 16).Placeholder(2, 2, 4, 4).End();
  const Bytes jpeg = Jpeg(640, 480, 0xC0, Segment(0xE1, 100));
  const std::pair<Bytes, std::size_t> cases[] = {{gif, gif.size()}, {Bmp(40, 5, 3), 14 + 16}, {jpeg, 20 + 104 + 10}};
  for (const auto& [bytes, read] : cases)
    for (std::size_t bad = 0; bad < read; ++bad) {
      FailingSource source(bytes, bad);
      const Inspection i = InspectPicture(source);
      ASSERT_EQ(i.verdict, Verdict::Unreadable) << FormatName(i.header.format) << " failing at " << bad;
      EXPECT_EQ(i.reason, L"The file could not be read.");
    }
}

TEST(PictureHeaders, DecodedSizeLimitIs256MiBAt32Bits) {
  EXPECT_TRUE(InspectPicture(Jpeg(8192, 8192)).accepted());
  EXPECT_EQ(InspectPicture(Jpeg(8192, 8193)).verdict, Verdict::TooLarge);
  EXPECT_TRUE(InspectPicture(Jpeg(65535, 1024)).accepted());  // 67,107,840 pixels
  EXPECT_EQ(InspectPicture(Jpeg(65535, 1025)).verdict, Verdict::TooLarge);
  EXPECT_EQ(InspectPicture(Jpeg(41605, 1613)).verdict, Verdict::TooLarge);  // 67,108,865: one pixel past
  EXPECT_TRUE(InspectPicture(Bmp(40, 16384, 4096, 8, 1, 0)).accepted());
  EXPECT_EQ(InspectPicture(Bmp(40, 16384, 4097, 8, 1, 0)).verdict, Verdict::TooLarge);
  // A BMP side near 2^31 must not wrap the product into an allowed size.
  EXPECT_EQ(InspectPicture(Bmp(40, 0x7FFFFFFF, 0x7FFFFFFF, 8, 1, 0)).verdict, Verdict::TooLarge);
  const Inspection huge = InspectPicture(Jpeg(65500, 65500));
  EXPECT_EQ(huge.reason.rfind(L"The picture is too large: 65500 x 65500 pixels.", 0), 0u);
}

struct SmallPicture {
  std::uint32_t width, height;
  Bytes pixels;  // top-down
  SmallPicture(std::uint32_t w, std::uint32_t h) : width(w), height(h), pixels(std::size_t(w) * h * 4) {
    for (std::uint32_t y = 0; y < h; ++y)
      for (std::uint32_t x = 0; x < w; ++x) {
        std::uint8_t* p = &pixels[(std::size_t(y) * w + x) * 4];
        p[0] = static_cast<std::uint8_t>(10 * x + 1);  // blue
        p[1] = static_cast<std::uint8_t>(20 * y + 2);  // green
        p[2] = static_cast<std::uint8_t>(x + y + 3);   // red
        p[3] = 0xEE;                                    // never written
      }
  }
  RowSource Rows() const {
    return [this](std::uint32_t y) { return pixels.data() + std::size_t(y) * width * 4; };
  }
  // The file written from the same pixels held as a 24-bit picture holds
  // them: one block of bottom-up rows of 3 bytes a pixel, padded to 4 bytes
  // with zeros, or with other bytes that must not reach the file.
  Bytes FromBlock(bool dirtyPadding) const {
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t{3};
    Bytes block(stride * height, dirtyPadding ? 0xDD : 0), file;
    for (std::size_t i = 0, y = 0; y < height; ++y)
      for (std::size_t x = 0; x < width; ++x, ++i)
        std::memcpy(&block[(height - 1 - y) * stride + 3 * x], &pixels[4 * i], 3);
    const auto result = WriteBmp24Block(width, height, block.data(), [&](const std::uint8_t* d, std::size_t n) {
      file.insert(file.end(), d, d + n);
      return true;
    });
    return result == BmpWrite::Written ? file : Bytes();
  }
};

TEST(BmpWriter, HeadersRowsAndPaddingForEveryRowLength) {
  for (std::uint32_t width : {1u, 2u, 3u, 4u, 5u, 7u}) {
    SCOPED_TRACE(width);
    const SmallPicture pic(width, 3);
    Bytes file;
    ASSERT_EQ(WriteBmp24(width, 3, pic.Rows(),
                         [&](const std::uint8_t* d, std::size_t n) {
                           file.insert(file.end(), d, d + n);
                           return true;
                         }),
              BmpWrite::Written);
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    ASSERT_EQ(file.size(), 54 + stride * 3);
    Bytes header;  // BITMAPFILEHEADER, then a BITMAPINFOHEADER of 24 bits bottom-up, BI_RGB, 72 dpi
    Append(header, "BM");
    for (std::uint32_t v : {std::uint32_t(file.size()), 0u, 54u, 40u, width, 3u}) Le32(header, v);
    Le16(header, 1);
    Le16(header, 24);
    for (std::uint32_t v : {0u, stride * 3, 2835u, 2835u, 0u, 0u}) Le32(header, v);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), header);
    for (std::uint32_t row = 0; row < 3; ++row) {
      const std::uint32_t y = 2 - row;  // the file's first row is the picture's last
      const std::uint8_t* r = &file[54 + row * stride];
      for (std::uint32_t x = 0; x < width; ++x) {
        EXPECT_EQ(r[3 * x + 0], 10 * x + 1) << "blue at " << x << "," << y;
        EXPECT_EQ(r[3 * x + 1], 20 * y + 2) << "green at " << x << "," << y;
        EXPECT_EQ(r[3 * x + 2], x + y + 3) << "red at " << x << "," << y;
      }
      for (std::uint32_t pad = width * 3; pad < stride; ++pad) EXPECT_EQ(r[pad], 0) << "padding";
    }
    EXPECT_EQ(pic.FromBlock(false), file) << "from a block of rows";
    EXPECT_EQ(pic.FromBlock(true), file) << "from a block of rows whose padding is not zero";
  }
}

TEST(BmpWriter, RowsWiderThanOneWriteAreSplitWithoutLoss) {
  // 100,001 pixels make a row of 300,003 bytes, past the writer's buffer, and
  // not a multiple of 3 within it.
  const SmallPicture pic(100001, 2);
  Bytes file;
  std::size_t writes = 0;
  ASSERT_EQ(WriteBmp24(pic.width, 2, pic.Rows(),
                       [&](const std::uint8_t* d, std::size_t n) {
                         ++writes;
                         file.insert(file.end(), d, d + n);
                         return true;
                       }),
            BmpWrite::Written);
  const std::size_t stride = 300004;
  ASSERT_EQ(file.size(), 54 + 2 * stride);
  EXPECT_GT(writes, 2u);
  for (std::uint32_t x : {0u, 87380u, 87381u, 87382u, 100000u}) {
    const std::uint8_t* p = &file[54 + stride + 3 * std::size_t(x)];  // second row in file = y 0
    EXPECT_EQ(p[0], static_cast<std::uint8_t>(10 * x + 1)) << x;
    EXPECT_EQ(p[1], 2) << x;
    EXPECT_EQ(p[2], static_cast<std::uint8_t>(x + 3)) << x;
  }
  EXPECT_EQ(file[54 + stride - 1], 0);
  EXPECT_EQ(pic.FromBlock(true), file) << "from a block of rows whose padding is not zero";
}

TEST(BmpWriter, RefusesEmptyAndOversizedPicturesBeforeAnyOutput) {
  EXPECT_EQ(Bmp24FileSize(1, 1), 58u);
  EXPECT_FALSE(Bmp24FileSize(0, 5));
  EXPECT_FALSE(Bmp24FileSize(5, 0));
  EXPECT_FALSE(Bmp24FileSize(0x80000000ull, 1));
  // One pixel a row takes 4 bytes: the largest height whose file fits 32 bits.
  EXPECT_EQ(Bmp24FileSize(1, 1073741810), 4294967294u);
  EXPECT_FALSE(Bmp24FileSize(1, 1073741811));
  EXPECT_FALSE(Bmp24FileSize(65536, 65536));
  int calls = 0;
  const RowSource rows = [&](std::uint32_t) -> const std::uint8_t* { ++calls; return nullptr; };
  const ByteSink sink = [&](const std::uint8_t*, std::size_t) { ++calls; return true; };
  EXPECT_EQ(WriteBmp24(0, 10, rows, sink), BmpWrite::NoPixels);
  EXPECT_EQ(WriteBmp24(10, 0, rows, sink), BmpWrite::NoPixels);
  EXPECT_EQ(WriteBmp24(70000, 70000, rows, sink), BmpWrite::TooLarge);
  EXPECT_EQ(calls, 0);
}

TEST(BmpWriter, StopsAtTheFirstFailedWrite) {
  const SmallPicture pic(2000, 300);  // about 1.8 MB: several writes
  int writes = 0;
  EXPECT_EQ(WriteBmp24(pic.width, pic.height, pic.Rows(),
                       [&](const std::uint8_t*, std::size_t) { return ++writes < 2; }),
            BmpWrite::SinkFailed);
  EXPECT_EQ(writes, 2);
}

TEST(BmpNames, BmpIsAppendedUnlessTheNameEndsInExactlyDotBmp) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"picture", L"picture.bmp"},
      {L"picture.bmp", L"picture.bmp"},
      {L"picture.jpg", L"picture.jpg.bmp"},
      {L"picture.BMP", L"picture.BMP.bmp"},
      {L"picture.Bmp", L"picture.Bmp.bmp"},
      {L"C:\\My Pictures\\b\u00E4r.bmp", L"C:\\My Pictures\\b\u00E4r.bmp"},
      {L"C:\\dir.bmp\\picture", L"C:\\dir.bmp\\picture.bmp"},
      {L".bmp", L".bmp"},
      {L"bmp", L"bmp.bmp"},   // shorter than four: compared whole
      {L"", L".bmp"},
      {L"a.bmp ", L"a.bmp .bmp"},
  };
  for (const auto& [typed, saved] : cases) EXPECT_EQ(WithBmpExtension(typed), saved);
}

TEST(ShellNames, GifAndJpegInAnyCaseGoToTheConverter) {
  for (const wchar_t* name : {L"a.gif", L"C:\\My Pictures\\b.JPG", L"c.Jpeg", L".jpg"})
    EXPECT_TRUE(HasGifOrJpegExtension(name)) << name;
  for (const wchar_t* name : {L"a.bmp", L"a.png", L"a.jpe", L"a.gif ", L"gif", L"a.jpeg.txt", L""})
    EXPECT_FALSE(HasGifOrJpegExtension(name)) << name;
}

TEST(DeviceName, ReservedNamesInAnyFolderWithAnyExtension) {
  for (const wchar_t* device : {L"CON", L"nul", L"C:\\windows\\NUL.bmp", L"COM1", L"lpt9.txt", L"C:\\a\\aux .bmp",
                                L"CONOUT$", L"C:prn"})
    EXPECT_TRUE(IsDeviceName(device)) << device;
  for (const wchar_t* file : {L"C:\\CON\\a.bmp", L"console.bmp", L"COM0", L"COM10", L"LPT", L"nul_.bmp",
                              L"C:\\x\\null.bmp", L""})
    EXPECT_FALSE(IsDeviceName(file)) << file;
}

}  // namespace
}  // namespace velmora::convert
