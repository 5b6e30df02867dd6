#pragma once
// Decoded pictures, kept by the file they came from: a file another box
// shows, unchanged since it was read, is not decoded again. Both families
// and the preview tiles often show the same file, and a large one costs its
// width x height x 4 bytes a copy.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "platform/picture_box_win.h"

namespace velmora {

class PictureCache {
 public:
  // Loads the file into the box; the empty text, or a sentence saying why
  // not, and then the box keeps what it held.
  std::wstring LoadInto(PictureBox& box, const std::wstring& path, int bitsPerPixel = 32);
  // The box shows what another shows, from the same file.
  void Share(PictureBox& to, const PictureBox& from);
  void Forget(const PictureBox& box);
  // The file the box's picture came from, or the empty text.
  std::wstring PathOf(const PictureBox& box) const;
  // True when the file at the path is not what the box shows: written
  // since, gone, or there although the box shows something else.
  bool Changed(const PictureBox& box, const std::wstring& path) const;

 private:
  // The file a picture came from, and how it stood when read.
  struct Source {
    std::wstring path;
    FILETIME written{};
    ULONGLONG size = 0;
    bool SameAs(const Source& o) const {
      return path == o.path && size == o.size && CompareFileTime(&written, &o.written) == 0;
    }
  };
  static bool Stamp(const std::wstring& path, Source& source);
  std::shared_ptr<const SharedPicture> ShownAlready(const Source& file, int bitsPerPixel) const;

  std::map<const PictureBox*, Source> sources_;
};

}  // namespace velmora
