#include "convert/picture_header.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include "platform/texts.h"

namespace velmora::convert {
namespace {

// Frame records in WIC's GIF decoder grow one reallocation at a time.
constexpr std::uint32_t kMostGifFrames = 10000;

// Exact reads at absolute offsets; remembers whether a failed read ran off the
// end of the file or could not be read at all.
class Reader {
 public:
  explicit Reader(ByteSource& source) : source_(source), size_(source.Size()) {}
  std::uint64_t size() const { return size_; }
  bool Read(std::uint64_t at, std::uint8_t* out, std::size_t count) {
    if (at > size_ || count > size_ - at) {
      unreadable_ = false;
      return false;
    }
    if (source_.ReadAt(at, out, count) != count) {
      unreadable_ = true;
      return false;
    }
    return true;
  }
  bool Byte(std::uint64_t at, std::uint8_t& out) { return Read(at, &out, 1); }
  bool unreadable() const { return unreadable_; }

 private:
  ByteSource& source_;
  std::uint64_t size_;
  bool unreadable_ = false;
};

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint32_t Be16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
         std::uint32_t(p[3]);
}

class Inspector {
 public:
  explicit Inspector(ByteSource& source) : in_(source) {}

  Inspection Run() {
    if (in_.size() == 0) return Refuse(Verdict::NotAPicture, texts::kEmptyFile);
    std::array<std::uint8_t, 8> sig{};
    const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(in_.size(), sig.size()));
    if (!in_.Read(0, sig.data(), have)) return ReadFailure();
    const std::span<const std::uint8_t> start(sig.data(), have);
    struct Signature { PictureFormat format; std::span<const std::uint8_t> bytes; };
    static constexpr std::uint8_t kBmp[] = {'B', 'M'};
    static constexpr std::uint8_t kGif87[] = {'G', 'I', 'F', '8', '7', 'a'};
    static constexpr std::uint8_t kGif89[] = {'G', 'I', 'F', '8', '9', 'a'};
    static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const Signature signatures[] = {{PictureFormat::Bmp, kBmp},   {PictureFormat::Gif, kGif87},
                                    {PictureFormat::Gif, kGif89}, {PictureFormat::Jpeg, kJpeg},
                                    {PictureFormat::Png, kPng}};
    for (const Signature& s : signatures) {
      const std::size_t n = std::min(s.bytes.size(), start.size());
      if (!std::equal(s.bytes.begin(), s.bytes.begin() + n, start.begin())) continue;
      out_.header.format = s.format;
      if (n < s.bytes.size()) return HeaderCut();
      switch (s.format) {
        case PictureFormat::Bmp: return Bmp();
        case PictureFormat::Gif: return Gif();
        case PictureFormat::Jpeg: return Jpeg();
        case PictureFormat::Png: return Png();
        case PictureFormat::Unknown: break;
      }
    }
    return Refuse(Verdict::NotAPicture, texts::kNotAPicture);
  }

