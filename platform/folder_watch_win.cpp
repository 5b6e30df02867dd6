#include "platform/folder_watch_win.h"

namespace velmora {
namespace {

// A file replaced by a move (as a careful save does) is a change of names.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

std::vector<UniqueChangeNotification> WatchFolders(const std::vector<std::wstring>& folders) {
  std::vector<UniqueChangeNotification> watches;
  for (const std::wstring& folder : folders) {
    UniqueChangeNotification watch(FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges));
    if (watch && watches.size() + 1 < MAXIMUM_WAIT_OBJECTS) watches.push_back(std::move(watch));
  }
  return watches;
}

}  // namespace

FolderWatch::FolderWatch(HWND window, UINT message, const std::vector<std::wstring>& folders)
    : window_(window), message_(message), folders_(WatchFolders(folders)),
      thread_([this](HANDLE stop) { if (!folders_.empty()) Watch(stop); }) {}

void FolderWatch::Watch(HANDLE stop) {
  std::vector<HANDLE> events{stop};
  for (const UniqueChangeNotification& folder : folders_) events.push_back(folder.get());
  for (;;) {
    const DWORD signalled = WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, INFINITE);
    if (signalled <= WAIT_OBJECT_0 || signalled >= WAIT_OBJECT_0 + events.size()) return;
    PostMessageW(window_, message_, 0, 0);
    // Re-armed after the notice: a change from now on signals again, and the
    // window reads the files after this one.
    if (!FindNextChangeNotification(events[signalled - WAIT_OBJECT_0])) return;
  }
}

}  // namespace velmora
