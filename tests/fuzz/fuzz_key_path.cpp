// Arbitrary key paths, value names and texts through SplitKeyPath,
// ReadRegString and WriteRegString over the in-memory registry.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "fakes/fake_message_boxes.h"
#include "fakes/fake_registry.h"
#include "fuzz/fuzz_support.h"
#include "registry/reg_functions.h"

namespace velmora {
namespace {

using registry::modRegistryFunctions;
using registry::RootKey;

// The predefined roots as Windows numbers them; the oracle below needs its
// own copy so that a wrong entry in the code under test cannot agree with it.
struct Root {
  const wchar_t* name;
  RootKey handle;
};
constexpr Root kRoots[] = {
    {L"HKEY_CLASSES_ROOT", 0x80000000},  {L"HKEY_CURRENT_USER", 0x80000001},
    {L"HKEY_LOCAL_MACHINE", 0x80000002}, {L"HKEY_USERS", 0x80000003},
    {L"HKEY_PERFORMANCE_DATA", 0x80000004}, {L"HKEY_CURRENT_CONFIG", 0x80000005},
    {L"HKEY_DYN_DATA", 0x80000006},
};
constexpr RootKey kHkcu = 0x80000001, kHklm = 0x80000002;
constexpr char kToolbar[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

const wchar_t* NameOf(RootKey root) {
  for (const Root& r : kRoots)
    if (r.handle == root) return r.name;
  return nullptr;
}

struct Split {
  RootKey root;
  std::wstring sub;
};
// A path the functions must take: a root name, alone or followed by a
// backslash and a sub key that does not end in one.
std::optional<Split> ExpectedSplit(const std::wstring& path) {
  for (const Root& r : kRoots) {
    const std::wstring name = r.name;
    if (path == name) return Split{r.handle, L""};
    if (path.starts_with(name + L'\\') && !path.ends_with(L'\\'))
      return Split{r.handle, path.substr(name.size() + 1)};
  }
  return std::nullopt;
}

// Prefixes the fuzzer would take long to spell in UTF-16 on its own.
constexpr const wchar_t* kPathStarts[] = {
    L"HKEY_CLASSES_ROOT",  L"HKEY_CURRENT_USER",     L"HKEY_LOCAL_MACHINE",
    L"HKEY_USERS",         L"HKEY_PERFORMANCE_DATA", L"HKEY_CURRENT_CONFIG",
    L"HKEY_DYN_DATA",      L"hkey_current_user",     L"HKEY_",
    L"HKEY_CURRENT_USE",   L"HKEY_LOCAL_MACHINE\\Software\\Velmora",
    registry::kToolbarKeyPath,
};
constexpr const wchar_t* kNames[] = {registry::kExplorerValue, registry::kIEOEValue,
                                     L"backbitmap", L"Blob", L"Long", L"Empty", L""};

void Seed(fakes::FakeRegistry& store) {
  store.PutRaw(kHkcu, kToolbar, "BackBitmap", registry::kRegSz,
               std::string("C:\\Windows\\Web\\wallpaper.bmp") + '\0');
  store.PutRaw(kHkcu, kToolbar, "BackBitmapIE5", registry::kRegSz,
               std::string("   C:\\caf\xE9\\\x92\x86.bmp") + '\0');
  store.PutRaw(kHkcu, kToolbar, "Blob", 3, std::string("\x01\x02", 2));
  store.PutRaw(kHkcu, kToolbar, "Long", registry::kRegExpandSz, std::string(300, 'L'));
  store.PutRaw(kHkcu, kToolbar, "Empty", registry::kRegSz, "");
  store.CreateKey(kHkcu, "Software");
  store.CreateKey(kHklm, "Software\\Velmora");
  store.PutRaw(kHklm, "", "AtTheRoot", registry::kRegSz, std::string("x") + '\0');
}

bool KeyExists(fakes::FakeRegistry& store, RootKey root, const std::string& sub) {
  registry::KeyHandle key = 0;
  if (store.OpenKey(root, sub, registry::kKeyRead, &key) != registry::kSuccess) return false;
  store.CloseKey(key);
  return true;
}

std::optional<std::string> RawValue(const fakes::FakeRegistry& store, RootKey root,
                                    const std::string& sub, const std::string& name) {
  const std::string* raw = store.Raw(root, sub, name);
  return raw ? std::optional<std::string>(*raw) : std::nullopt;
}

std::wstring WithoutLeadingSpaces(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L' ');
  return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

void CheckSplit(modRegistryFunctions& module, fakes::FakeMessageBoxes& boxes,
                const std::wstring& path) {
  std::wstring rest = path;
  RootKey root = 0xDEADBEEF;
  const std::size_t shown = boxes.shown.size();
  module.SplitKeyPath(rest, root);
  FUZZ_CHECK(root == 0 || NameOf(root) != nullptr);
  if (root != 0) {
    const std::wstring name = NameOf(root);
    FUZZ_CHECK(rest.empty() ? path == name : path == name + L'\\' + rest);
  }
  if (const auto want = ExpectedSplit(path)) {
    FUZZ_CHECK(root == want->root && rest == want->sub);
    FUZZ_CHECK(boxes.shown.size() == shown);
  }
  // A refused path is shown to the user as it was given.
  if (boxes.shown.size() != shown) FUZZ_CHECK(root == 0 && rest == path);
}

void Run(FuzzedDataProvider& in) {
  fakes::FakeRegistry store;
  fakes::FakeAnsiCodec codec;
  fakes::FakeMessageBoxes boxes;
  modRegistryFunctions module(store, codec, boxes);
  Seed(store);

  const std::uint8_t flags = in.ConsumeIntegral<std::uint8_t>();
  std::wstring path;
  if (flags & 1) path = in.PickValueInArray(kPathStarts);
  path += fuzz::Utf16(in.ConsumeRandomLengthString(256));
  const std::wstring name =
      (flags & 2) ? fuzz::Utf16(in.ConsumeRandomLengthString(64)) : in.PickValueInArray(kNames);
  const std::wstring data = fuzz::Utf16(in.ConsumeRemainingBytesAsString());
  if (flags & 4) store.failSet = 5;
  if (flags & 8) store.failWriteOpen = 5;

  CheckSplit(module, boxes, path);
  FUZZ_CHECK(store.openKeys() == 0);

  // Where the value lives, if an ANSI name can reach it at all.
  const std::optional<Split> where = ExpectedSplit(path);
  const std::optional<std::string> sub = where ? codec.ToAnsiExact(where->sub) : std::nullopt;
  const std::optional<std::string> ansiName = codec.ToAnsiExact(name);
  const bool keyThere = sub && KeyExists(store, where->root, *sub);
  const std::optional<std::string> before =
      keyThere && ansiName ? RawValue(store, where->root, *sub, *ansiName) : std::nullopt;

  const std::wstring read = module.ReadRegString(path, name);
  FUZZ_CHECK(store.openKeys() == 0);
  if (!before) {
    FUZZ_CHECK(read.empty() || read == registry::kReadError);
  } else if (read != registry::kReadError) {
    FUZZ_CHECK(read.size() <= before->size());
    FUZZ_CHECK(read.empty() || read.front() != L' ');
  }

  const int sets = store.setCalls;
  module.WriteRegString(path, name, data);
  FUZZ_CHECK(store.openKeys() == 0);
  // Writing never makes a key, not even the one it was asked to write to.
  if (sub) FUZZ_CHECK(KeyExists(store, where->root, *sub) == keyThere);
  const std::optional<std::string> bytes = codec.ToAnsiExact(data);
  const bool stored = keyThere && ansiName && bytes && !store.failSet && !store.failWriteOpen;
  if (!keyThere || !ansiName || !bytes) FUZZ_CHECK(store.setCalls == sets);
  if (keyThere && ansiName) {
    const std::optional<std::string> after = RawValue(store, where->root, *sub, *ansiName);
    FUZZ_CHECK(stored ? after == *bytes + '\0' : after == before);
  }
  if (!stored) return;

  const std::wstring back = module.ReadRegString(path, name);
  FUZZ_CHECK(store.openKeys() == 0);
  if (bytes->size() + 1 > modRegistryFunctions::kLargestValue) {
    FUZZ_CHECK(back == registry::kReadError);
  } else if (data.find(L'\0') == std::wstring::npos) {
    FUZZ_CHECK(back == WithoutLeadingSpaces(data));
  } else {
    // The callers keep only the text before a NUL; that part must survive.
    FUZZ_CHECK(fuzz::BeforeNul(back) == fuzz::BeforeNul(WithoutLeadingSpaces(data)));
  }
}

}  // namespace
}  // namespace velmora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  velmora::Run(in);
  return 0;
}
