#include <windows.h>

#include <gtest/gtest.h>

#include "registry/system_registry.h"
#include "shared/registry_contract.h"

namespace velmora {
namespace {

class AdvapiBackend final : public contract::RegistryBackend {
 public:
  registry::RegistryService& Service() override { return *service; }
  const registry::AnsiCodec& Codec() override { return *codec; }
  void CreateTestKey() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, contract::kTestSubKey, 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void DeleteTestKey() override { RegDeleteTreeA(HKEY_CURRENT_USER, contract::kTestSubKey); }
  void PutRaw(const std::string& name, std::uint32_t type, const std::string& bytes) override {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, contract::kTestSubKey, 0, KEY_WRITE, &key), 0);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
  std::optional<std::string> GetRaw(const std::string& name) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, contract::kTestSubKey, 0, KEY_READ, &key)) return std::nullopt;
    std::string data(64 * 1024, '\0');
    DWORD size = static_cast<DWORD>(data.size()), type = 0;
    const LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    return data;
  }
  std::unique_ptr<registry::RegistryService> service = registry::MakeSystemRegistry();
  std::unique_ptr<registry::AnsiCodec> codec = registry::MakeSystemAnsiCodec();
};

using contract::RegistryContract;
INSTANTIATE_TEST_SUITE_P(Advapi32, RegistryContract,
                         ::testing::Values(contract::BackendFactory(
                             [] { return std::make_unique<AdvapiBackend>(); })),
                         [](const auto&) { return std::string("Store"); });

}  // namespace
}  // namespace velmora
