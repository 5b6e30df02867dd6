#pragma once
// Reads a picture's size from its own header and decides, before any decoder
// sees the file, whether Velmora may load it. WIC decodes a JPEG or GIF in
// full as soon as it opens one, so a header claiming 65500 x 65500 pixels
// must be turned away here, not after the decoder has tried.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velmora::convert {

enum class PictureFormat { Unknown, Bmp, Gif, Jpeg, Png };
// "BMP", "GIF", "JPEG", "PNG", as messages name them.
const wchar_t* FormatName(PictureFormat format);

// Random access to the bytes being inspected (a file, or memory in tests).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies up to `count` bytes from `offset` into `out` and answers how many
  // it copied: fewer only at the end of the source or when reading fails.
  virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// The most a picture may take once decoded to 32 bits a pixel (8192 x 8192).
inline constexpr std::uint64_t kLargestDecodedBytes = 256ull << 20;
// WIC's GIF decoder keeps every frame of an animation at a byte a pixel.
inline constexpr std::uint64_t kLargestGifFramePixels = 256ull << 20;

enum class Verdict {
  Accepted,
  NotAPicture,  // none of the formats below, by its first bytes
  Truncated,    // the file ends inside its header or, for a GIF or BMP, its pixels
  Damaged,      // the header contradicts itself
  NoPixels,     // a width or height of 0
  TooLarge,     // past kLargestDecodedBytes (or, for a GIF, kLargestGifFramePixels)
  Unreadable,   // reading the source failed
};

struct FrameRect {
  std::uint32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const FrameRect&) const = default;
};

struct PictureHeader {
  PictureFormat format = PictureFormat::Unknown;
  std::uint32_t width = 0;   // the picture; for a GIF its logical screen
  std::uint32_t height = 0;
  FrameRect first_frame;     // a GIF's first image on the screen; otherwise the whole picture
  bool top_down = false;     // a BMP with a negative height
  bool operator==(const PictureHeader&) const = default;
};

struct Inspection {
  Verdict verdict = Verdict::NotAPicture;
  PictureHeader header;
  std::wstring reason;  // a sentence for the user; empty when accepted
  bool accepted() const { return verdict == Verdict::Accepted; }
};

// BMP (every info header version), GIF (87a, 89a), JPEG and PNG are read;
// anything else is refused, since a decoder we cannot pre-check could be
// handed any size.
Inspection InspectPicture(ByteSource& source);
Inspection InspectPicture(std::span<const std::uint8_t> bytes);

// "The picture is too large: 65500 x 65500 pixels. ..." and the like.
std::wstring TooLargeSentence(std::uint64_t width, std::uint64_t height);

}  // namespace velmora::convert
