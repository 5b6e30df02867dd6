#include "convert/save_bmp_win.h"

#include <cstdio>
#include <new>
#include <optional>
#include <string_view>

#include "convert/bmp_writer.h"
#include "platform/file_names.h"
#include "platform/full_path_win.h"
#include "platform/handles_win.h"
#include "platform/texts.h"

namespace velmora::convert {
namespace {

// Virus scanners and indexers hold a new file briefly: 10 tries, waiting 25 ms
// longer each time (1.1 s in all) before giving up.
constexpr int kMoveTries = 10;
constexpr DWORD kMoveBackoffMs = 25;

std::wstring WriteFailure(DWORD code) {
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return texts::DiskFull();
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return texts::kWriteDenied;
  }
  return texts::NotWritten(code);
}

std::wstring InFolder(const std::wstring& folder, const wchar_t* name) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path + name;
}

// A number as TemporaryFile's names write it: 1 to 8 lowercase hex digits,
// no leading zero.
bool ParseHex(std::wstring_view text, DWORD& value) {
  if (text.empty() || text.size() > 8 || (text[0] == L'0' && text.size() > 1)) return false;
  value = 0;
  for (const wchar_t c : text) {
    const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
    if (digit < 0) return false;
    value = value * 16 + static_cast<DWORD>(digit);
  }
  return true;
}

// The process that made a temporary file named "~velmora-<pid>-<n>.tmp", as
// TemporaryFile names them; nothing for any other name, however close.
std::optional<DWORD> TemporaryFileOwner(std::wstring_view name) {
  constexpr std::wstring_view kStart = L"~velmora-", kEnd = L".tmp";
  if (name.size() < kStart.size() + kEnd.size() || !name.starts_with(kStart) || !name.ends_with(kEnd)) return {};
  const std::wstring_view middle = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
  const std::size_t dash = middle.find(L'-');
  DWORD pid = 0, counter = 0;
  if (dash == std::wstring_view::npos || !ParseHex(middle.substr(0, dash), pid) ||
      !ParseHex(middle.substr(dash + 1), counter) || pid == 0)
    return {};
  return pid;
}

// No such process, or one that has ended but is still held open. A process
// we may not open (another user's) is running as far as we can tell.
bool HasEnded(DWORD pid) {
  const UniqueProcess process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

// A save killed midway leaves its temporary file beside the target. A file
// whose process still runs stays: that may be another Velmora saving now.
void RemoveLeftovers(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const UniqueFind search(FindFirstFileW(InFolder(folder, L"~velmora-*.tmp").c_str(), &found));
  if (!search) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::optional<DWORD> owner = TemporaryFileOwner(found.cFileName);
    if (owner && HasEnded(*owner)) DeleteFileW(InFolder(folder, found.cFileName).c_str());
  } while (FindNextFileW(search.get(), &found));
}

// A file being written beside the target: deleted when it goes out of scope
// unless it has been moved into the target's place.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    handle_.reset();
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  // Creates a new, unique file in `folder`; answers the Windows error, or 0.
  DWORD Create(const std::wstring& folder) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      wchar_t name[64];
      std::swprintf(name, 64, L"~velmora-%lx-%x.tmp", GetCurrentProcessId(), ++counter);
      std::wstring path = InFolder(folder, name);
      handle_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
      if (handle_) {
        path_ = std::move(path);
        return ERROR_SUCCESS;
      }
      if (GetLastError() != ERROR_FILE_EXISTS) return GetLastError();
    }
    return ERROR_FILE_EXISTS;
  }
  HANDLE handle() const { return handle_.get(); }
  const std::wstring& path() const { return path_; }
  void Close() { handle_.reset(); }
  void Kept() { path_.clear(); }

 private:
  UniqueFile handle_;
  std::wstring path_;
};

// Under Wine a target open in another program refuses the move with access
// denied; Windows may say sharing or lock violation.
bool HeldByAnother(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION;
}

std::wstring Save(const Picture& picture, const std::wstring& path) {
  const auto width = static_cast<std::uint32_t>(picture.width());
  const auto height = static_cast<std::uint32_t>(picture.height());
  if (!Bmp24FileSize(width, height)) return texts::kTooLargeForBmp;
  if (path.empty()) return texts::kNoFileName;
  // Asked first: GetFullPathName makes "CON.bmp" \\.\CON in any folder, and
  // the sentence would then be about a folder named "\\.".
  if (IsDeviceName(path)) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    return texts::DeviceNameForBmp(path.substr(slash == std::wstring::npos ? 0 : slash + 1));
  }

  const std::wstring full = FullPathName(path);
  const std::size_t cut = full.find_last_of(L"\\/");
  if (full.empty() || cut == std::wstring::npos) return texts::kNameNotValid;
  if (cut + 1 == full.size()) return texts::kNameIsFolder;
  const std::wstring folder = FolderOf(full);

  const DWORD target = GetFileAttributesW(full.c_str());
  if (target != INVALID_FILE_ATTRIBUTES) {
    if (target & FILE_ATTRIBUTE_DIRECTORY)
      return texts::kFolderOfThatName;
    if (target & FILE_ATTRIBUTE_READONLY)
      return texts::kReadOnly;
  }
  const DWORD in = GetFileAttributesW(folder.c_str());
  if (in == INVALID_FILE_ATTRIBUTES || !(in & FILE_ATTRIBUTE_DIRECTORY))
    return texts::NoFolder(folder);

  RemoveLeftovers(folder);
  TemporaryFile temp;
  if (const DWORD error = temp.Create(folder)) return WriteFailure(error);

  DWORD write_error = ERROR_SUCCESS;
  const RowSource rows = [&picture](std::uint32_t y) { return picture.row(static_cast<int>(y)); };
  const ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
    DWORD written = 0;
    if (!WriteFile(temp.handle(), data, static_cast<DWORD>(size), &written, nullptr)) {
      write_error = GetLastError();
      return false;
    }
    if (written != size) write_error = ERROR_DISK_FULL;  // a short write means no room
    return written == size;
  };
  const BmpWrite written =
      picture.bottomUpRows()
          ? WriteBmp24Block(width, height, picture.bottomUpRows(), sink)
          : WriteBmp24(width, height, rows, sink, static_cast<std::uint32_t>(picture.bytesPerPixel()));
  if (written != BmpWrite::Written) return WriteFailure(write_error);
  // On disk before it takes the target's name: a crash after the move must not
  // leave a name pointing at unwritten blocks.
  if (!FlushFileBuffers(temp.handle())) return WriteFailure(GetLastError());
  temp.Close();

  DWORD move_error = ERROR_SUCCESS;
  for (int attempt = 1; attempt <= kMoveTries; ++attempt) {
    if (MoveFileExW(temp.path().c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      temp.Kept();
      return {};
    }
    move_error = GetLastError();
    if (!HeldByAnother(move_error) || attempt == kMoveTries) break;
    Sleep(kMoveBackoffMs * attempt);
  }
  if (HeldByAnother(move_error))
    return texts::HeldByAnother();
  if (move_error == ERROR_INVALID_NAME) return texts::kNameNotValid;
  return texts::NotNamed(move_error);
}

}  // namespace

std::wstring SavePictureAsBmp(const Picture& picture, const std::wstring& path) {
  if (!picture) return texts::kNoPictureToSave;
  try {
    return Save(picture, path);
  } catch (const std::bad_alloc&) {  // the temporary file, if made, is gone with its owner
    return texts::NoMemoryToSave();
  }
}

}  // namespace velmora::convert
