// The loader and saver against the real WIC, GDI+ and file system under
// Wine. The pictures are made here: BMP and GIF by the small encoders below,
// JPEG and PNG by WIC's encoders, or by GDI+'s where WIC is missing.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "convert/picture_decoder_win.h"
#include "convert/picture_loader_win.h"
#include "convert/save_bmp_win.h"
#include "shared/picture_bytes.h"
#include "platform/handles_win.h"

namespace velmora::convert {
namespace {

using Microsoft::WRL::ComPtr;
using namespace testing_support;

// The loader keeps its WIC factory for the thread's life, so COM stays up for
// the whole run rather than per test.
class ComForTheRun : public ::testing::Environment {
 public:
  void SetUp() override { com_ = std::make_unique<ComApartment>(); ASSERT_TRUE(com_->ok()); }
  void TearDown() override { com_.reset(); }

 private:
  std::unique_ptr<ComApartment> com_;
};
[[maybe_unused]] const auto* const kCom = ::testing::AddGlobalTestEnvironment(new ComForTheRun);

constexpr Rgb kWhite{255, 255, 255};

Rgb PixelAt(const Picture& p, int x, int y) {
  const std::uint8_t* q = p.row(y) + p.bytesPerPixel() * x;
  return {q[2], q[1], q[0]};
}

// A BMP as Paint would write it: 24 bits bottom-up, or 32 bits top-down.
Bytes EncodeBmp(int w, int h, const std::vector<Rgb>& px, bool top_down_32 = false) {
  const int bpp = top_down_32 ? 32 : 24;
  const int stride = (w * bpp / 8 + 3) / 4 * 4;
  Bytes b = BmpHeaders(40, w, top_down_32 ? -h : h, static_cast<std::uint16_t>(bpp), 0, stride * h);
  for (int row = 0; row < h; ++row) {
    const int y = top_down_32 ? row : h - 1 - row;
    const std::size_t start = b.size();
    for (int x = 0; x < w; ++x) {
      const Rgb c = px[y * w + x];
      b.insert(b.end(), {c.b, c.g, c.r});
      if (top_down_32) b.push_back(0);
    }
    b.resize(start + stride, 0);
  }
  return b;
}

// A picture from one of WIC's own encoders, for the cases that need a real
// JPEG, or a PNG with partial transparency; empty where WIC is missing.
Bytes EncodeWithWic(const GUID& container, const WICPixelFormatGUID& wanted, int w, int h,
                    const Bytes& pixels) {
  ComPtr<IWICImagingFactory> wic;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(wic->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
      FAILED(frame->SetSize(w, h)))
    return {};
  WICPixelFormatGUID format = wanted;
  if (FAILED(frame->SetPixelFormat(&format)) || format != wanted) return {};
  const UINT stride = static_cast<UINT>(pixels.size() / h);
  if (FAILED(frame->WritePixels(h, stride, static_cast<UINT>(pixels.size()), const_cast<BYTE*>(pixels.data()))) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()))
    return {};
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  Bytes out(static_cast<std::size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER zero{};
  ULONG got = 0;
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  stream->Read(out.data(), static_cast<ULONG>(out.size()), &got);
  out.resize(got);
  return out;
}

// The same through GDI+'s encoders, for Windows XP without WIC, where the
// test program runs too.
Bytes EncodeWithGdiPlus(const wchar_t* mime, Gdiplus::PixelFormat format, int w, int h, const Bytes& pixels) {
  namespace flat = Gdiplus::DllExports;
  static const bool started = [] {
    ULONG_PTR token = 0;
    const Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  UINT count = 0, size = 0;
  if (!started || flat::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return {};
  std::vector<BYTE> table(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(table.data());
  if (flat::GdipGetImageEncoders(count, size, encoders) != Gdiplus::Ok) return {};
  const Gdiplus::ImageCodecInfo* chosen = std::find_if(
      encoders, encoders + count, [&](const Gdiplus::ImageCodecInfo& e) { return std::wcscmp(e.MimeType, mime) == 0; });
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (chosen == encoders + count ||
      flat::GdipCreateBitmapFromScan0(w, h, static_cast<INT>(pixels.size() / h), format,
                                      const_cast<BYTE*>(pixels.data()), &bitmap) != Gdiplus::Ok)
    return {};
  wchar_t folder[MAX_PATH], file[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"vel", 0, file);
  const bool saved = flat::GdipSaveImageToFile(bitmap, file, &chosen->Clsid, nullptr) == Gdiplus::Ok;
  flat::GdipDisposeImage(bitmap);
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  Bytes out = saved ? Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()) : Bytes();
  in.close();
  DeleteFileW(file);
  return out;
}

// B, G, R rows as a JPEG; B, G, R, A rows (straight alpha) as a PNG.
Bytes EncodeJpegRows(int w, int h, const Bytes& bgr) {
  Bytes out = EncodeWithWic(GUID_ContainerFormatJpeg, GUID_WICPixelFormat24bppBGR, w, h, bgr);
  return out.empty() ? EncodeWithGdiPlus(L"image/jpeg", PixelFormat24bppRGB, w, h, bgr) : out;
}
Bytes EncodePng(int w, int h, const Bytes& bgra) {
  Bytes out = EncodeWithWic(GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, w, h, bgra);
  return out.empty() ? EncodeWithGdiPlus(L"image/png", PixelFormat32bppARGB, w, h, bgra) : out;
}

Bytes EncodeJpeg(int w, int h, const std::vector<Rgb>& px) {
  Bytes bgr;
  for (const Rgb& c : px) bgr.insert(bgr.end(), {c.b, c.g, c.r});
  return EncodeJpegRows(w, h, bgr);
}

std::size_t FindMarker(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  return std::string::npos;
}

// A fresh folder under the prefix's temp folder, with a non-ASCII name, gone
// with everything in it after the test.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int n = 0;
    dir_ = (std::filesystem::temp_directory_path() /
            (L"velmora-conv\u00E9rt-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++n)))
               .wstring();
    ASSERT_TRUE(std::filesystem::create_directory(dir_));
  }
  void TearDown() override {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_))
      SetFileAttributesW(entry.path().c_str(), entry.is_directory() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(dir_);
  }

  std::wstring Path(const std::wstring& name) const { return dir_ + L"\\" + name; }

  std::wstring Write(const std::wstring& name, const Bytes& bytes) const {
    std::ofstream(std::filesystem::path(Path(name)), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }

  static Bytes Read(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename());
    return names;
  }

  std::wstring dir_;
};

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
  return s;
}

// A few distinct colours, so a swapped channel or shifted row shows.
std::vector<Rgb> Pattern(int w, int h) {
  std::vector<Rgb> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px.push_back({static_cast<std::uint8_t>(30 * x + 7), static_cast<std::uint8_t>(50 * y + 11),
                    static_cast<std::uint8_t>(200 - 9 * x - 13 * y)});
  return px;
}

void ExpectPixels(const Picture& p, int w, int h, const std::vector<Rgb>& want) {
  ASSERT_TRUE(p);
  ASSERT_EQ(p.width(), w);
  ASSERT_EQ(p.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      ASSERT_EQ(PixelAt(p, x, y), want[y * w + x]) << "at " << x << "," << y;
      ASSERT_EQ(p.row(y)[4 * x + 3], 0) << "fourth byte at " << x << "," << y;
    }
}

// The same pictures, good and hostile, through each decoder: WIC, and GDI+
// as on Windows XP, which has no WIC. Both must give the same pixels and the
// same refusals.
class EachDecoder : public TempFolderTest, public ::testing::WithParamInterface<Decoder> {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    // Windows XP has WIC only when it was installed separately.
    if (GetParam() == Decoder::Wic && !WicDecoder()) GTEST_SKIP() << "this Windows has no WIC";
  }
  LoadOutcome Load(const std::wstring& path, int bitsPerPixel = 32) const {
    return LoadPictureFile(path, bitsPerPixel, GetParam());
  }
  LoadOutcome LoadBoth(const std::wstring& path) const;
};

std::string DecoderName(const ::testing::TestParamInfo<Decoder>& info) {
  return info.param == Decoder::Wic ? "Wic" : "GdiPlus";
}

using PictureLoading = EachDecoder;
INSTANTIATE_TEST_SUITE_P(Decoders, PictureLoading, ::testing::Values(Decoder::Wic, Decoder::GdiPlus), DecoderName);

// Loads at 32 bits a pixel, and at 24 as the converter does: both must hold
// the same pixels (each route has a way of its own to the 24-bit rows).
LoadOutcome EachDecoder::LoadBoth(const std::wstring& path) const {
  LoadOutcome full = Load(path);
  const LoadOutcome packed = Load(path, 24);
  EXPECT_EQ(packed.error, full.error);
  [&] {
    if (!full.picture) return;
    ASSERT_EQ(packed.picture.bytesPerPixel(), 3);
    ASSERT_EQ(packed.picture.width(), full.picture.width());
    ASSERT_EQ(packed.picture.height(), full.picture.height());
    for (int y = 0; y < full.picture.height(); ++y)
      for (int x = 0; x < full.picture.width(); ++x)
        ASSERT_EQ(PixelAt(packed.picture, x, y), PixelAt(full.picture, x, y)) << "24 bits at " << x << "," << y;
  }();
  return full;
}

TEST_P(PictureLoading, BmpRowsInEitherOrderComeOutExactly) {
  for (auto [w, h] : {std::pair{5, 3}, {1, 1}, {4, 2}, {7, 4}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const std::vector<Rgb> px = Pattern(w, h);
    ExpectPixels(LoadBoth(Write(L"up.bmp", EncodeBmp(w, h, px))).picture, w, h, px);
    ExpectPixels(LoadBoth(Write(L"down.bmp", EncodeBmp(w, h, px, true))).picture, w, h, px);
  }
}

const std::vector<Rgb> kPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}, {250, 240, 5}};

