#include "convert/picture_loader_win.h"

#include <algorithm>
#include <new>

#include "convert/load_messages_win.h"
#include "convert/picture_decoder_win.h"
#include "convert/picture_file_win.h"
#include "convert/picture_header.h"
#include "platform/handles_win.h"
#include "platform/texts.h"

namespace velmora::convert {
namespace {

LoadOutcome Fail(std::wstring error) {
  LoadOutcome out;
  out.error = std::move(error);
  return out;
}

// The file's header, read by our own walk; the empty text or why it is refused.
std::wstring Inspect(FileSource& source, Inspection& inspection) {
  inspection = InspectPicture(source);
  if (inspection.verdict == Verdict::Unreadable) return ReadFailure(source.error());
  return inspection.accepted() ? L"" : inspection.reason;
}

PictureDecoder* Choose(Decoder choice) {
  switch (choice) {
    case Decoder::Wic: return WicDecoder();
    case Decoder::GdiPlus: return GdiPlusDecoder();
    case Decoder::Automatic: break;
  }
  if (PictureDecoder* wic = WicDecoder()) return wic;
  return GdiPlusDecoder();
}

void FillWhite(Picture& picture) {
  const int bytes = picture.bytesPerPixel();
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < picture.width(); ++x, p += bytes) {
      p[0] = p[1] = p[2] = 255;
      if (bytes == 4) p[3] = 0;
    }
  }
}

LoadOutcome Load(const std::wstring& path, int bitsPerPixel, Decoder choice) {
  // Held open, shared for reading only, until decoding ends: nobody can
  // change or replace the file between the header check and the decoder's read.
  UniqueFile file;
  if (std::wstring why = OpenPictureFile(path, file); !why.empty()) return Fail(std::move(why));
  FileSource source(file.get());
  Inspection inspection;
  if (std::wstring why = Inspect(source, inspection); !why.empty()) return Fail(std::move(why));
  source.Release();
  const PictureHeader& header = inspection.header;

  PictureDecoder* decoder = Choose(choice);
  if (!decoder) return Fail(NoDecoderSentence());

  LoadOutcome out;
  out.picture = Picture::Create(static_cast<int>(header.width), static_cast<int>(header.height), bitsPerPixel);
  if (!out.picture) return Fail(DecodeFailure(DecodeStatus::OutOfMemory, header, false));

  // Only a GIF's first image can leave part of the screen uncovered; the
  // screen clips an image that reaches past it.
  const FrameRect& first = header.first_frame;
  FrameRect place{first.left, first.top, 0, 0};
  place.width = first.left < header.width ? std::min(first.width, header.width - first.left) : 0;
  place.height = first.top < header.height ? std::min(first.height, header.height - first.top) : 0;
  if (place.width != header.width || place.height != header.height) FillWhite(out.picture);

  const DecodeStatus status = decoder->Decode(path, header, place, out.picture);
  if (status != DecodeStatus::Decoded)
    return Fail(DecodeFailure(status, header, header.format == PictureFormat::Jpeg && JpegEndsEarly(source)));
  return out;
}

}  // namespace

std::wstring WhyNotABmpFile(const std::wstring& path, std::uint32_t* width, std::uint32_t* height) {
  UniqueFile file;
  if (std::wstring why = OpenPictureFile(path, file); !why.empty()) return why;
  FileSource source(file.get());
  Inspection inspection;
  if (std::wstring why = Inspect(source, inspection); !why.empty()) return why;
  if (inspection.header.format != PictureFormat::Bmp)
    return texts::NotABmpFile(FormatName(inspection.header.format));
  if (width) *width = inspection.header.width;
  if (height) *height = inspection.header.height;
  return L"";
}

LoadOutcome LoadPictureFile(const std::wstring& path, int bitsPerPixel, Decoder decoder) {
  if (path.empty()) return Fail(texts::kNoFileNamed);
  try {
    return Load(path, bitsPerPixel, decoder);
  } catch (const std::bad_alloc&) {  // a strip or a message; the picture itself is a DIB
    return Fail(DecodeFailure(DecodeStatus::OutOfMemory, PictureHeader{}, false));
  }
}

}  // namespace velmora::convert
