#include "registry/reg_functions.h"

#include <algorithm>
#include <array>
#include <string_view>
#include "platform/texts.h"

namespace velmora::registry {
namespace {

struct RootName {
  const wchar_t* name;
  RootKey handle;
};
constexpr std::array<RootName, 7> kRoots{{
    {L"HKEY_CLASSES_ROOT", 0x80000000},
    {L"HKEY_CURRENT_USER", 0x80000001},
    {L"HKEY_LOCAL_MACHINE", 0x80000002},
    {L"HKEY_USERS", 0x80000003},
    {L"HKEY_PERFORMANCE_DATA", 0x80000004},
    {L"HKEY_CURRENT_CONFIG", 0x80000005},
    {L"HKEY_DYN_DATA", 0x80000006},
}};

constexpr std::uint32_t kFirstBufferLen = 255;

bool IsWellFormed(const std::wstring& path) {
  return path.starts_with(L"HKEY_") && !path.ends_with(L'\\');
}

}  // namespace

RootKey modRegistryFunctions::RootKeyFromName(const std::wstring& rootName) {
  for (const RootName& root : kRoots)
    if (rootName == root.name) return root.handle;
  return 0;
}

void modRegistryFunctions::SplitKeyPath(std::wstring& path, RootKey& root) {
  if (!IsWellFormed(path)) {
    boxes_.Show(texts::IncorrectFormat(path), L"", kOkOnly);
    root = 0;
    return;
  }
  const std::size_t p = path.find(L'\\');
  if (p == std::wstring::npos) {
    root = RootKeyFromName(path);
    path.clear();
    return;
  }
  root = RootKeyFromName(path.substr(0, p));
  path.erase(0, p + 1);
}

std::wstring modRegistryFunctions::ReadRegString(std::wstring keyPath,
                                                 const std::wstring& valueName) {
  valueTooLong_ = false;
  SplitKeyPath(keyPath, hRootKey);
  if (hRootKey == 0) return L"";
  const auto subKey = codec_.ToAnsiExact(keyPath);
  const auto name = codec_.ToAnsiExact(valueName);
  if (!subKey || !name) return kReadError;  // no ANSI name can reach it

  lngLastResult = service_.OpenKey(hRootKey, *subKey, kKeyRead, &hOpenKey);
  if (lngLastResult != kSuccess) {
    hOpenKey = 0;
    return kReadError;
  }
  std::uint32_t type = kRegSz;
  strValueBuffer.assign(kFirstBufferLen, ' ');
  lngValueBufferLen = kFirstBufferLen;
  lngLastResult = service_.QueryValue(hOpenKey, *name, &type,
                                      strValueBuffer.data(), &lngValueBufferLen);
  if (lngLastResult == kMoreData && lngValueBufferLen <= kLargestValue) {
    // A full path can be longer than the first buffer holds; the service has
    // said how much it needs, so ask once more with that much room.
    type = kRegSz;
    strValueBuffer.assign(lngValueBufferLen, ' ');
    lngLastResult = service_.QueryValue(hOpenKey, *name, &type,
                                        strValueBuffer.data(), &lngValueBufferLen);
  }
  valueTooLong_ = lngLastResult == kMoreData && lngValueBufferLen > kLargestValue;
  const long queried = lngLastResult;
  lngLastResult = service_.CloseKey(hOpenKey);
  hOpenKey = 0;
  if (queried != kSuccess) return kReadError;
  // A number or a blob written by another tool is not a path.
  if (type != kRegSz && type != kRegExpandSz) return kReadError;

  // Only the bytes the service wrote count, so a value stored without its
  // terminating NUL keeps its last character.
  std::string_view data(strValueBuffer.data(),
                        std::min<std::size_t>(lngValueBufferLen, strValueBuffer.size()));
  if (!data.empty() && data.back() == '\0') data.remove_suffix(1);
  const std::size_t first = data.find_first_not_of(' ');
  data = first == std::string_view::npos ? std::string_view() : data.substr(first);
  return codec_.FromAnsi(data);
}

void modRegistryFunctions::WriteRegString(std::wstring keyPath,
                                          const std::wstring& valueName,
                                          const std::wstring& data) {
  lastWrite_ = kFileNotFound;
  SplitKeyPath(keyPath, hRootKey);
  if (hRootKey == 0) return;
  const auto subKey = codec_.ToAnsiExact(keyPath);
  const auto name = codec_.ToAnsiExact(valueName);
  const auto bytes = codec_.ToAnsiExact(data);
  // A character the code page cannot hold would store another path.
  lastWrite_ = kInvalidText;
  if (!subKey || !name || !bytes) return;

  lastWrite_ = lngLastResult = service_.OpenKey(hRootKey, *subKey, kKeyWrite, &hOpenKey);
  if (lngLastResult != kSuccess) {
    hOpenKey = 0;
    return;
  }
  // The size of a string value counts its bytes in the code page and the
  // terminating NUL; a count of characters cuts multi-byte text short.
  lastWrite_ = lngLastResult = service_.SetValue(hOpenKey, *name, kRegSz, bytes->c_str(),
                                                 static_cast<std::uint32_t>(bytes->size() + 1));
  lngLastResult = service_.CloseKey(hOpenKey);
  hOpenKey = 0;
}

}  // namespace velmora::registry