std::vector<std::uint8_t> Indices(int w, int h) {
  std::vector<std::uint8_t> idx;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) idx.push_back(static_cast<std::uint8_t>((x + 2 * y) % kPalette.size()));
  return idx;
}

std::vector<Rgb> Colours(const std::vector<std::uint8_t>& idx, const std::vector<Rgb>& table) {
  std::vector<Rgb> px;
  for (std::uint8_t i : idx) px.push_back(table[i]);
  return px;
}

TEST_P(PictureLoading, GifPixelsComeOutExactly) {
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced ? "interlaced" : "progressive rows");
    const int w = 7, h = 19;  // every interlace pass has rows
    const Bytes gif = Gif(w, h, kPalette).Image(0, 0, w, h, Indices(w, h), {}, interlaced).End();
    const LoadOutcome out = LoadBoth(Write(L"p.gif", gif));
    ASSERT_EQ(out.error, L"");
    ExpectPixels(out.picture, w, h, Colours(Indices(w, h), kPalette));
  }
}

TEST_P(PictureLoading, GifFirstImageSitsAtItsOffsetOnAWhiteScreen) {
  // A 4 x 3 first image at (3, 2) on a 10 x 8 screen, with a local table and a
  // transparent colour; a second image that must not show.
  const std::vector<std::uint8_t> first = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};
  const std::vector<Rgb> local = {{9, 8, 7}, {100, 0, 200}, {1, 2, 3}, {0, 0, 0}};
  const Bytes gif = Gif(10, 8, kPalette).Transparency(3).Image(3, 2, 4, 3, first, local)
                        .Image(0, 0, 10, 8, std::vector<std::uint8_t>(80, 0)).End();
  const LoadOutcome out = LoadBoth(Write(L"anim.gif", gif));
  ASSERT_EQ(out.error, L"");
  std::vector<Rgb> want(80, kWhite);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const std::uint8_t i = first[y * 4 + x];
      want[(2 + y) * 10 + 3 + x] = i == 3 ? kWhite : local[i];
    }
  ExpectPixels(out.picture, 10, 8, want);

  // Short of the screen in one direction only, or reaching past it, which
  // clips it: the strip it leaves is white too.
  for (auto [left, top, w, h] : {std::array{0, 0, 7, 8}, {0, 0, 10, 6}, {7, 5, 4, 4}}) {
    SCOPED_TRACE(std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(w) + "x" + std::to_string(h));
    const Bytes gif = Gif(10, 8, kPalette).Image(left, top, w, h, Indices(w, h)).End();
    const LoadOutcome part = LoadBoth(Write(L"part.gif", gif));
    ASSERT_EQ(part.error, L"");
    std::vector<Rgb> covered(80, kWhite);
    for (int y = 0; y < h && top + y < 8; ++y)
      for (int x = 0; x < w && left + x < 10; ++x) covered[(top + y) * 10 + left + x] = kPalette[Indices(w, h)[y * w + x]];
    ExpectPixels(part.picture, 10, 8, covered);
  }
}

