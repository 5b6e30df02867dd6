#pragma once
// The picture loader: a GIF, JPEG, BMP or PNG file into a Picture, through
// WIC where Windows has it and GDI+ where it does not (Windows XP).
#include <cstdint>
#include <string>

#include "platform/picture_win.h"

namespace velmora::convert {

struct LoadOutcome {
  Picture picture;
  std::wstring error;  // empty on success; a sentence naming what went wrong
};

// Which decoder turns the file into pixels. Automatic is WIC when it starts,
// else GDI+; the tests name one to hold both to the same results.
enum class Decoder { Automatic, Wic, GdiPlus };

// Checks the file's header first (picture_header.h), so that no decoder ever
// sees a size past 256 MiB decoded, then decodes the first frame. Transparent
// pixels come out composited over white; a GIF is its logical screen, white,
// with its first image placed at that image's offset. Pixels are B, G, R, 0,
// or B, G, R when bitsPerPixel is 24: a picture only saved as a BMP file and
// shown, which holds a quarter less and goes to the file as it is.
//
// COM must be initialised on the calling thread and stay initialised until the
// thread ends: the WIC factory is made on the first call and kept for the
// thread's life.
LoadOutcome LoadPictureFile(const std::wstring& path, int bitsPerPixel = 32, Decoder decoder = Decoder::Automatic);

// Reads only the file's header: the empty text when it is a BMP file that
// LoadPictureFile would accept, else a sentence saying what it is instead.
// Its size goes to `width` and `height` when it is one.
std::wstring WhyNotABmpFile(const std::wstring& path, std::uint32_t* width = nullptr,
                            std::uint32_t* height = nullptr);

}  // namespace velmora::convert
