// The BMP writer fed fuzzed pictures, read back by a reader of our own, with
// sinks and row sources that give up part way.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "convert/bmp_writer.h"
#include "fuzz/fuzz_support.h"

namespace velmora {
namespace {

using convert::BmpWrite;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return Le16(b, at) | (Le16(b, at + 2) << 16);
}

// A picture no larger than 512 x 512 pixels in total, so that rows wider than
// the writer's 256 KiB buffer (87,382 pixels and up) are still reached.
constexpr std::uint32_t kMostPixels = 512 * 512;

std::uint64_t RowBytes(std::uint64_t width) { return (width * 3 + 3) & ~std::uint64_t(3); }

// Reads the file as a 24-bit bottom-up BI_RGB BMP should be laid out and
// compares every pixel with the rows it was made from. Left out of coverage:
// tracing each of a million comparisons here would halve the executions.
__attribute__((no_sanitize("coverage"))) void CheckFile(const Bytes& file, std::uint32_t width, std::uint32_t height, const Bytes& pixels) {
  const std::uint64_t row = RowBytes(width);
  FUZZ_CHECK(row % 4 == 0 && row - std::uint64_t(width) * 3 < 4);
  FUZZ_CHECK(file.size() == 54 + row * height);
  FUZZ_CHECK(file[0] == 'B' && file[1] == 'M');
  FUZZ_CHECK(Le32(file, 2) == file.size());     // bfSize
  FUZZ_CHECK(Le32(file, 6) == 0);                // reserved
  FUZZ_CHECK(Le32(file, 10) == 54);              // bfOffBits
  FUZZ_CHECK(Le32(file, 14) == 40);              // biSize
  FUZZ_CHECK(Le32(file, 18) == width);
  FUZZ_CHECK(Le32(file, 22) == height);          // positive: bottom-up
  FUZZ_CHECK(Le16(file, 26) == 1 && Le16(file, 28) == 24);
  FUZZ_CHECK(Le32(file, 30) == 0);               // BI_RGB
  FUZZ_CHECK(Le32(file, 34) == row * height);    // biSizeImage
  FUZZ_CHECK(Le32(file, 46) == 0 && Le32(file, 50) == 0);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* line = file.data() + 54 + (height - 1 - y) * row;
    const std::uint8_t* src = pixels.data() + std::size_t(y) * width * 4;
    for (std::uint32_t x = 0; x < width; ++x)
      FUZZ_CHECK(line[x * 3] == src[x * 4] && line[x * 3 + 1] == src[x * 4 + 1] &&
                 line[x * 3 + 2] == src[x * 4 + 2]);
    for (std::uint64_t pad = std::uint64_t(width) * 3; pad < row; ++pad) FUZZ_CHECK(line[pad] == 0);
  }
}

// The fuzzed bytes, repeated with a shift each round so that rows differ.
__attribute__((no_sanitize("coverage"))) Bytes Pixels(std::size_t size, const std::string& fill) {
  Bytes pixels(size);
  for (std::size_t i = 0, j = 0, round = 0; i < size; ++i) {
    pixels[i] = fill.empty() ? std::uint8_t(i * 7) : std::uint8_t(fill[j] + round);
    if (!fill.empty() && ++j == fill.size()) j = 0, ++round;
  }
  return pixels;
}

