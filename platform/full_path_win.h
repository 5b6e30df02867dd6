#pragma once
// A path made full from the working folder, as the system makes it (the
// empty text when it cannot be), and the folder part of one.
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

// The folder a full path names its last part in: "C:\" keeps its backslash,
// "C:\Pictures" needs none. The empty text when there is no separator.
inline std::wstring FolderOf(const std::wstring& full) {
  const std::size_t cut = full.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  return full.substr(0, cut == 2 && full[1] == L':' ? 3 : cut);
}

}  // namespace velmora
