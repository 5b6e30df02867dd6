#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::registry {

using RootKey = std::uint32_t;    // a predefined root as its handle value
using KeyHandle = std::uintptr_t;

// advapi32's own numbers: access masks, value types and the Win32 error
// codes its functions answer.
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kMoreData = 234;

// The four registry operations in their ANSI forms: advapi32 under Windows,
// a map in the native tests. Success is 0, any failure is not.
class RegistryService {
 public:
  virtual ~RegistryService() = default;
  virtual long OpenKey(RootKey root, const std::string& subKey,
                       std::uint32_t access, KeyHandle* key) = 0;
  // data may be null to ask for the size alone; *size is in bytes both ways.
  virtual long QueryValue(KeyHandle key, const std::string& name,
                          std::uint32_t* type, char* data,
                          std::uint32_t* size) = 0;
  virtual long SetValue(KeyHandle key, const std::string& name,
                        std::uint32_t type, const char* data,
                        std::uint32_t size) = 0;
  virtual long CloseKey(KeyHandle key) = 0;
};

// Text crossing to the ANSI functions, in the system's ANSI code page.
class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // nullopt when any character would be replaced: a changed path is another file.
  virtual std::optional<std::string> ToAnsiExact(std::wstring_view text) const = 0;
  virtual std::wstring FromAnsi(std::string_view bytes) const = 0;
};

}  // namespace velmora::registry
