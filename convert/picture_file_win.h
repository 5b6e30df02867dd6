#pragma once
// A picture file opened for the loader: held open, shared for reading only,
// from the header check until decoding ends, so nobody can change or replace
// it in between; and read through a growing window for the header walk.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/picture_header.h"
#include "platform/handles_win.h"

namespace velmora::convert {

// Opens an ordinary file for reading; the empty text, or why not. A device
// or a folder is no picture file, however it answers when opened.
std::wstring OpenPictureFile(const std::wstring& path, UniqueFile& file);

// The open file, read through a window for the header walk, which asks for a
// few bytes at a time. A read that carries on from the last is twice as long,
// up to 1 MiB: a GIF's walk reads the whole file, and under Wine each ReadFile
// costs far more than its bytes (a 4000 x 3000 GIF's walk took about 7 ms in
// 64 KiB reads, 3 in 256 KiB ones), while a header in the first 64 KiB costs
// one read of that size. The window is committed memory that no one touches
// beyond what was read, and it goes back to Windows whole when released.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(HANDLE file);
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override;
  DWORD error() const { return error_; }
  // Gives the window back (a later read takes a new one), so that it does not
  // sit beside the decoder's pixels and ours.
  void Release();

 private:
  std::uint8_t* window() const { return static_cast<std::uint8_t*>(window_.get()); }
  bool Fill(std::uint64_t at);

  HANDLE file_;
  std::uint64_t size_ = 0;
  UniqueVirtualMemory window_;
  std::size_t read_ = 0;  // the last read's length
  std::uint64_t start_ = 0;
  std::uint64_t length_ = 0;
  DWORD error_ = ERROR_SUCCESS;
};

// A JPEG ends with its end-of-image marker. The header walk stops at the
// first scan, so a file cut short there is only found out when the decoder
// fails; this tells that apart from a damaged one.
bool JpegEndsEarly(ByteSource& source);

}  // namespace velmora::convert
