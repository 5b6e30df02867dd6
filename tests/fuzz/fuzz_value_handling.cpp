// Whatever another tool left in the two toolbar values, read back through
// ReadRegString, TrimAtNull and FileNameOf, and shown by LoadCurrentWallpapers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <string>

#include "fakes/fake_message_boxes.h"
#include "fakes/fake_registry.h"
#include "convert/bmp_name.h"
#include "fuzz/fuzz_support.h"
#include "registry/reg_functions.h"
#include "wallpaper/status.h"

namespace velmora {
namespace {

using registry::modRegistryFunctions;
using wallpaper::Family;
constexpr registry::RootKey kHkcu = 0x80000001;
constexpr char kToolbar[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

// Lengths around the first buffer (255) and the largest value read (32768).
constexpr std::size_t kLengths[] = {0, 254, 255, 256, 257, 32767, 32768, 32769, 32770};
constexpr std::uint32_t kTypes[] = {0, 1, 2, 3, 4, 7, 11, 0x80000001u};

struct Stored {
  std::uint32_t type;
  std::string bytes;
  bool exists;     // the file it names, once trimmed
  bool loads;      // whether the picture loads
};

Stored Take(FuzzedDataProvider& in) {
  Stored s;
  const std::uint8_t how = in.ConsumeIntegral<std::uint8_t>();
  s.type = (how & 1) ? in.ConsumeIntegral<std::uint32_t>() : in.PickValueInArray(kTypes);
  s.exists = how & 2;
  s.loads = how & 4;
  s.bytes = in.ConsumeRandomLengthString(512);
  if (how & 8) {
    // Stretch with the last byte so the limits are reached without a huge input.
    const std::size_t length = in.PickValueInArray(kLengths);
    const char fill = s.bytes.empty() ? 'a' : s.bytes.back();
    if (s.bytes.size() < length) s.bytes.resize(length, fill);
  }
  return s;
}

// What a reader of the value must answer: the codec's text of the bytes the
// value holds, less one terminating NUL and any leading spaces.
std::wstring Expected(const fakes::FakeAnsiCodec& codec, const Stored& s) {
  if (s.type != registry::kRegSz && s.type != registry::kRegExpandSz) return registry::kReadError;
  if (s.bytes.size() > modRegistryFunctions::kLargestValue) return registry::kReadError;
  std::string_view core = s.bytes;
  if (!core.empty() && core.back() == '\0') core.remove_suffix(1);
  while (!core.empty() && core.front() == ' ') core.remove_prefix(1);
  return codec.FromAnsi(core);
}

void CheckTrimAndName(const std::wstring& read) {
  const std::wstring trimmed = wallpaper::TrimAtNull(read);
  FUZZ_CHECK(trimmed.find(L'\0') == std::wstring::npos);
  FUZZ_CHECK(read.starts_with(trimmed));
  FUZZ_CHECK(trimmed.size() == read.size() || read[trimmed.size()] == L'\0');

  const std::wstring name = wallpaper::FileNameOf(trimmed);
  FUZZ_CHECK(name.find(L'\\') == std::wstring::npos);
  FUZZ_CHECK(trimmed.ends_with(name));
  if (trimmed.find(L'\\') == std::wstring::npos)
    FUZZ_CHECK(name == trimmed);
  else
    FUZZ_CHECK(trimmed.size() > name.size() && trimmed[trimmed.size() - name.size() - 1] == L'\\');

  // The same text as a name typed into the Save dialog.
  const std::wstring saved = convert::WithBmpExtension(name);
  const bool hasBmp = name.size() >= 4 && name.compare(name.size() - 4, 4, L".bmp") == 0;
  FUZZ_CHECK(saved == (hasBmp ? name : name + L".bmp"));
  FUZZ_CHECK(convert::WithBmpExtension(saved) == saved);
}

class Window final : public wallpaper::StatusView, public wallpaper::FileSystem {
 public:
  std::map<std::wstring, bool> files;   // path -> the picture loads
  std::map<Family, std::wstring> captions, tiles;
  int redraws = 0;

  bool IsOrdinaryFile(const std::wstring& path) const override { return files.count(path) > 0; }
  void SetFilenameCaption(Family f, const std::wstring& caption) override { captions[f] = caption; }
  std::wstring LoadTile(Family f, const std::wstring& path) override {
    FUZZ_CHECK(files.count(path) > 0);  // never a file that was not checked first
    if (!files[path]) return L"Not a picture.";
    tiles[f] = path;
    return L"";
  }
  void ClearTile(Family f) override { tiles.erase(f); }
  void ArmRedraw() override { ++redraws; }
};

void Run(FuzzedDataProvider& in) {
  fakes::FakeRegistry store;
  fakes::FakeAnsiCodec codec;
  fakes::FakeMessageBoxes boxes;
  modRegistryFunctions module(store, codec, boxes);

  const Stored explorer = Take(in);
  const Stored ieoe = Take(in);
  store.CreateKey(kHkcu, kToolbar);
  store.PutRaw(kHkcu, kToolbar, "BackBitmap", explorer.type, explorer.bytes);
  store.PutRaw(kHkcu, kToolbar, "BackBitmapIE5", ieoe.type, ieoe.bytes);

  Window window;
  std::wstring paths[2];
  int expectedBoxes = 0;
  const Stored* stored[2] = {&explorer, &ieoe};
  const wchar_t* names[2] = {registry::kExplorerValue, registry::kIEOEValue};
  for (int i = 0; i < 2; ++i) {
    const std::wstring read = module.ReadRegString(registry::kToolbarKeyPath, names[i]);
    FUZZ_CHECK(store.openKeys() == 0);
    FUZZ_CHECK(read == Expected(codec, *stored[i]));
    FUZZ_CHECK(read == registry::kReadError || read.size() <= stored[i]->bytes.size());
    CheckTrimAndName(read);
    paths[i] = fuzz::BeforeNul(read);
    const bool set = !paths[i].empty() && paths[i] != registry::kReadError;
    if (set && stored[i]->exists && paths[i].size() <= wallpaper::kLongestPath)
      window.files.emplace(paths[i], stored[i]->loads);
  }
  // Both values may name the same file; the first one decides whether it loads.
  for (int i = 0; i < 2; ++i) {
    const bool tooLong = paths[i].size() > wallpaper::kLongestPath || stored[i]->bytes.size() > modRegistryFunctions::kLargestValue;
    const bool set = !paths[i].empty() && paths[i] != registry::kReadError;
    const bool present = set && window.files.count(paths[i]);
    const bool loads = present && window.files[paths[i]];
    expectedBoxes += tooLong || (set && !present) || (present && !loads);
  }

  wallpaper::LoadCurrentWallpapers(module, window, boxes, window);
  FUZZ_CHECK(store.openKeys() == 0);
  FUZZ_CHECK(window.redraws == 1);
  FUZZ_CHECK(static_cast<int>(boxes.shown.size()) == expectedBoxes);
  const Family families[2] = {Family::Explorer, Family::IEOE};
  for (int i = 0; i < 2; ++i) {
    const Family f = families[i];
    const bool shown = window.files.count(paths[i]) && window.files[paths[i]];
    FUZZ_CHECK(window.captions.count(f) == 1);
    if (shown) {
      FUZZ_CHECK(window.captions[f] == wallpaper::FileNameOf(paths[i]));
      FUZZ_CHECK(window.tiles.count(f) && window.tiles[f] == paths[i]);
    } else {
      FUZZ_CHECK(window.captions[f] == wallpaper::kNoWallpaper);
      FUZZ_CHECK(window.tiles.count(f) == 0);
    }
  }
}

}  // namespace
}  // namespace velmora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  velmora::Run(in);
  return 0;
}
