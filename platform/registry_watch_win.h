#pragma once
// Watches a key of the current user from a thread of its own and posts a
// message to a window when a value in it changes, or when the key appears or
// goes away. The thread sleeps in the registry's own wait: nothing polls.
#include <windows.h>

#include <string>

#include "platform/handles_win.h"
#include "platform/watch_thread_win.h"

namespace velmora {

class RegistryWatch {
 public:
  RegistryWatch(HWND window, UINT message, std::wstring subKey);

 private:
  void Watch(HANDLE stop);

  HWND window_;
  UINT message_;
  std::wstring subKey_;
  UniqueEvent changed_;
  WatchThread thread_;  // last: stopped before the rest goes
};

}  // namespace velmora
