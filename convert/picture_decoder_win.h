#pragma once
// One loading interface over the two decoders Windows may have: WIC, built
// into Vista and later (on XP only when installed separately), and GDI+ 1.0,
// part of every Windows from XP on. The loader checks the header, makes the
// picture and words every failure; a decoder only turns the file's first
// frame into pixels.
#include <string>

#include "convert/load_messages_win.h"
#include "convert/picture_header.h"
#include "platform/picture_win.h"

namespace velmora::convert {

class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;
  // Writes the first frame of the file at `path` into `picture`, which is the
  // header's size (a GIF's logical screen) and already white outside `place`:
  // the first frame's rectangle, clipped to the picture. Fails rather than
  // writing anything else when the file does not hold what the header said.
  virtual DecodeStatus Decode(const std::wstring& path, const PictureHeader& header, const FrameRect& place,
                              Picture& picture) = 0;
};

// Each null where Windows cannot start that decoder. WIC's factory belongs
// to the calling thread, which must have COM initialised for its life; GDI+
// is started once for the process and left running until it ends.
PictureDecoder* WicDecoder();
PictureDecoder* GdiPlusDecoder();

}  // namespace velmora::convert
