#pragma once
// A path made full from the working folder, as the system makes it: the
// empty text when it cannot be.
#include <windows.h>

#include <string>
#include <vector>

namespace velmora {

inline std::wstring FullPathName(const std::wstring& path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {  // a path past MAX_PATH asks again with the room it needs
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(n);
  }
}

}  // namespace velmora