void CheckFileSize(FuzzedDataProvider& in) {
  const std::uint64_t w = in.ConsumeIntegral<std::uint64_t>() >> in.ConsumeIntegralInRange(0, 63);
  const std::uint64_t h = in.ConsumeIntegral<std::uint64_t>() >> in.ConsumeIntegralInRange(0, 63);
  const auto size = convert::Bmp24FileSize(w, h);
  const bool fits = w > 0 && h > 0 && w <= 0x7FFFFFFF && h <= 0x7FFFFFFF &&
                    54 + static_cast<unsigned __int128>(RowBytes(w)) * h <= 0xFFFFFFFFu;
  FUZZ_CHECK(size.has_value() == fits);
  if (fits) FUZZ_CHECK(*size == 54 + RowBytes(w) * h);

  // A picture whose file cannot be described is refused before any row is
  // asked for or any byte written.
  if (!fits && w > 0 && h > 0 && w <= 0xFFFFFFFF && h <= 0xFFFFFFFF) {
    const convert::RowSource noRows = [](std::uint32_t) -> const std::uint8_t* {
      fuzz::Fail("a row was asked for", __FILE__, __LINE__);
    };
    const convert::ByteSink noBytes = [](const std::uint8_t*, std::size_t) -> bool {
      fuzz::Fail("bytes were written", __FILE__, __LINE__);
    };
    const BmpWrite result = convert::WriteBmp24(static_cast<std::uint32_t>(w),
                                                static_cast<std::uint32_t>(h), noRows, noBytes);
    FUZZ_CHECK(result == BmpWrite::TooLarge);
  }
}

void Run(FuzzedDataProvider& in) {
  CheckFileSize(in);

  std::uint32_t width = 0, height = 0;
  // Mostly small pictures, which run fast; now and then one that fills
  // several of the writer's buffers, or has rows wider than one.
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: width = in.ConsumeIntegralInRange<std::uint32_t>(1, 512);
            height = in.ConsumeIntegralInRange<std::uint32_t>(1, 512); break;
    case 1: width = in.ConsumeIntegralInRange<std::uint32_t>(80000, kMostPixels);
            height = in.ConsumeIntegralInRange<std::uint32_t>(1, kMostPixels / width); break;
    case 2: width = in.ConsumeIntegralInRange<std::uint32_t>(1, 4);
            height = in.ConsumeIntegralInRange<std::uint32_t>(1, 4); break;
    default: width = in.ConsumeIntegralInRange<std::uint32_t>(0, 64);
             height = in.ConsumeIntegralInRange<std::uint32_t>(0, 64); break;
  }
  // Give up after this many sink calls or at this row; past the end: never.
  const std::uint32_t sinkStop = in.ConsumeIntegralInRange<std::uint32_t>(0, 8);
  const std::uint32_t rowStop = in.ConsumeIntegral<std::uint32_t>();
  const bool stopping = in.ConsumeBool();

  const Bytes pixels = Pixels(std::size_t(width) * height * 4, in.ConsumeRemainingBytesAsString());

  std::vector<bool> asked(height);
  std::uint32_t rowsAsked = 0;
  bool rowRefused = false;
  const convert::RowSource rows = [&](std::uint32_t y) -> const std::uint8_t* {
    FUZZ_CHECK(y < height && !asked[y]);  // each row once: no second copy is kept
    FUZZ_CHECK(!rowRefused);
    asked[y] = true;
    if (rowsAsked++ == rowStop && stopping) {
      rowRefused = true;
      return nullptr;
    }
    return pixels.data() + std::size_t(y) * width * 4;
  };
  Bytes file;
  std::uint32_t sinkCalls = 0;
  bool sinkRefused = false;
  const convert::ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
    FUZZ_CHECK(!sinkRefused);  // a sink that said no is not asked again
    FUZZ_CHECK(size > 0);
    if (sinkCalls++ == sinkStop && stopping) {
      sinkRefused = true;
      return false;
    }
    file.insert(file.end(), data, data + size);
    return true;
  };

  const BmpWrite result = convert::WriteBmp24(width, height, rows, sink);
  if (width == 0 || height == 0) {
    FUZZ_CHECK(result == BmpWrite::NoPixels && file.empty() && rowsAsked == 0 && sinkCalls == 0);
    return;
  }
  if (rowRefused || sinkRefused) {
    FUZZ_CHECK(result == BmpWrite::SinkFailed);
    return;
  }
  FUZZ_CHECK(result == BmpWrite::Written);
  for (std::uint32_t y = 0; y < height; ++y) FUZZ_CHECK(asked[y]);
  CheckFile(file, width, height, pixels);
}

}  // namespace
}  // namespace velmora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  velmora::Run(in);
  return 0;
}
