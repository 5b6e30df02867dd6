#include "convert/load_messages_win.h"

#include "platform/texts.h"

namespace velmora::convert {
std::wstring OpenFailure(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return texts::kFileMissing;
    case ERROR_ACCESS_DENIED:
      return texts::kReadDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return texts::kFileInUse;
  }
  return texts::NotOpened(code);
}

std::wstring ReadFailure(DWORD code) { return texts::NotRead(code); }

std::wstring DecodeFailure(DecodeStatus status, const PictureHeader& header, bool endsEarly) {
  // A 32-bit process has 2 to 4 GiB of addresses, in pieces: a picture the
  // size check lets through may still find no room once decoded.
  if (status == DecodeStatus::OutOfMemory) return texts::TooLargeToOpenNow(header.width, header.height);
  if (header.format == PictureFormat::Jpeg && endsEarly) return texts::PixelsCut(FormatName(header.format));
  return texts::DamagedOrUnknown(FormatName(header.format));
}

std::wstring NoDecoderSentence() { return texts::kNoDecoder; }

}  // namespace velmora::convert
