#include "wallpaper/status.h"

#include "platform/texts.h"

namespace velmora::wallpaper {
namespace {

struct Row {
  Family family;
  const wchar_t* valueName;
};
constexpr Row kRows[] = {{Family::Explorer, registry::kExplorerValue}, {Family::IEOE, registry::kIEOEValue}};

void ShowNone(const Row& row, StatusView& view) {
  view.SetFilenameCaption(row.family, texts::kNoWallpaper);
  view.ClearTile(row.family);
}

}  // namespace

std::wstring TrimAtNull(const std::wstring& text) {
  return text.substr(0, text.find(L'\0'));
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::array<std::wstring, 2> LoadCurrentWallpapers(registry::modRegistryFunctions& registry,
                                                  const FileSystem& files, MessageBoxes& tell,
                                                  StatusView& view, const std::array<std::wstring, 2>* told) {
  std::array<std::wstring, 2> values;
  for (const Row& row : kRows) {
    const int index = row.family == Family::Explorer ? 0 : 1;
    std::wstring& value = values[index];
    value = registry.ReadRegString(registry::kToolbarKeyPath, row.valueName);
    HeldMessageBoxes quiet;
    MessageBoxes& boxes = told && (*told)[index] == value ? quiet : tell;
    const std::wstring path = TrimAtNull(value);
    // Too long to read and too long to be a path are one cause, told alike.
    if (registry.LastValueTooLong() || path.size() > kLongestPath) {
      boxes.Show(texts::PathTooLongInRegistry(row.family == Family::Explorer), texts::kStatusErrorCaption, kCritical);
      ShowNone(row, view);
      continue;
    }
    const bool set = !path.empty() && path != registry::kReadError;
    const bool present = set && files.IsOrdinaryFile(path);
    if (set && !present)
      boxes.Show(texts::ImageMissing(row.family == Family::Explorer), texts::kStatusErrorCaption, kCritical);
    if (!present) {
      ShowNone(row, view);
      continue;
    }
    view.SetFilenameCaption(row.family, FileNameOf(path));
    const std::wstring error = view.LoadTile(row.family, path);
    if (!error.empty()) {
      // The labels must say what the registry holds and what is shown: an
      // unreadable picture is reported, shown as none, and the other family
      // is still read.
      boxes.Show(texts::TileNotLoaded(path, error), texts::kStatusErrorCaption, kCritical);
      ShowNone(row, view);
    }
  }
  view.ArmRedraw();
  return values;
}

}  // namespace velmora::wallpaper
