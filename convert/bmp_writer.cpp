#include "convert/bmp_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora::convert {
namespace {

// Big enough that writes cost little per byte, small beside any picture.
constexpr std::size_t kChunkBytes = 256 * 1024;
// Pieces of a picture already laid out as the file: few enough calls that
// each costs nothing, and one stays far below what a single write may take.
constexpr std::size_t kBlockPieceBytes = 8 << 20;

std::uint64_t RowBytes(std::uint64_t width) { return (width * 3 + 3) / 4 * 4; }

void Put16(std::uint8_t*& p, std::uint32_t v) {
  *p++ = v & 0xFF;
  *p++ = (v >> 8) & 0xFF;
}
void Put32(std::uint8_t*& p, std::uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p, v >> 16);
}

// Collects output into one buffer and hands it to the sink when full.
class ChunkedOutput {
 public:
  explicit ChunkedOutput(const ByteSink& sink) : sink_(sink), buffer_(kChunkBytes) {}
  std::uint8_t* Space(std::size_t& room) {
    if (used_ == buffer_.size() && !Flush()) return nullptr;
    room = buffer_.size() - used_;
    return buffer_.data() + used_;
  }
  void Commit(std::size_t n) { used_ += n; }
  bool Flush() {
    if (used_ == 0) return ok_;
    ok_ = ok_ && sink_(buffer_.data(), used_);
    used_ = 0;
    return ok_;
  }

 private:
  const ByteSink& sink_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

void PutHeaders(std::uint8_t* p, std::uint32_t width, std::uint32_t height, std::uint32_t file_size,
                std::uint32_t row_bytes) {
  Put16(p, 0x4D42);                     // "BM"
  Put32(p, file_size);                  // bfSize
  Put32(p, 0);                          // bfReserved1, bfReserved2
  Put32(p, kBmpHeadersSize);            // bfOffBits
  Put32(p, 40);                         // biSize
  Put32(p, width);                      // biWidth
  Put32(p, height);                     // biHeight: positive, so bottom-up
  Put16(p, 1);                          // biPlanes
  Put16(p, 24);                         // biBitCount
  Put32(p, 0);                          // biCompression: BI_RGB
  Put32(p, row_bytes * height);         // biSizeImage
  Put32(p, kBmpPixelsPerMetre);         // biXPelsPerMeter
  Put32(p, kBmpPixelsPerMetre);         // biYPelsPerMeter
  Put32(p, 0);                          // biClrUsed
  Put32(p, 0);                          // biClrImportant
}

bool PaddingIsZero(std::uint32_t width, std::uint32_t height, const std::uint8_t* pixels) {
  const std::uint64_t row_bytes = RowBytes(width);
  for (std::uint64_t y = 0; y < height; ++y)
    for (std::uint64_t i = std::uint64_t(width) * 3; i < row_bytes; ++i)
      if (pixels[y * row_bytes + i] != 0) return false;
  return true;
}

}  // namespace

std::optional<std::uint32_t> Bmp24FileSize(std::uint64_t width, std::uint64_t height) {
  constexpr std::uint64_t kMostSide = 0x7FFFFFFF;  // biWidth and biHeight are signed
  if (width == 0 || height == 0 || width > kMostSide || height > kMostSide) return std::nullopt;
  const std::uint64_t size = kBmpHeadersSize + RowBytes(width) * height;  // < 2^64: sides < 2^31
  if (size > 0xFFFFFFFFu) return std::nullopt;  // bfSize is 32 bits
  return static_cast<std::uint32_t>(size);
}

BmpWrite WriteBmp24(std::uint32_t width, std::uint32_t height, const RowSource& rows,
                    const ByteSink& sink, std::uint32_t bytesPerPixel) {
  if (width == 0 || height == 0) return BmpWrite::NoPixels;
  const std::optional<std::uint32_t> file_size = Bmp24FileSize(width, height);
  if (!file_size) return BmpWrite::TooLarge;
  const std::uint32_t row_bytes = static_cast<std::uint32_t>(RowBytes(width));

  ChunkedOutput out(sink);
  std::size_t room = 0;
  std::uint8_t* p = out.Space(room);
  PutHeaders(p, width, height, *file_size, row_bytes);
  out.Commit(kBmpHeadersSize);

  const std::uint32_t padding = row_bytes - width * 3;
  for (std::uint32_t n = 0; n < height; ++n) {
    const std::uint8_t* src = rows(height - 1 - n);
    if (!src) return BmpWrite::SinkFailed;
    // A row may be wider than the buffer: convert it a piece at a time.
    for (std::uint32_t x = 0; x < width;) {
      std::uint8_t* dst = out.Space(room);
      if (!dst) return BmpWrite::SinkFailed;
      const std::uint32_t count =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(width - x, room / 3));
      if (count == 0) {  // fewer than 3 bytes left: start a fresh buffer
        if (!out.Flush()) return BmpWrite::SinkFailed;
        continue;
      }
      const std::uint8_t* s = src + std::size_t(x) * bytesPerPixel;
      if (bytesPerPixel == 3) {
        std::memcpy(dst, s, std::size_t(count) * 3);
      } else {
        for (std::uint32_t i = 0; i < count; ++i, s += 4, dst += 3) {
          dst[0] = s[0];
          dst[1] = s[1];
          dst[2] = s[2];
        }
      }
      out.Commit(std::size_t(count) * 3);
      x += count;
    }
    for (std::uint32_t left = padding; left > 0;) {
      std::uint8_t* dst = out.Space(room);
      if (!dst) return BmpWrite::SinkFailed;
      const std::uint32_t n0 = static_cast<std::uint32_t>(std::min<std::size_t>(left, room));
      std::memset(dst, 0, n0);
      out.Commit(n0);
      left -= n0;
    }
  }
  return out.Flush() ? BmpWrite::Written : BmpWrite::SinkFailed;
}

BmpWrite WriteBmp24Block(std::uint32_t width, std::uint32_t height, const std::uint8_t* pixels,
                         const ByteSink& sink) {
  if (width == 0 || height == 0 || !pixels) return BmpWrite::NoPixels;
  const std::optional<std::uint32_t> file_size = Bmp24FileSize(width, height);
  if (!file_size) return BmpWrite::TooLarge;
  const std::uint64_t row_bytes = RowBytes(width);
  if (!PaddingIsZero(width, height, pixels)) {
    const RowSource rows = [&](std::uint32_t y) { return pixels + (height - 1 - y) * row_bytes; };
    return WriteBmp24(width, height, rows, sink, 3);
  }
  std::uint8_t headers[kBmpHeadersSize];
  PutHeaders(headers, width, height, *file_size, static_cast<std::uint32_t>(row_bytes));
  if (!sink(headers, sizeof headers)) return BmpWrite::SinkFailed;
  const std::uint64_t total = row_bytes * height;
  for (std::uint64_t at = 0; at < total; at += kBlockPieceBytes) {
    if (!sink(pixels + at, static_cast<std::size_t>(std::min<std::uint64_t>(kBlockPieceBytes, total - at))))
      return BmpWrite::SinkFailed;
  }
  return BmpWrite::Written;
}

}  // namespace velmora::convert