TEST_P(PictureLoading, PartialTransparencyIsBlendedOverWhite) {
  // Straight alpha: each colour channel c at alpha a becomes
  // (c * a + 255 * (255 - a)) / 255, rounded to nearest.
  // (1 * 128 + 255 * 127) / 255 is 127.5: rounding and truncation part there.
  const Bytes bgra = {10, 20, 30, 255,  10, 20, 30, 0,  1, 1, 1, 128,  200, 100, 50, 51};
  const Bytes png = EncodePng(4, 1, bgra);
  ASSERT_FALSE(png.empty());
  const LoadOutcome out = LoadBoth(Write(L"alpha.png", png));
  ASSERT_EQ(out.error, L"");
  ExpectPixels(out.picture, 4, 1, {{30, 20, 10}, kWhite, {128, 128, 128}, {214, 224, 244}});
}

using HostilePictures = EachDecoder;
INSTANTIATE_TEST_SUITE_P(Decoders, HostilePictures, ::testing::Values(Decoder::Wic, Decoder::GdiPlus), DecoderName);

TEST_P(HostilePictures, EachFailureHasItsOwnSentence) {
  EXPECT_EQ(Load(Path(L"missing.gif")).error, L"The file does not exist.");
  EXPECT_EQ(Load(Path(L"no such folder\\x.gif")).error, L"The file does not exist.");
  EXPECT_EQ(Load(Write(L"empty.gif", {})).error, L"The file is empty.");
  EXPECT_EQ(Load(dir_).error, L"It is a folder, not a picture file.");
  // Devices answer when opened (the null device as an empty file, the
  // console not at all); none of them is a picture file.
  for (const wchar_t* device : {L"CON", L"NUL", L"COM1", L"C:\\windows\\NUL.bmp"}) {
    EXPECT_EQ(Load(device).error, L"It is a device, not a picture file.") << Narrow(device);
    EXPECT_EQ(WhyNotABmpFile(device), L"It is a device, not a picture file.") << Narrow(device);
  }
}

