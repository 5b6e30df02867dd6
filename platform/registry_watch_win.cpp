#include "platform/registry_watch_win.h"

namespace velmora {
namespace {

std::wstring Parent(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

// The nearest key on the path that exists: the key itself, or an ancestor
// under which it may yet be made. The user's own hive always opens.
UniqueKey OpenNearest(std::wstring& path) {
  for (;;) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_NOTIFY, &opened) == ERROR_SUCCESS)
      return UniqueKey(opened);
    if (path.empty()) return UniqueKey();
    path = Parent(path);
  }
}

}  // namespace

RegistryWatch::RegistryWatch(HWND window, UINT message, std::wstring subKey)
    : window_(window), message_(message), subKey_(std::move(subKey)),
      changed_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      thread_([this](HANDLE stop) { if (changed_) Watch(stop); }) {}

void RegistryWatch::Watch(HANDLE stop) {
  for (;;) {
    // Two watches: the values of the key, and the names under its parent,
    // which is where the key itself is deleted or made. Measured under Wine
    // 8: a watch on the key alone heard nothing when RegDeleteTree took the
    // key and its values. When the key is missing, its nearest ancestor is
    // watched for it to appear.
    std::wstring path = subKey_;
    UniqueKey key = OpenNearest(path);
    const bool present = key && path == subKey_;
    if (present) path = Parent(path);
    UniqueKey parent = present ? OpenNearest(path) : std::move(key);
    bool armed = parent && RegNotifyChangeKeyValue(parent.get(), !present, REG_NOTIFY_CHANGE_NAME, changed_.get(),
                                                   TRUE) == ERROR_SUCCESS;
    if (armed && present)
      armed = RegNotifyChangeKeyValue(key.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed_.get(), TRUE) ==
              ERROR_SUCCESS;
    if (!armed) {
      // Gone between the open and the request: look again in a moment.
      if (WaitForSingleObject(stop, 1000) != WAIT_TIMEOUT) return;
      continue;
    }
    // Told after the watches are armed, not when one fires: whatever changed
    // before they were armed is then read by the window, and whatever
    // changes after fires them again. Either watch sets the one event.
    PostMessageW(window_, message_, 0, 0);
    const HANDLE events[] = {stop, changed_.get()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) return;
  }
}

}  // namespace velmora
