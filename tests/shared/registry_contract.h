#pragma once
// Cases that hold for every registry backend: included once by the native
// tests (in-memory store) and once by the Wine tests (advapi32 itself).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "fakes/fake_message_boxes.h"
#include "registry/reg_functions.h"

namespace velmora::contract {

// A throwaway key, HKEY_CURRENT_USER\Software\Velmora Tests\Contract.
inline constexpr char kTestSubKey[] = "Software\\Velmora Tests\\Contract";
inline constexpr wchar_t kTestKeyPath[] =
    L"HKEY_CURRENT_USER\\Software\\Velmora Tests\\Contract";

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  virtual registry::RegistryService& Service() = 0;
  virtual const registry::AnsiCodec& Codec() = 0;
  virtual void CreateTestKey() = 0;
  virtual void DeleteTestKey() = 0;
  virtual void PutRaw(const std::string& name, std::uint32_t type, const std::string& bytes) = 0;
  virtual std::optional<std::string> GetRaw(const std::string& name) = 0;
};
using BackendFactory = std::function<std::unique_ptr<RegistryBackend>()>;

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
    ++sets;
    return inner_.SetValue(key, name, type, data, size);
  }
  long CloseKey(registry::KeyHandle key) override {
    const long r = inner_.CloseKey(key);
    if (r == 0) --open;
    return r;
  }
  int open = 0;
  int sets = 0;

 private:
  registry::RegistryService& inner_;
};

class RegistryContract : public ::testing::TestWithParam<BackendFactory> {
 protected:
  void SetUp() override {
    backend_ = GetParam()();
    backend_->DeleteTestKey();
    backend_->CreateTestKey();
    counting_ = std::make_unique<CountingRegistry>(backend_->Service());
    module_ = std::make_unique<registry::modRegistryFunctions>(*counting_, backend_->Codec(), boxes_);
  }
  void TearDown() override {
    EXPECT_EQ(counting_->open, 0) << "a key was left open";
    backend_->DeleteTestKey();
  }
  std::wstring Read(const std::wstring& name) { return module_->ReadRegString(kTestKeyPath, name); }
  void Write(const std::wstring& name, const std::wstring& data) {
    module_->WriteRegString(kTestKeyPath, name, data);
  }

  std::unique_ptr<RegistryBackend> backend_;
  std::unique_ptr<CountingRegistry> counting_;
  fakes::FakeMessageBoxes boxes_;
  std::unique_ptr<registry::modRegistryFunctions> module_;
};