// The shell draws only BMP files: the header decides, not the name.
TEST_P(HostilePictures, OnlyABmpFileIsABitmapWhateverItsName) {
  const std::vector<Rgb> px = Pattern(3, 2);
  EXPECT_EQ(WhyNotABmpFile(Write(L"good.bmp", EncodeBmp(3, 2, px))), L"");
  const Bytes png = EncodePng(1, 1, {1, 2, 3, 255});
  EXPECT_EQ(WhyNotABmpFile(Write(L"fake.bmp", png)),
            L"It is a PNG picture, not a BMP file, and the toolbars show only BMP files.");
  EXPECT_EQ(WhyNotABmpFile(Path(L"gone.bmp")), L"The file does not exist.");
}

TEST_P(HostilePictures, CutAndCorruptFilesAreRefusedWithoutAPicture) {
  const Bytes gif = Gif(40, 30, kPalette).Image(0, 0, 40, 30, std::vector<std::uint8_t>(1200, 1)).End();
  const std::vector<Rgb> px = Pattern(40, 30);
  const Bytes jpeg = EncodeJpeg(40, 30, px);
  ASSERT_FALSE(jpeg.empty());
  const Bytes bmp = EncodeBmp(40, 30, px);

  struct Case { const wchar_t* name; Bytes bytes; const wchar_t* starts; };
  std::vector<Case> cases = {
      {L"cut-in-data.gif", Bytes(gif.begin(), gif.begin() + gif.size() / 2), L"The GIF picture is incomplete"},
      {L"cut-in-header.gif", Bytes(gif.begin(), gif.begin() + 20), L"The GIF picture is incomplete"},
      {L"cut-in-pixels.bmp", Bytes(bmp.begin(), bmp.begin() + bmp.size() - 1), L"The BMP picture is incomplete"},
      {L"cut-in-header.jpg", Bytes(jpeg.begin(), jpeg.begin() + FindMarker(jpeg, 0xC0) + 4),
       L"The JPEG picture is incomplete"},
      {L"cut-in-data.jpg", Bytes(jpeg.begin(), jpeg.begin() + FindMarker(jpeg, 0xDA) + 20),
       L"The JPEG picture is incomplete"},
      {L"cut-in-half.jpg", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), L"The JPEG picture is incomplete"},
  };
  Bytes bad_scan = jpeg;  // the scan names a component the frame does not have
  bad_scan[FindMarker(bad_scan, 0xDA) + 5] = 0x77;
  cases.push_back({L"bad-scan.jpg", bad_scan, L"The JPEG picture is damaged"});
  Bytes bad_gif = gif;
  bad_gif[13 + 24 + 10] = 9;  // LZW code size 9: no decoder can start
  cases.push_back({L"bad-code-size.gif", bad_gif, L"The GIF picture is damaged"});

  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    const LoadOutcome out = Load(Write(c.name, c.bytes));
    EXPECT_FALSE(out.picture);
    EXPECT_EQ(out.error.rfind(c.starts, 0), 0u) << Narrow(out.error);
  }
}

