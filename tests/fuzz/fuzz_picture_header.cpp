// Hostile first bytes of a picture file through InspectPicture. Run with a low
// -malloc_limit_mb: the check must never allocate by what a header claims.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "convert/picture_header.h"

// A broken invariant aborts, so that libFuzzer keeps the input as a crash file.
#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) std::fprintf(stderr, "invariant broken: %s\n", #cond), std::abort(); \
  } while (0)

namespace velmora {
namespace {

using convert::Inspection;
using convert::PictureFormat;
using convert::Verdict;

// Memory whose reads fail from a given offset on, as a file on a dying disk.
class FailingSource final : public convert::ByteSource {
 public:
  FailingSource(std::span<const std::uint8_t> bytes, std::uint64_t good)
      : bytes_(bytes), good_(good) {}
  std::uint64_t Size() const override { return bytes_.Size(); }
  std::size_t ReadAt(std::uint64_t at, std::uint8_t* out, std::size_t count) override {
    if (at + count > good_) return 0;
    return bytes_.ReadAt(at, out, count);
  }

 private:
  convert::MemorySource bytes_;
  std::uint64_t good_;
};

// The input with its tail repeated, read in place: files of up to 256 KiB, far
// past libFuzzer's input sizes, reach the GIF image count limit and long marker
// runs without the target allocating them.
class RepeatedSource final : public convert::ByteSource {
 public:
  RepeatedSource(std::span<const std::uint8_t> bytes, std::size_t split, std::uint64_t times)
      : head_(bytes.first(split)), tail_(bytes.subspan(split)),
        size_(split + tail_.size() * times) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t at, std::uint8_t* out, std::size_t count) override {
    std::size_t done = 0;
    for (; done < count && at < size_; ++done, ++at)
      out[done] = at < head_.size() ? head_[at] : tail_[(at - head_.size()) % tail_.size()];
    return done;
  }

 private:
  std::span<const std::uint8_t> head_, tail_;
  std::uint64_t size_;
};

void CheckOne(const Inspection& i) {
  FUZZ_CHECK(i.accepted() == i.reason.empty());
  if (!i.accepted()) return;
  const convert::PictureHeader& h = i.header;
  FUZZ_CHECK(h.format != PictureFormat::Unknown);
  FUZZ_CHECK(h.width > 0 && h.height > 0);
  FUZZ_CHECK(std::uint64_t(h.width) * h.height * 4 <= convert::kLargestDecodedBytes);
  FUZZ_CHECK(h.first_frame.width > 0 && h.first_frame.height > 0);
  if (h.format == PictureFormat::Gif) {
    FUZZ_CHECK(std::uint64_t(h.first_frame.width) * h.first_frame.height <=
               convert::kLargestGifFramePixels);
  } else {
    FUZZ_CHECK(h.format == PictureFormat::Bmp || !h.top_down);
    FUZZ_CHECK(h.first_frame == (convert::FrameRect{0, 0, h.width, h.height}));
  }
}

}  // namespace
}  // namespace velmora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  const std::span<const std::uint8_t> bytes(data, size);
  const Inspection whole = convert::InspectPicture(bytes);
  CheckOne(whole);
  // Memory never fails to read: running out of bytes is a short file.
  FUZZ_CHECK(whole.verdict != Verdict::Unreadable);

  // A read that fails may only turn the answer into Unreadable, never into
  // another size or another complaint; which bytes fail is taken from the input.
  const std::uint64_t good = size ? data[size - 1] * std::uint64_t(size) / 255 : 0;
  FailingSource failing(bytes, good);
  const Inspection partial = convert::InspectPicture(failing);
  CheckOne(partial);
  FUZZ_CHECK(partial.verdict == Verdict::Unreadable ||
             (partial.verdict == whole.verdict && partial.reason == whole.reason &&
              partial.header == whole.header));

  // The second and third last bytes pick where the repeated tail starts and how
  // often it comes; a high bit keeps most inputs to the cheap checks above.
  if (size >= 3 && (data[size - 2] & 0x80)) {
    const std::size_t split = (data[size - 3] >> 3) * size / 31;
    if (split < size) {
      const std::uint64_t tail = size - split;
      const std::uint64_t wanted = 1 + (std::uint64_t(data[size - 2] & 0x7F) << (data[size - 3] & 7));
      RepeatedSource repeated(bytes, split, std::min<std::uint64_t>(wanted, (1u << 18) / tail));
      const Inspection big = convert::InspectPicture(repeated);
      CheckOne(big);
      FUZZ_CHECK(big.verdict != Verdict::Unreadable);
    }
  }

  // Bytes after a whole JPEG, PNG or BMP header and its pixels change nothing;
  // a GIF is left out, since its end may stand in for the trailer.
  if (whole.accepted() && whole.header.format != convert::PictureFormat::Gif) {
    std::vector<std::uint8_t> longer(data, data + size);
    longer.insert(longer.end(), {0x00, 0xFF, 0xD9, 0x3B});
    const Inspection more = convert::InspectPicture(longer);
    FUZZ_CHECK(more.accepted() && more.header == whole.header);
  }
  return 0;
}
