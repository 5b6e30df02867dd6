#pragma once
// Writes a picture as the BMP the shell takes for a toolbar wallpaper: 24 bits
// a pixel, BI_RGB, BITMAPINFOHEADER, bottom-up rows padded to 4 bytes. Rows are
// asked for one at a time and bytes go out in pieces, so no second copy of the
// picture is ever held.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace velmora::convert {

// Row y of the picture counted from the top, as B, G, R bytes per pixel, each
// followed by an unused byte when the picture has 4 bytes a pixel.
using RowSource = std::function<const std::uint8_t*(std::uint32_t y)>;
// Takes the next bytes of the file; false stops the writing.
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

enum class BmpWrite { Written, NoPixels, TooLarge, SinkFailed };

inline constexpr std::uint32_t kBmpHeadersSize = 14 + 40;
inline constexpr std::int32_t kBmpPixelsPerMetre = 2835;  // 72 dots per inch

// The file's size, or nothing when a side is 0 or the size would not fit the
// header's 32-bit fields (a file past 4 GiB - 1, a side past 2^31 - 1).
std::optional<std::uint32_t> Bmp24FileSize(std::uint64_t width, std::uint64_t height);

// bytesPerPixel: 4 (B, G, R, X) or 3 (B, G, R, as the file holds them).
BmpWrite WriteBmp24(std::uint32_t width, std::uint32_t height, const RowSource& rows,
                    const ByteSink& sink, std::uint32_t bytesPerPixel = 4);

// The same file from pixels that already lie as the file holds them: height
// rows of (width x 3 rounded up to 4) bytes, the bottom row first. They go to
// the sink in large pieces straight from `pixels`, copied nowhere on the way,
// unless some row's padding is not zero: then they go as WriteBmp24 sends
// them, so the file's padding is zero either way.
BmpWrite WriteBmp24Block(std::uint32_t width, std::uint32_t height, const std::uint8_t* pixels,
                         const ByteSink& sink);

}  // namespace velmora::convert