// The 54-byte file claiming 30000 x 30000, which WIC spends seconds on, is
// refused from its header before WIC sees it.
TEST_P(HostilePictures, AHugeSizeIsRefusedBeforeTheDecoderSeesIt) {
  const auto start = std::chrono::steady_clock::now();
  const LoadOutcome out = Load(Write(L"huge.bmp", BmpHeaders(40, 30000, 30000, 24)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(out.error.rfind(L"The picture is too large: 30000 x 30000 pixels.", 0), 0u) << Narrow(out.error);
}

TEST_P(HostilePictures, AFileHeldByAnotherProgramIsReported) {
  const std::wstring path = Write(L"held.bmp", EncodeBmp(2, 2, Pattern(2, 2)));
  UniqueFile holder(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  EXPECT_EQ(Load(path).error, L"Another program is using the file; close it and try again.");
}

// Takes the process's free address space, largest pieces first, and gives
// back the smallest until about `leave` bytes are free again: a 32-bit
// process on XP has 2 GiB, in pieces, so a picture the size check accepts
// may find no room to be decoded.
class AddressSpaceHog {
 public:
  explicit AddressSpaceHog(std::size_t leave) {
    blocks_.reserve(4096);  // no growth once the space is gone
    for (std::size_t size = std::size_t(1) << 30; size >= (1u << 16); size /= 2)
      while (blocks_.size() < blocks_.capacity())
        if (void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) blocks_.push_back({p, size});
        else break;
    for (std::size_t freed = 0; freed < leave && !blocks_.empty(); blocks_.pop_back()) {
      VirtualFree(blocks_.back().at, 0, MEM_RELEASE);
      freed += blocks_.back().size;
    }
  }
  ~AddressSpaceHog() {
    for (const Block& b : blocks_) VirtualFree(b.at, 0, MEM_RELEASE);
  }
  AddressSpaceHog(const AddressSpaceHog&) = delete;
  AddressSpaceHog& operator=(const AddressSpaceHog&) = delete;

 private:
  struct Block {
    void* at;
    std::size_t size;
  };
  std::vector<Block> blocks_;
};

// The largest picture the size check lets through, with 64 MiB of address
// space left: a clear refusal, no picture, and the next picture loads.
TEST_P(HostilePictures, APictureThatFindsNoMemoryIsTooLargeToOpenNow) {
  // A 64-bit process has 128 TiB to take, and Wine spends about 1.3 s on
  // each TiB reserved (measured), so only the 32-bit program meets this.
  if (sizeof(void*) == 8) GTEST_SKIP() << "needs a 32-bit process";
  const std::wstring largest = Write(L"largest.gif", Gif(8192, 8192, kPalette).Placeholder(0, 0, 8192, 8192).End());
  const std::wstring small = Write(L"small.bmp", EncodeBmp(3, 2, Pattern(3, 2)));
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    LoadOutcome out;
    {
      AddressSpaceHog hog(64 << 20);
      out = Load(largest, bits);
    }
    EXPECT_FALSE(out.picture);
    EXPECT_EQ(out.error.rfind(L"The picture is too large to open now. 8192 x 8192 pixels need more memory", 0), 0u)
        << Narrow(out.error);
  }
  ExpectPixels(Load(small).picture, 3, 2, Pattern(3, 2));
}

using BmpSaving = TempFolderTest;

Picture MakePicture(int w, int h) {
  Picture p = Picture::Create(w, h);
  const std::vector<Rgb> px = Pattern(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* q = p.row(y) + 4 * x;
      q[0] = px[y * w + x].b; q[1] = px[y * w + x].g; q[2] = px[y * w + x].r; q[3] = 0x77;
    }
  return p;
}

TEST_F(BmpSaving, SavedFilesLoadBackExactly) {
  for (int w : {1, 2, 3, 4, 5, 7}) {
    SCOPED_TRACE(w);
    const std::wstring path = Path(L"w" + std::to_wstring(w) + L".bmp");
    ASSERT_EQ(SavePictureAsBmp(MakePicture(w, 3), path), L"");
    const Bytes file = Read(path);
    EXPECT_EQ(file.size(), 54u + (w * 3 + 3) / 4 * 4 * 3);
    ExpectPixels(LoadPictureFile(path).picture, w, 3, Pattern(w, 3));
    // Held at 24 bits, as the converter holds it, the picture saves the same file.
    const std::wstring again = Path(L"w" + std::to_wstring(w) + L" again.bmp");
    ASSERT_EQ(SavePictureAsBmp(LoadPictureFile(path, 24).picture, again), L"");
    EXPECT_EQ(Read(again), file);
  }
  EXPECT_EQ(Names().size(), 12u);  // no temporary file left behind
}

TEST_F(BmpSaving, RefusalsLeaveEverythingAsItWas) {
  const Bytes old(777, 0x42);
  const std::wstring locked = Write(L"locked.bmp", old);
  ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring read_only = SavePictureAsBmp(MakePicture(3, 3), locked);
  EXPECT_EQ(read_only.rfind(L"The file is read-only", 0), 0u) << Narrow(read_only);
  EXPECT_EQ(Read(locked), old);
  EXPECT_EQ(GetFileAttributesW(locked.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));

  ASSERT_TRUE(CreateDirectoryW(Path(L"taken.bmp").c_str(), nullptr));
  EXPECT_EQ(SavePictureAsBmp(MakePicture(3, 3), Path(L"taken.bmp")),
            L"There is a folder with that name; choose another name for the BMP file.");
  EXPECT_EQ(GetFileAttributesW(Path(L"taken.bmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            DWORD(FILE_ATTRIBUTE_DIRECTORY));

  EXPECT_EQ(SavePictureAsBmp(MakePicture(3, 3), Path(L"gone\\x.bmp")),
            L"The folder " + Path(L"gone") + L" does not exist.");
  EXPECT_EQ(SavePictureAsBmp(Picture(), Path(L"nothing.bmp")), L"There is no picture to save.");
  // GetFullPathName turns these into \\.\CON and the like, whatever the folder.
  for (const wchar_t* device : {L"CON.bmp", L"nul.bmp", L"COM1.bmp", L"LPT1.bmp"})
    for (const std::wstring& path : {std::wstring(device), Path(device)})
      EXPECT_EQ(SavePictureAsBmp(MakePicture(3, 3), path),
                L"\"" + std::wstring(device) +
                    L"\" is the name Windows keeps for a device, not a file; choose another name for the BMP file.")
          << Narrow(path);
  EXPECT_EQ(SavePictureAsBmp(MakePicture(3, 3), Path(L"dir\\")),
            L"The name ends in a backslash, so it names a folder, not a file.");

  std::vector<std::wstring> names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"locked.bmp", L"taken.bmp"}));
}

TEST_F(BmpSaving, WaitsForABriefHolderAndGivesUpOnALongOne) {
  const Bytes old(321, 0x11);
  const std::wstring path = Write(L"busy.bmp", old);
  {
    UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    const auto start = std::chrono::steady_clock::now();
    const std::wstring error = SavePictureAsBmp(MakePicture(2, 2), path);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error.rfind(L"Another program is using the file", 0), 0u) << Narrow(error);
    EXPECT_GT(took, std::chrono::milliseconds(900));  // 25 + 50 + ... + 225 ms of waiting
    EXPECT_LT(took, std::chrono::seconds(5));
  }
  EXPECT_EQ(Read(path), old);
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"busy.bmp"});

  UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  std::thread release([&holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    holder.reset();
  });
  const std::wstring error = SavePictureAsBmp(MakePicture(2, 2), path);
  release.join();
  EXPECT_EQ(error, L"");
  ExpectPixels(LoadPictureFile(path).picture, 2, 2, Pattern(2, 2));
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"busy.bmp"});
}

