#pragma once
// The thread a watch sleeps on: it runs until told to stop, and is stopped
// and waited for when its owner goes. A plain Win32 thread: std::thread's
// waits import GetTickCount64, which Windows XP's kernel32 lacks, and XP's
// loader then refuses the program.
#include <windows.h>

#include <functional>

#include "platform/handles_win.h"

namespace velmora {

class WatchThread {
 public:
  // `watch` waits on `stop` among its own events and returns once it is set.
  // Nothing runs when the event or the thread cannot be made.
  explicit WatchThread(std::function<void(HANDLE stop)> watch);
  ~WatchThread();
  WatchThread(const WatchThread&) = delete;
  WatchThread& operator=(const WatchThread&) = delete;

 private:
  static DWORD WINAPI Run(void* self);

  std::function<void(HANDLE stop)> watch_;
  UniqueEvent stop_;
  UniqueThread thread_;
};

inline WatchThread::WatchThread(std::function<void(HANDLE stop)> watch)
    : watch_(std::move(watch)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (stop_) thread_.reset(CreateThread(nullptr, 0, &WatchThread::Run, this, 0, nullptr));
}

inline WatchThread::~WatchThread() {
  if (!thread_) return;
  SetEvent(stop_.get());
  WaitForSingleObject(thread_.get(), INFINITE);
}

inline DWORD WINAPI WatchThread::Run(void* self) {
  auto* thread = static_cast<WatchThread*>(self);
  thread->watch_(thread->stop_.get());
  return 0;
}

}  // namespace velmora
