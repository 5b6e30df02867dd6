#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "registry/registry_service.h"

namespace velmora::fakes {

// An in-memory registry that answers as advapi32 does under Wine: 2 for a
// missing key or value, 234 with the needed size for a short buffer (buffer
// untouched), 5 for a read or write the handle's access was not asked for.
// Names must match exactly, which is stricter than Windows. It can be told to fail.
class FakeRegistry final : public registry::RegistryService {
 public:
  void CreateKey(registry::RootKey root, const std::string& subKey);
  void PutRaw(registry::RootKey root, const std::string& subKey,
              const std::string& name, std::uint32_t type, std::string bytes);
  const std::string* Raw(registry::RootKey root, const std::string& subKey,
                         const std::string& name) const;

  long OpenKey(registry::RootKey root, const std::string& subKey,
               std::uint32_t access, registry::KeyHandle* key) override;
  long QueryValue(registry::KeyHandle key, const std::string& name,
                  std::uint32_t* type, char* data, std::uint32_t* size) override;
  long SetValue(registry::KeyHandle key, const std::string& name,
                std::uint32_t type, const char* data, std::uint32_t size) override;
  long CloseKey(registry::KeyHandle key) override;

  long failSet = 0;     // non-zero: SetValue answers this and changes nothing
  int openKeys() const { return static_cast<int>(open_.size()); }
  std::vector<std::string> setNames;  // every value SetValue was asked to write, in order

 private:
  struct Value { std::uint32_t type; std::string bytes; };
  static std::string KeyName(registry::RootKey root, const std::string& subKey);
  std::set<std::string> keys_;
  std::map<std::string, std::map<std::string, Value>> values_;
  struct Open { std::string key; std::uint32_t access; };
  std::map<registry::KeyHandle, Open> open_;
  registry::KeyHandle next_ = 0x100;
};

// A code page that holds ASCII, e-acute as one byte, and one CJK character
// as two bytes, so multi-byte sizes are tested without a double-byte locale.
class FakeAnsiCodec final : public registry::AnsiCodec {
 public:
  std::optional<std::string> ToAnsiExact(std::wstring_view text) const override;
  std::wstring FromAnsi(std::string_view bytes) const override;
};

}  // namespace velmora::fakes
