#include "convert/picture_file_win.h"

#include <algorithm>
#include <cstring>

#include "convert/load_messages_win.h"
#include "platform/file_names.h"
#include "platform/texts.h"

namespace velmora::convert {
namespace {

constexpr std::size_t kFirstReadBytes = 64 * 1024;
constexpr std::size_t kMostReadBytes = 1024 * 1024;

}  // namespace

std::wstring OpenPictureFile(const std::wstring& path, UniqueFile& file) {
  if (IsDeviceName(path)) return texts::kDeviceNotFile;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return texts::kFolderNotFile;
  file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return OpenFailure(GetLastError());
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return texts::kDeviceNotFile;
  return L"";
}

FileSource::FileSource(HANDLE file) : file_(file) {
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size)) size_ = static_cast<std::uint64_t>(size.QuadPart);
  else error_ = GetLastError();
}

std::size_t FileSource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const std::uint64_t at = offset + done;
    if (at < start_ || at >= start_ + length_) {
      if (!Fill(at)) break;
      continue;
    }
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(count - done, start_ + length_ - at));
    std::memcpy(out + done, window() + (at - start_), n);
    done += n;
  }
  return done;
}

void FileSource::Release() {
  window_.reset();
  length_ = 0;
}

bool FileSource::Fill(std::uint64_t at) {
  if (!window_) {
    window_.reset(VirtualAlloc(nullptr, kMostReadBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!window_) {
      error_ = GetLastError();
      return false;
    }
  }
  const bool carries_on = length_ > 0 && at >= start_ + length_ && at < start_ + length_ + read_;
  read_ = carries_on ? std::min(read_ * 2, kMostReadBytes) : kFirstReadBytes;
  OVERLAPPED where{};  // on a synchronous handle, only the offset counts
  where.Offset = static_cast<DWORD>(at);
  where.OffsetHigh = static_cast<DWORD>(at >> 32);
  DWORD got = 0;
  if (!ReadFile(file_, window(), static_cast<DWORD>(read_), &got, &where)) {
    if (GetLastError() != ERROR_HANDLE_EOF) error_ = GetLastError();
    return false;
  }
  start_ = at;
  length_ = got;
  return got > 0;
}

bool JpegEndsEarly(ByteSource& source) {
  std::uint8_t tail[2]{};
  const std::uint64_t size = source.Size();
  return size < 2 || source.ReadAt(size - 2, tail, 2) != 2 || tail[0] != 0xFF || tail[1] != 0xD9;
}

}  // namespace velmora::convert
