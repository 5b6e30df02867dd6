#pragma once
// The registry calls the tests need, in forms Windows XP SP2 has: the test
// programs load there too, and RegGetValue, RegSetKeyValue,
// RegDeleteKeyValue and RegDeleteTree came later.
#include <windows.h>

#include <string>

namespace velmora::testing_support {

// A string value's text, or `missing` when the key or value cannot be read.
inline std::wstring ReadString(const wchar_t* subKey, const wchar_t* name, const std::wstring& missing) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return missing;
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
  const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(data) : missing;
}

inline LONG WriteString(const wchar_t* subKey, const wchar_t* name, const std::wstring& data) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_SET_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status;
}

inline LONG DeleteValue(const wchar_t* subKey, const wchar_t* name) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_SET_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  status = RegDeleteValueW(key, name);
  RegCloseKey(key);
  return status;
}

// The key and everything under it, deepest first.
inline LONG DeleteTree(HKEY parent, const std::wstring& subKey) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  for (;;) {
    wchar_t child[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (DeleteTree(key, child) != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  return RegDeleteKeyW(parent, subKey.c_str());
}

}  // namespace velmora::testing_support
