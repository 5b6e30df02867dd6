#pragma once
// Watches folders from a thread of its own and posts a message to a window
// when a file in one of them is made, renamed, deleted or written. The
// thread sleeps in the system's own wait: nothing polls. Windows XP has
// these notifications; they say that something changed, not what.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/watch_thread_win.h"

namespace velmora {

class FolderWatch {
 public:
  // A folder that cannot be watched (gone, or on a share that does not
  // notify) is left out; the others are still watched.
  FolderWatch(HWND window, UINT message, const std::vector<std::wstring>& folders);

 private:
  void Watch(HANDLE stop);

  HWND window_;
  UINT message_;
  std::vector<UniqueChangeNotification> folders_;
  WatchThread thread_;  // last: stopped before the rest goes
};

}  // namespace velmora
