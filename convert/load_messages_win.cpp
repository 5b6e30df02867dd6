#include "convert/load_messages_win.h"

namespace velmora::convert {
namespace {

std::wstring WindowsError(DWORD code) { return L"Windows error " + std::to_wstring(code); }

}  // namespace

std::wstring OpenFailure(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return L"The file does not exist.";
    case ERROR_ACCESS_DENIED:
      return L"Velmora may not read the file: access is denied.";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return L"Another program is using the file; close it and try again.";
  }
  return L"The file could not be opened (" + WindowsError(code) + L").";
}

std::wstring ReadFailure(DWORD code) { return L"The file could not be read (" + WindowsError(code) + L")."; }

std::wstring DecodeFailure(DecodeStatus status, const PictureHeader& header, bool endsEarly) {
  // A 32-bit process has 2 to 4 GiB of addresses, in pieces: a picture the
  // size check lets through may still find no room once decoded.
  if (status == DecodeStatus::OutOfMemory) {
    const std::wstring size = header.width == 0 ? L"It needs" : std::to_wstring(header.width) + L" x " +
                                                                   std::to_wstring(header.height) + L" pixels need";
    return L"The picture is too large to open now. " + size +
           L" more memory than Windows can give Velmora. Close other programs and try again, or open a smaller "
           L"picture.";
  }
  if (header.format == PictureFormat::Jpeg && endsEarly)
    return L"The JPEG picture is incomplete: the file ends before all of its pixels.";
  return std::wstring(L"The ") + FormatName(header.format) + L" picture is damaged or of a kind Velmora cannot read.";
}

std::wstring NoDecoderSentence() {
  return L"Windows could not start a picture decoder: neither the Windows Imaging Component nor GDI+ is "
         L"available.";
}

}  // namespace velmora::convert
