#pragma once
#include <string>

#include "platform/message_box.h"
#include "registry/registry_service.h"

namespace velmora::registry {

inline constexpr wchar_t kToolbarKeyPath[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr wchar_t kExplorerValue[] = L"BackBitmap";
inline constexpr wchar_t kIEOEValue[] = L"BackBitmapIE5";
inline constexpr wchar_t kReadError[] = L"Error";

// The program's only road to the registry: string values in a key named by
// its full path, root name first. Reads answer with the value, the empty text
// or "Error"; writes are silent, and never create a key.
class modRegistryFunctions {
 public:
  modRegistryFunctions(RegistryService& service, const AnsiCodec& codec,
                       MessageBoxes& boxes)
      : service_(service), codec_(codec), boxes_(boxes) {}

  static RootKey RootKeyFromName(const std::wstring& rootName);
  // On return path holds the sub-key path; root is 0 when there is none.
  void SplitKeyPath(std::wstring& path, RootKey& root);
  std::wstring ReadRegString(std::wstring keyPath, const std::wstring& valueName);
  void WriteRegString(std::wstring keyPath, const std::wstring& valueName,
                      const std::wstring& data);

  // Values longer than this are not paths; reading stops there.
  static constexpr std::uint32_t kLargestValue = 32 * 1024;
  // Whether the last read gave "Error" because the value was longer than
  // that, rather than missing or unreadable.
  bool LastValueTooLong() const { return valueTooLong_; }
  // How the last write ended: kSuccess, or the service's failure number
  // (kFileNotFound when the key is missing). A text the code page cannot
  // hold counts as kInvalidText.
  long LastWriteResult() const { return lastWrite_; }
  static constexpr long kInvalidText = -1;

 private:
  RegistryService& service_;
  const AnsiCodec& codec_;
  MessageBoxes& boxes_;

  RootKey hRootKey = 0;
  KeyHandle hOpenKey = 0;
  long lngLastResult = 0;
  std::string strValueBuffer;
  std::uint32_t lngValueBufferLen = 0;
  bool valueTooLong_ = false;
  long lastWrite_ = kSuccess;
};

}  // namespace velmora::registry
