#include <gtest/gtest.h>

#include "fakes/fake_message_boxes.h"
#include "fakes/fake_registry.h"
#include "registry/reg_functions.h"

namespace velmora {
namespace {

using registry::modRegistryFunctions;
constexpr registry::RootKey kHkcu = 0x80000001;

class KeyPaths : public ::testing::Test {
 protected:
  fakes::FakeRegistry store;
  fakes::FakeAnsiCodec codec;
  fakes::FakeMessageBoxes boxes;
  modRegistryFunctions module{store, codec, boxes};

  std::pair<std::wstring, registry::RootKey> Split(std::wstring path) {
    registry::RootKey root = 12345;
    module.SplitKeyPath(path, root);
    return {path, root};
  }
};

TEST_F(KeyPaths, SplitAtTheFirstBackslashOnly) {
  EXPECT_EQ(Split(L"HKEY_CURRENT_USER"), std::make_pair(std::wstring(), kHkcu));
  EXPECT_EQ(Split(registry::kToolbarKeyPath),
            std::make_pair(std::wstring(L"Software\\Microsoft\\Internet Explorer\\Toolbar"), kHkcu));
  EXPECT_EQ(Split(L"HKEY_CURRENT_USER\\\\Software"),
            std::make_pair(std::wstring(L"\\Software"), kHkcu));
  for (const wchar_t* unknown : {L"HKEY_MACHINE\\Software", L"HKEY_CURRENT_USERS\\Software"})
    EXPECT_EQ(Split(unknown), std::make_pair(std::wstring(L"Software"), registry::RootKey(0)));
  EXPECT_TRUE(boxes.shown.empty());
}

// Each read and write of a malformed path is reported and reaches no key; an
// unknown root is silent.
TEST_F(KeyPaths, MalformedPathsAreReportedAndReachNoKey) {
  store.CreateKey(kHkcu, "Software");
  for (const wchar_t* path : {L"hkey_current_user\\Software", L"HKEY_CURRENT_USER\\Software\\",
                              L"HKEY", L"", L"\\HKEY_CURRENT_USER", L"HKEY_MACHINE\\Software"}) {
    EXPECT_EQ(module.ReadRegString(path, L"BackBitmap"), L"");
    module.WriteRegString(path, L"BackBitmap", L"C:\\a.bmp");
  }
  ASSERT_EQ(boxes.shown.size(), 10u);
  EXPECT_EQ(boxes.shown[0].text, L"Incorrect Format:\n\nhkey_current_user\\Software");
  EXPECT_EQ(boxes.shown[0].caption, L"");
  EXPECT_EQ(boxes.shown[0].style, 0u);
  EXPECT_TRUE(store.setNames.empty());
}

// A failed set leaves the value as it was and closes the key all the same.
TEST_F(KeyPaths, MultiByteTextIsStoredWithItsByteCountAndAFailedSetChangesNothing) {
  store.CreateKey(kHkcu, "Software\\Microsoft\\Internet Explorer\\Toolbar");
  const std::wstring path = L"C:\\\u4E2D\u4E2D.bmp";  // 9 characters, 11 bytes
  module.WriteRegString(registry::kToolbarKeyPath, L"BackBitmap", path);
  const std::string* raw = store.Raw(kHkcu, "Software\\Microsoft\\Internet Explorer\\Toolbar", "BackBitmap");
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->size(), 12u);
  store.failSet = 5;
  module.WriteRegString(registry::kToolbarKeyPath, L"BackBitmap", L"C:\\b.bmp");
  EXPECT_EQ(store.openKeys(), 0);
  EXPECT_EQ(module.ReadRegString(registry::kToolbarKeyPath, L"BackBitmap"), path);
}

}  // namespace
}  // namespace velmora
