// The registry cases against advapi32 itself, in the test run's own prefix:
// what Windows stores and answers is the point, so no fake stands in here.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "fakes/fake_message_boxes.h"
#include "registry/reg_functions.h"
#include "registry/system_registry_win.h"
#include "shared/registry_keys_win.h"

namespace velmora {
namespace {

// A throwaway key, HKEY_CURRENT_USER\Software\Velmora Tests\Contract.
constexpr char kTestSubKey[] = "Software\\Velmora Tests\\Contract";
constexpr wchar_t kTestKeyPath[] = L"HKEY_CURRENT_USER\\Software\\Velmora Tests\\Contract";

void DeleteTestKey() { testing_support::DeleteTree(HKEY_CURRENT_USER, L"Software\\Velmora Tests\\Contract"); }

void PutRaw(const std::string& name, std::uint32_t type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestSubKey, 0, KEY_WRITE, &key), 0);
  RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

std::optional<std::string> GetRaw(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestSubKey, 0, KEY_READ, &key)) return std::nullopt;
  std::string data(64 * 1024, '\0');
  DWORD size = static_cast<DWORD>(data.size()), type = 0;
  const LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return data;
}

// Counts opens against closes, so a key left open shows.
class CountingRegistry final : public registry::RegistryService {
 public:
  explicit CountingRegistry(registry::RegistryService& inner) : inner_(inner) {}
  long OpenKey(registry::RootKey root, const std::string& sub, std::uint32_t access,
               registry::KeyHandle* key) override {
    const long r = inner_.OpenKey(root, sub, access, key);
    if (r == 0) ++open;
    return r;
  }
  long QueryValue(registry::KeyHandle key, const std::string& name, std::uint32_t* type,
                  char* data, std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long SetValue(registry::KeyHandle key, const std::string& name, std::uint32_t type,
                const char* data, std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  long CloseKey(registry::KeyHandle key) override {
    const long r = inner_.CloseKey(key);
    if (r == 0) --open;
    return r;
  }
  int open = 0;

 private:
  registry::RegistryService& inner_;
};

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTestKey();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override {
    EXPECT_EQ(counting_->open, 0) << "a key was left open";
    DeleteTestKey();
  }
  std::wstring Read(const std::wstring& name) { return module_->ReadRegString(kTestKeyPath, name); }
  void Write(const std::wstring& name, const std::wstring& data) { module_->WriteRegString(kTestKeyPath, name, data); }

  std::unique_ptr<registry::RegistryService> service_ = registry::MakeSystemRegistry();
  std::unique_ptr<registry::AnsiCodec> codec_ = registry::MakeSystemAnsiCodec();
  std::unique_ptr<CountingRegistry> counting_ = std::make_unique<CountingRegistry>(*service_);
  fakes::FakeMessageBoxes boxes_;
  std::unique_ptr<registry::modRegistryFunctions> module_ =
      std::make_unique<registry::modRegistryFunctions>(*counting_, *codec_, boxes_);
};

TEST_F(RegistryContract, PathsRoundTripWhateverTheirLength) {
  for (std::size_t length : {1u, 8u, 254u, 255u, 259u, 300u, 4000u}) {
    const std::wstring path = L"C:\\" + std::wstring(length > 7 ? length - 7 : 0, L'a') + L".bmp";
    Write(L"BackBitmap", path);
    EXPECT_EQ(Read(L"BackBitmap"), path) << "length " << path.size();
  }
  EXPECT_TRUE(boxes_.shown.empty());
}

// What a write stores, byte for byte, and what a read makes of what is stored.
TEST_F(RegistryContract, TheBytesStoredAndWhatAReadMakesOfThem) {
  Write(L"BackBitmap", L"C:\\a.bmp");
  EXPECT_EQ(GetRaw("BackBitmap"), std::string("C:\\a.bmp\0", 9));  // the size passed counts the NUL
  Write(L"BackBitmap", L"");
  EXPECT_EQ(GetRaw("BackBitmap"), std::string(1, '\0'));
  EXPECT_EQ(Read(L"BackBitmap"), L"");
  Write(L"BackBitmap", L"  C:\\a.bmp  ");  // leading spaces are trimmed, trailing ones kept
  EXPECT_EQ(Read(L"BackBitmap"), L"C:\\a.bmp  ");
  Write(L"BackBitmap", L"   ");
  EXPECT_EQ(Read(L"BackBitmap"), L"");

  struct Stored { std::uint32_t type; std::string bytes; std::wstring read; };
  const Stored cases[] = {
      {registry::kRegSz, "", L""},
      {registry::kRegSz, "C:\\a.bmp", L"C:\\a.bmp"},  // unterminated: the last character stays
      {registry::kRegSz, std::string("C:\\a.bmp\0junk\0", 14), std::wstring(L"C:\\a.bmp\0junk", 13)},  // the caller cuts
      {registry::kRegExpandSz, std::string("C:\\b.bmp\0", 9), L"C:\\b.bmp"},
      {4 /* REG_DWORD */, std::string("\x01\x00\x00\x00", 4), L"Error"},
      {3 /* REG_BINARY */, "C:\\a.bmp", L"Error"},
  };
  for (const Stored& c : cases) {
    PutRaw("Raw", c.type, c.bytes);
    EXPECT_EQ(Read(L"Raw"), c.read) << c.type << " " << c.bytes;
  }
}

TEST_F(RegistryContract, AMissingValueOrKeyReadsAsErrorAndIsNeverCreated) {
  EXPECT_EQ(Read(L"BackBitmap"), L"Error");
  DeleteTestKey();
  EXPECT_EQ(Read(L"BackBitmap"), L"Error");
  Write(L"BackBitmap", L"C:\\a.bmp");
  EXPECT_EQ(GetRaw("BackBitmap"), std::nullopt);
  EXPECT_TRUE(boxes_.shown.empty());
}

// The longest value read has kLargestValue bytes with its NUL; one byte more
// is not a path but is told apart from a missing value.
TEST_F(RegistryContract, ValuesUpToTheLimitAreReadAndOneByteMoreIsTooLong) {
  constexpr std::size_t kLargest = registry::modRegistryFunctions::kLargestValue;
  PutRaw("Longest", registry::kRegSz, std::string(kLargest - 1, 'x') + '\0');
  PutRaw("Huge", registry::kRegSz, std::string(kLargest, 'x') + '\0');
  EXPECT_EQ(Read(L"Longest"), std::wstring(kLargest - 1, L'x'));
  EXPECT_FALSE(module_->LastValueTooLong());
  EXPECT_EQ(Read(L"Huge"), L"Error");
  EXPECT_TRUE(module_->LastValueTooLong());
  EXPECT_EQ(Read(L"Missing"), L"Error");
  EXPECT_FALSE(module_->LastValueTooLong());
}

TEST_F(RegistryContract, TextTheCodePageCannotHoldIsNeverStored) {
  Write(L"BackBitmap", L"C:\\old.bmp");
  Write(L"BackBitmap", L"C:\\\u221E.bmp");  // best fit would store C:\8.bmp
  EXPECT_EQ(Read(L"BackBitmap"), L"C:\\old.bmp");
  Write(L"BackBitmap", L"C:\\caf\u00E9.bmp");
  EXPECT_EQ(Read(L"BackBitmap"), L"C:\\caf\u00E9.bmp");
}

TEST_F(RegistryContract, BareRootReadsTheRootKeyItself) {
  ASSERT_EQ(testing_support::WriteString(L"", L"Velmora Tests value", L"C:\\root.bmp"), ERROR_SUCCESS);
  const std::wstring read = module_->ReadRegString(L"HKEY_CURRENT_USER", L"Velmora Tests value");
  testing_support::DeleteValue(L"", L"Velmora Tests value");
  EXPECT_EQ(read, L"C:\\root.bmp");
  EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace velmora