TEST_P(RegistryContract, PathsRoundTripWhateverTheirLength) {
  for (std::size_t length : {1u, 8u, 254u, 255u, 259u, 300u, 4000u}) {
    const std::wstring path = L"C:\\" + std::wstring(length > 7 ? length - 7 : 0, L'a') + L".bmp";
    Write(L"BackBitmap", path);
    EXPECT_EQ(Read(L"BackBitmap"), path) << "length " << path.size();
  }
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_P(RegistryContract, LeadingSpacesAreTrimmedAndTrailingOnesKept) {
  Write(L"BackBitmap", L"  C:\\a.bmp  ");
  EXPECT_EQ(Read(L"BackBitmap"), L"C:\\a.bmp  ");
  Write(L"BackBitmap", L"   ");
  EXPECT_EQ(Read(L"BackBitmap"), L"");
}

TEST_P(RegistryContract, EmptyTextIsStoredAsOneNulAndReadsBackEmpty) {
  Write(L"BackBitmap", L"");
  EXPECT_EQ(backend_->GetRaw("BackBitmap"), std::string(1, '\0'));
  EXPECT_EQ(Read(L"BackBitmap"), L"");
  backend_->PutRaw("Bare", registry::kRegSz, "");
  EXPECT_EQ(Read(L"Bare"), L"");
}

TEST_P(RegistryContract, SizePassedCountsTheNul) {
  Write(L"BackBitmap", L"C:\\a.bmp");
  EXPECT_EQ(backend_->GetRaw("BackBitmap"), std::string("C:\\a.bmp\0", 9));
}

TEST_P(RegistryContract, MissingValueOrKeyReadsAsError) {
  EXPECT_EQ(Read(L"BackBitmap"), L"Error");
  backend_->DeleteTestKey();
  EXPECT_EQ(Read(L"BackBitmap"), L"Error");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_P(RegistryContract, WritingUnderAMissingKeyCreatesNothing) {
  backend_->DeleteTestKey();
  Write(L"BackBitmap", L"C:\\a.bmp");
  EXPECT_EQ(backend_->GetRaw("BackBitmap"), std::nullopt);
  EXPECT_EQ(Read(L"BackBitmap"), L"Error");
  EXPECT_EQ(counting_->sets, 0);
}

TEST_P(RegistryContract, ValuesThatAreNotTextReadAsError) {
  backend_->PutRaw("Number", 4 /* REG_DWORD */, std::string("\x01\x00\x00\x00", 4));
  backend_->PutRaw("Blob", 3 /* REG_BINARY */, "C:\\a.bmp");
  backend_->PutRaw("Expand", registry::kRegExpandSz, std::string("C:\\b.bmp\0", 9));
  EXPECT_EQ(Read(L"Number"), L"Error");
  EXPECT_EQ(Read(L"Blob"), L"Error");
  EXPECT_EQ(Read(L"Expand"), L"C:\\b.bmp");
}

TEST_P(RegistryContract, UnterminatedValueKeepsItsLastCharacter) {
  backend_->PutRaw("Raw", registry::kRegSz, "C:\\a.bmp");
  EXPECT_EQ(Read(L"Raw"), L"C:\\a.bmp");
}

TEST_P(RegistryContract, NulInsideTheValueComesBackForTheCallerToCut) {
  backend_->PutRaw("Raw", registry::kRegSz, std::string("C:\\a.bmp\0junk\0", 14));
  EXPECT_EQ(Read(L"Raw"), std::wstring(L"C:\\a.bmp\0junk", 13));
}

TEST_P(RegistryContract, HugeValueReadsAsErrorNotAsATruncatedPath) {
  backend_->PutRaw("Huge", registry::kRegSz,
                   std::string(registry::modRegistryFunctions::kLargestValue + 10, 'x') + '\0');
  EXPECT_EQ(Read(L"Huge"), L"Error");
}

TEST_P(RegistryContract, TextTheCodePageCannotHoldIsNeverStored) {
  Write(L"BackBitmap", L"C:\\old.bmp");
  Write(L"BackBitmap", L"C:\\\u221E.bmp");  // best fit would store C:\8.bmp
  EXPECT_EQ(Read(L"BackBitmap"), L"C:\\old.bmp");
  Write(L"BackBitmap", L"C:\\caf\u00E9.bmp");
  EXPECT_EQ(Read(L"BackBitmap"), L"C:\\caf\u00E9.bmp");
}

TEST_P(RegistryContract, BareRootReadsTheRootKeyItself) {
  EXPECT_EQ(module_->ReadRegString(L"HKEY_CURRENT_USER", L"Velmora no such value"), L"Error");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_P(RegistryContract, MalformedPathsAskNothingOfTheService) {
  for (const wchar_t* path : {L"hkey_current_user\\Software", L"HKEY_CURRENT_USER\\Software\\"}) {
    boxes_.shown.clear();
    EXPECT_EQ(module_->ReadRegString(path, L"BackBitmap"), L"");
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, std::wstring(L"Incorrect Format:\n\n") + path);
    EXPECT_EQ(boxes_.shown[0].style, 0u);
    module_->WriteRegString(path, L"BackBitmap", L"C:\\a.bmp");
  }
  EXPECT_EQ(module_->ReadRegString(L"HKEY_MACHINE\\Software", L"BackBitmap"), L"");
  module_->WriteRegString(L"HKEY_MACHINE\\Software", L"BackBitmap", L"x");
  EXPECT_EQ(boxes_.shown.size(), 2u);  // the last malformed read and write; an unknown root shows none
  EXPECT_EQ(counting_->sets, 0);
}

}  // namespace velmora::contract