 private:
  Inspection Bmp() {
    std::uint8_t h[14 + 20] = {};  // file header, then the info header up to biCompression
    if (!in_.Read(0, h, 18)) return ReadFailure();
    const std::uint32_t pixels_at = Le32(h + 10);
    const std::uint32_t info_size = Le32(h + 14);
    std::uint64_t width = 0, height = 0;
    std::uint32_t bits = 0, compression = 0;
    if (info_size == 12) {  // BITMAPCOREHEADER: unsigned 16-bit sizes, always bottom-up
      if (!in_.Read(18, h + 18, 8)) return ReadFailure();
      width = Le16(h + 18);
      height = Le16(h + 20);
      bits = Le16(h + 24);
    } else if ((info_size >= 16 && info_size <= 64) || info_size == 108 || info_size == 124) {
      // BITMAPINFOHEADER and its V2-V5 successors, and OS/2 2.x headers of 16 to 64
      // bytes: all keep signed 32-bit sizes at the same places.
      const std::size_t want = info_size >= 20 ? 20 : 16;
      if (!in_.Read(14, h + 14, want)) return ReadFailure();
      const auto w = static_cast<std::int32_t>(Le32(h + 18));
      const auto hh = static_cast<std::int32_t>(Le32(h + 22));
      if (w < 0) return Damaged(texts::damage::kNegativeWidth);
      if (hh == std::numeric_limits<std::int32_t>::min()) return Damaged(texts::damage::kHeightOutOfRange);
      width = static_cast<std::uint64_t>(w);
      height = static_cast<std::uint64_t>(hh < 0 ? -static_cast<std::int64_t>(hh) : hh);
      out_.header.top_down = hh < 0;
      bits = Le16(h + 28);
      compression = info_size >= 20 ? Le32(h + 30) : 0;
    } else {
      return Damaged(texts::damage::kUnknownHeader);
    }
    if (14 + std::uint64_t(info_size) > in_.size()) return HeaderCut();
    if (Inspection refused; !SizeAllowed(width, height, refused)) return refused;
    // Uncompressed rows have a known length; the decoder would allocate them all
    // before finding that the file is too short, so check that they are there.
    constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
      static constexpr std::uint32_t kBitCounts[] = {1, 2, 4, 8, 16, 24, 32};
      if (std::find(std::begin(kBitCounts), std::end(kBitCounts), bits) == std::end(kBitCounts))
        return Damaged(texts::damage::kImpossibleBits);
      const std::uint64_t row = (width * bits + 31) / 32 * 4;
      if (pixels_at + row * height > in_.size()) return PixelsCut();
    }
    return Accept(width, height);
  }

  Inspection Gif() {
    std::uint8_t h[13];
    if (!in_.Read(0, h, sizeof h)) return ReadFailure();
    const std::uint64_t width = Le16(h + 6), height = Le16(h + 8);
    if (Inspection refused; !SizeAllowed(width, height, refused)) return refused;
    std::uint64_t at = 13;
    if (h[10] & 0x80) at += 3u << ((h[10] & 7) + 1);  // the global colour table
    if (at > in_.size()) return HeaderCut();
    std::uint32_t frames = 0;
    std::uint64_t frame_pixels = 0;
    for (;;) {
      std::uint8_t kind = 0;
      // WIC takes the end of the file as the trailer, once there is an image.
      if (at == in_.size() && frames > 0) break;
      if (!in_.Byte(at++, kind)) return frames ? PixelsCut() : HeaderCut();
      if (kind == 0x3B) break;  // trailer
      if (kind == 0x21) {       // extension: a label, then data sub-blocks
        if (!SkipSubBlocks(++at)) return frames ? PixelsCut() : HeaderCut();
        continue;
      }
      if (kind != 0x2C) return Damaged(texts::damage::kUnknownBlock);
      std::uint8_t d[9];
      if (!in_.Read(at, d, sizeof d)) return frames ? PixelsCut() : HeaderCut();
      at += sizeof d;
      const FrameRect frame{Le16(d), Le16(d + 2), Le16(d + 4), Le16(d + 6)};
      if (d[8] & 0x80) at += 3u << ((d[8] & 7) + 1);  // a local colour table
      ++at;                                           // the LZW code size
      if (!SkipSubBlocks(at)) return PixelsCut();
      if (frames == 0) {
        if (frame.width == 0 || frame.height == 0)
          return Refuse(Verdict::NoPixels, texts::GifFirstImageNoPixels(frame.width, frame.height));
        out_.header.first_frame = frame;
      }
      frame_pixels += std::uint64_t(frame.width) * frame.height;
      if (++frames > kMostGifFrames)
        return Refuse(Verdict::TooLarge, texts::kTooManyGifImages);
      if (frame_pixels > kLargestGifFramePixels)
        return Refuse(Verdict::TooLarge, texts::kGifTooLarge);
    }
    if (frames == 0) return Damaged(texts::damage::kNoImage);
    return Accept(width, height, /*keep_frame=*/true);
  }

  // Skips a chain of sub-blocks (a length byte, then that many bytes) up to and
  // including the empty one that ends it; `at` is left just past it.
  bool SkipSubBlocks(std::uint64_t& at) {
    for (;;) {
      std::uint8_t length = 0;
      if (!in_.Byte(at++, length)) return false;
      if (length == 0) return true;
      at += length;
      if (at > in_.size()) return false;
    }
  }

  Inspection Jpeg() {
    // Walks the markers as libjpeg does, skipping bytes that are not one.
    std::uint64_t at = 2;
    for (;;) {
      std::uint8_t b = 0;
      if (!in_.Byte(at++, b)) return NoSizeBeforeEnd();
      if (b != 0xFF) continue;
      do {
        if (!in_.Byte(at++, b)) return NoSizeBeforeEnd();
      } while (b == 0xFF);
      if (b == 0x00 || b == 0x01 || (b >= 0xD0 && b <= 0xD7)) continue;  // no length
      if (b == 0xD8) return Damaged(texts::damage::kSecondStart);
      if (b == 0xD9) return Damaged(texts::damage::kEndsBeforeSize);
      if (b == 0xDA) return Damaged(texts::damage::kPixelsBeforeSize);
      std::uint8_t len[2];
      if (!in_.Read(at, len, 2)) return NoSizeBeforeEnd();
      const std::uint32_t length = Be16(len);
      if (length < 2) return Damaged(texts::damage::kImpossibleSegment);
      const bool frame_header = b >= 0xC0 && b <= 0xCF && b != 0xC4 && b != 0xC8 && b != 0xCC;
      if (!frame_header) {
        at += length;
        continue;
      }
      std::uint8_t sof[6];  // precision, height, width, component count
      if (length < 2 + sizeof sof) return Damaged(texts::damage::kShortFrameHeader);
      if (!in_.Read(at + 2, sof, sizeof sof)) return HeaderCut();
      if (sof[5] == 0 || length < 8 + 3u * sof[5]) return Damaged(texts::damage::kShortFrameHeader);
      if (at + length > in_.size()) return HeaderCut();
      return Accept(Be16(sof + 3), Be16(sof + 1));
    }
  }

  Inspection Png() {
    std::uint8_t h[33];  // signature, then the IHDR chunk with its CRC
    if (!in_.Read(0, h, sizeof h)) return ReadFailure();
    if (Be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0)
      return Damaged(texts::damage::kNoHeaderChunk);
    const std::uint32_t width = Be32(h + 16), height = Be32(h + 20);
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return Damaged(texts::damage::kSizeOutOfRange);
    return Accept(width, height);
  }

  bool SizeAllowed(std::uint64_t width, std::uint64_t height, Inspection& refused) {
    if (width == 0 || height == 0) {
      refused = Refuse(Verdict::NoPixels, texts::NoPixels(width, height));
      return false;
    }
    // Both factors are below 2^32, so the product cannot wrap.
    if (width * height > kLargestDecodedBytes / 4) {
      refused = Refuse(Verdict::TooLarge, TooLargeSentence(width, height));
      return false;
    }
    return true;
  }

  Inspection Accept(std::uint64_t width, std::uint64_t height, bool keep_frame = false) {
    if (Inspection refused; !SizeAllowed(width, height, refused)) return refused;
    out_.verdict = Verdict::Accepted;
    out_.header.width = static_cast<std::uint32_t>(width);
    out_.header.height = static_cast<std::uint32_t>(height);
    if (!keep_frame) out_.header.first_frame = {0, 0, out_.header.width, out_.header.height};
    out_.reason.clear();
    return out_;
  }

  Inspection Refuse(Verdict v, std::wstring reason) {
    Inspection r;
    r.verdict = v;
    r.header.format = out_.header.format;
    r.reason = std::move(reason);
    return r;
  }
  Inspection ReadFailure() { return in_.unreadable() ? Unreadable() : HeaderCut(); }
  Inspection Unreadable() {
    return Refuse(Verdict::Unreadable, texts::kUnreadable);
  }
  Inspection HeaderCut() {
    if (in_.unreadable()) return Unreadable();
    return Refuse(Verdict::Truncated, texts::HeaderCut(FormatName(out_.header.format)));
  }
  Inspection PixelsCut() {
    if (in_.unreadable()) return Unreadable();
    return Refuse(Verdict::Truncated, texts::PixelsCut(FormatName(out_.header.format)));
  }
  Inspection NoSizeBeforeEnd() {
    if (in_.unreadable()) return Unreadable();
    return Refuse(Verdict::Truncated, texts::kJpegNoSize);
  }
  Inspection Damaged(const wchar_t* detail) {
    return Refuse(Verdict::Damaged, texts::Damaged(FormatName(out_.header.format), detail));
  }

  Reader in_;
  Inspection out_;
};

}  // namespace

const wchar_t* FormatName(PictureFormat f) {
  switch (f) {
    case PictureFormat::Bmp: return L"BMP";
    case PictureFormat::Gif: return L"GIF";
    case PictureFormat::Jpeg: return L"JPEG";
    case PictureFormat::Png: return L"PNG";
    case PictureFormat::Unknown: break;
  }
  return L"";
}

std::size_t MemorySource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  if (offset >= bytes_.size()) return 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - offset));
  std::memcpy(out, bytes_.data() + offset, n);
  return n;
}

Inspection InspectPicture(ByteSource& source) { return Inspector(source).Run(); }

Inspection InspectPicture(std::span<const std::uint8_t> bytes) {
  MemorySource source(bytes);
  return InspectPicture(source);
}

std::wstring TooLargeSentence(std::uint64_t width, std::uint64_t height) {
  return texts::TooLargeToOpen(width, height);
}

}  // namespace velmora::convert
