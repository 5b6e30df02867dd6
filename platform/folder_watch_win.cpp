#include "platform/folder_watch_win.h"

namespace velmora {

FolderWatch::FolderWatch(HWND window, UINT message, const std::vector<std::wstring>& folders)
    : window_(window), message_(message), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  // A file replaced by a move (as a careful save does) is a change of names.
  constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
  for (const std::wstring& folder : folders) {
    UniqueChangeNotification watch(FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges));
    if (watch && folders_.size() + 1 < MAXIMUM_WAIT_OBJECTS) folders_.push_back(std::move(watch));
  }
  if (stop_ && !folders_.empty()) thread_.reset(CreateThread(nullptr, 0, &FolderWatch::Run, this, 0, nullptr));
}

FolderWatch::~FolderWatch() {
  if (!thread_) return;
  SetEvent(stop_.get());
  WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI FolderWatch::Run(void* self) {
  static_cast<FolderWatch*>(self)->Watch();
  return 0;
}

void FolderWatch::Watch() {
  std::vector<HANDLE> events{stop_.get()};
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
