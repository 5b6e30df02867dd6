#pragma once
// BMP and GIF files written byte by byte, for the header walk and the loader:
// every byte the program reads is one a test chose.
#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::testing_support {

using Bytes = std::vector<std::uint8_t>;

inline void Le16(Bytes& b, std::uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
inline void Le32(Bytes& b, std::uint32_t v) { Le16(b, v & 0xFFFF); Le16(b, v >> 16); }
inline void Append(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const Rgb& c) {
  return o << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

// A BMP's two headers, with an info header of `info_size` bytes (12 is the old
// core header) and `pixel_bytes` of pixels to follow.
inline Bytes BmpHeaders(std::uint32_t info_size, std::int32_t width, std::int32_t height, std::uint16_t bits,
                        std::uint32_t compression = 0, std::uint32_t pixel_bytes = 0) {
  Bytes b;
  Append(b, "BM");
  for (std::uint32_t v : {14 + info_size + pixel_bytes, 0u, 14 + info_size, info_size}) Le32(b, v);
  if (info_size == 12) {
    for (std::uint32_t v : {std::uint32_t(width), std::uint32_t(height), 1u, std::uint32_t(bits)}) Le16(b, v);
    return b;
  }
  Le32(b, width);
  Le32(b, height);
  Le16(b, 1);
  Le16(b, bits);
  if (info_size >= 20) Le32(b, compression);
  b.resize(14 + info_size, 0);
  return b;
}

// A GIF built a block at a time.
class Gif {
 public:
  // A screen with a global table of these colours, none when there are none.
  Gif(std::uint32_t width, std::uint32_t height, const std::vector<Rgb>& global = {}) : colours_(global.size()) {
    Append(bytes, "GIF89a");
    Le16(bytes, width);
    Le16(bytes, height);
    bytes.push_back(global.empty() ? 0 : static_cast<std::uint8_t>(0x80 | (TableBits(global.size()) - 1)));
    bytes.push_back(0);  // background index: the loader uses white regardless
    bytes.push_back(0);
    PutTable(global);
  }
  Gif& Comment(std::string_view text, std::size_t piece = 255) {
    bytes.insert(bytes.end(), {0x21, 0xFE});
    for (std::size_t at = 0; at < text.size(); at += piece) {
      const std::string_view part = text.substr(at, piece);
      bytes.push_back(static_cast<std::uint8_t>(part.size()));
      Append(bytes, part);
    }
    bytes.push_back(0);
    return *this;
  }
  Gif& Transparency(std::uint8_t index) {
    bytes.insert(bytes.end(), {0x21, 0xF9, 4, 0x01, 0, 0, index, 0});
    return *this;
  }
  // An image coded for real: colour indices row by row, top-down.
  Gif& Image(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h,
             const std::vector<std::uint8_t>& indices, const std::vector<Rgb>& local = {},
             bool interlaced = false) {
    Descriptor(x, y, w, h, interlaced, local);
    std::vector<std::uint8_t> order;
    if (!interlaced) {
      order = indices;
    } else {  // rows 0, 8, 16...; 4, 12...; 2, 6...; 1, 3...
      for (auto [first, step] : {std::pair{0u, 8u}, {4u, 8u}, {2u, 4u}, {1u, 2u}})
        for (std::uint32_t row = first; row < h; row += step)
          order.insert(order.end(), indices.begin() + row * w, indices.begin() + (row + 1) * w);
    }
    PutLzw(order, local.empty() ? colours_ : local.size());
    return *this;
  }
  // An image whose data are `size` bytes that a header walk skips unread; a
  // trailer byte among them must not end the walk.
  Gif& Placeholder(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h, std::size_t size = 300,
                   bool local_table = false) {
    Descriptor(x, y, w, h, false, std::vector<Rgb>(local_table ? 8 : 0));
    bytes.push_back(2);  // LZW code size
    for (; size > 0; size -= std::min<std::size_t>(size, 255)) {
      bytes.push_back(static_cast<std::uint8_t>(std::min<std::size_t>(size, 255)));
      bytes.resize(bytes.size() + std::min<std::size_t>(size, 255), 0x3B);
    }
    bytes.push_back(0);
    return *this;
  }
  Bytes End() {
    bytes.push_back(0x3B);
    return bytes;
  }

  Bytes bytes;

 private:
  static int TableBits(std::size_t colours) {
    int bits = 1;
    while ((1u << bits) < colours) ++bits;
    return bits;
  }
  void PutTable(const std::vector<Rgb>& table) {
    if (table.empty()) return;
    for (std::size_t i = 0; i < (std::size_t(1) << TableBits(table.size())); ++i) {
      const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
      bytes.insert(bytes.end(), {c.r, c.g, c.b});
    }
  }
  void Descriptor(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h, bool interlaced,
                  const std::vector<Rgb>& local) {
    bytes.push_back(0x2C);
    for (std::uint32_t v : {x, y, w, h}) Le16(bytes, v);
    std::uint8_t flags = interlaced ? 0x40 : 0;
    if (!local.empty()) flags |= 0x80 | (TableBits(local.size()) - 1);
    bytes.push_back(flags);
    PutTable(local);
  }
  // LZW with a clear code before the table would grow: every code stays a
  // literal of the smallest width, which any decoder must read.
  void PutLzw(const std::vector<std::uint8_t>& indices, std::size_t colours) {
    const int min_bits = std::max(2, TableBits(colours));
    const unsigned clear = 1u << min_bits, end = clear + 1, width = min_bits + 1;
    Bytes packed;
    std::uint32_t acc = 0;
    int held = 0;
    auto put = [&](unsigned code) {
      acc |= code << held;
      for (held += width; held >= 8; held -= 8, acc >>= 8) packed.push_back(acc & 0xFF);
    };
    put(clear);
    unsigned since_clear = 0;
    for (std::uint8_t i : indices) {
      if (since_clear == clear - 2) put(clear), since_clear = 0;
      put(i);
      ++since_clear;
    }
    put(end);
    if (held > 0) packed.push_back(acc & 0xFF);
    bytes.push_back(static_cast<std::uint8_t>(min_bits));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
      const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
      bytes.push_back(static_cast<std::uint8_t>(n));
      bytes.insert(bytes.end(), packed.begin() + at, packed.begin() + at + n);
    }
    bytes.push_back(0);
  }

  std::size_t colours_;
};

}  // namespace velmora::testing_support
