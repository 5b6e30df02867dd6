#pragma once
// The loader's sentences: why a picture file could not be opened, read or
// decoded, worded the same whichever decoder ran.
#include <windows.h>

#include <string>

#include "convert/picture_header.h"

namespace velmora::convert {

// What a decoder answers; the loader chooses the words.
enum class DecodeStatus {
  Decoded,
  OutOfMemory,  // the decoder or our picture could not get the memory
  Failed,       // damaged, cut short, or of a kind the decoder cannot read
};

std::wstring OpenFailure(DWORD code);
std::wstring ReadFailure(DWORD code);
// `endsEarly`: a JPEG whose end-of-image marker is missing (JpegEndsEarly).
std::wstring DecodeFailure(DecodeStatus status, const PictureHeader& header, bool endsEarly);
std::wstring NoDecoderSentence();

}  // namespace velmora::convert
