#pragma once
// Watches a key of the current user from a thread of its own and posts a
// message to a window when a value in it changes, or when the key appears or
// goes away. The thread sleeps in the registry's own wait: nothing polls.
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace velmora {

class RegistryWatch {
 public:
  RegistryWatch(HWND window, UINT message, std::wstring subKey);
  ~RegistryWatch();  // stops the thread and waits for it
  RegistryWatch(const RegistryWatch&) = delete;
  RegistryWatch& operator=(const RegistryWatch&) = delete;

 private:
  static DWORD WINAPI Run(void* self);
  void Watch();

  HWND window_;
  UINT message_;
  std::wstring subKey_;
  UniqueEvent stop_, changed_;
  // A plain Win32 thread: std::thread's waits import GetTickCount64, which
  // Windows XP's kernel32 lacks, and XP's loader then refuses the program.
  UniqueThread thread_;
};

}  // namespace velmora
