#include "fakes/fake_registry.h"

#include <cstring>

namespace velmora::fakes {
namespace {
constexpr std::uint32_t kQueryValue = 0x1, kSetValue = 0x2;  // KEY_QUERY_VALUE, KEY_SET_VALUE
}  // namespace

std::string FakeRegistry::KeyName(registry::RootKey root, const std::string& subKey) {
  return std::to_string(root) + "\\" + subKey;
}

void FakeRegistry::CreateKey(registry::RootKey root, const std::string& subKey) {
  keys_.insert(KeyName(root, subKey));
}

void FakeRegistry::PutRaw(registry::RootKey root, const std::string& subKey,
                          const std::string& name, std::uint32_t type, std::string bytes) {
  CreateKey(root, subKey);
  values_[KeyName(root, subKey)][name] = Value{type, std::move(bytes)};
}

const std::string* FakeRegistry::Raw(registry::RootKey root, const std::string& subKey,
                                     const std::string& name) const {
  auto key = values_.find(KeyName(root, subKey));
  if (key == values_.end()) return nullptr;
  auto value = key->second.find(name);
  return value == key->second.end() ? nullptr : &value->second.bytes;
}

long FakeRegistry::OpenKey(registry::RootKey root, const std::string& subKey,
                           std::uint32_t access, registry::KeyHandle* key) {
  *key = 0;
  if (root < 0x80000000u || root > 0x80000006u) return 6;  // ERROR_INVALID_HANDLE
  const std::string name = KeyName(root, subKey);
  if (!subKey.empty() && !keys_.count(name)) return registry::kFileNotFound;
  *key = next_++;
  open_[*key] = Open{name, access};
  return registry::kSuccess;
}

long FakeRegistry::QueryValue(registry::KeyHandle key, const std::string& name,
                              std::uint32_t* type, char* data, std::uint32_t* size) {
  auto open = open_.find(key);
  if (open == open_.end()) return 6;
  if (!(open->second.access & kQueryValue)) return registry::kAccessDenied;
  auto values = values_.find(open->second.key);
  if (values == values_.end()) return registry::kFileNotFound;
  auto value = values->second.find(name);
  if (value == values->second.end()) return registry::kFileNotFound;
  const std::string& bytes = value->second.bytes;
  *type = value->second.type;
  if (data && *size < bytes.size()) {
    *size = static_cast<std::uint32_t>(bytes.size());
    return registry::kMoreData;
  }
  if (data) std::memcpy(data, bytes.data(), bytes.size());
  *size = static_cast<std::uint32_t>(bytes.size());
  return registry::kSuccess;
}

long FakeRegistry::SetValue(registry::KeyHandle key, const std::string& name,
                            std::uint32_t type, const char* data, std::uint32_t size) {
  setNames.push_back(name);
  auto open = open_.find(key);
  if (open == open_.end()) return 6;
  if (!(open->second.access & kSetValue)) return registry::kAccessDenied;
  if (failSet) return failSet;
  values_[open->second.key][name] = Value{type, std::string(data, size)};
  return registry::kSuccess;
}

long FakeRegistry::CloseKey(registry::KeyHandle key) {
  return open_.erase(key) ? registry::kSuccess : 6;
}

std::optional<std::string> FakeAnsiCodec::ToAnsiExact(std::wstring_view text) const {
  std::string out;
  for (wchar_t c : text) {
    if (c < 0x80 || c == 0xE9) out += static_cast<char>(c);
    else if (c == 0x4E2D) out += "\x92\x86";
    else return std::nullopt;
  }
  return out;
}

std::wstring FakeAnsiCodec::FromAnsi(std::string_view bytes) const {
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = bytes[i];
    if (c == 0x92 && i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) == 0x86) {
      out += wchar_t(0x4E2D);
      ++i;
    } else {
      out += wchar_t(c);
    }
  }
  return out;
}

}  // namespace velmora::fakes