// A save killed midway leaves its temporary file. The next save removes it
// once its process has ended, but not one of a running process (another
// Velmora may be saving), nor a file whose name only looks like one.
TEST_F(BmpSaving, TemporaryFilesOfEndedProcessesAreRemoved) {
  wchar_t self[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  STARTUPINFOW start{};
  start.cb = sizeof start;
  PROCESS_INFORMATION killed{};
  ASSERT_TRUE(CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &start,
                             &killed));
  {
    const UniqueThread thread(killed.hThread);
    const UniqueProcess process(killed.hProcess);
    ASSERT_TRUE(TerminateProcess(process.get(), 1));
    ASSERT_EQ(WaitForSingleObject(process.get(), INFINITE), WAIT_OBJECT_0);
  }
  const auto name = [](DWORD pid, const wchar_t* rest) {
    wchar_t text[64];
    std::swprintf(text, 64, L"~velmora-%lx%ls", static_cast<unsigned long>(pid), rest);
    return std::wstring(text);
  };
  std::vector<std::wstring> kept = {name(GetCurrentProcessId(), L"-1.tmp"), name(killed.dwProcessId, L".tmp"),
                                    name(killed.dwProcessId, L"-1-2.tmp")};
  for (const std::wstring& n : kept) Write(n, Bytes(5, 1));
  Write(name(killed.dwProcessId, L"-1.tmp"), Bytes(5, 1));
  ASSERT_EQ(SavePictureAsBmp(MakePicture(2, 2), Path(L"new.bmp")), L"");
  kept.push_back(L"new.bmp");
  std::vector<std::wstring> names = Names();
  std::sort(names.begin(), names.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names, kept);
}

TEST_F(BmpSaving, NonAsciiAndRelativeNames) {
  const std::wstring name = L"Bild \u00E4\u00DF \u4E2D \u0416.bmp";
  ASSERT_EQ(SavePictureAsBmp(MakePicture(3, 2), Path(name)), L"");
  ExpectPixels(LoadPictureFile(Path(name)).picture, 3, 2, Pattern(3, 2));

  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
  const std::wstring error = SavePictureAsBmp(MakePicture(2, 2), L"relative.bmp");
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(error, L"");
  ExpectPixels(LoadPictureFile(Path(L"relative.bmp")).picture, 2, 2, Pattern(2, 2));
}

}  // namespace
}  // namespace velmora::convert
