#include "wallpaper/status.h"

namespace velmora::wallpaper {
namespace {

struct Row {
  Family family;
  const wchar_t* valueName;
  const wchar_t* missingText;
  const wchar_t* tooLongText;
};
constexpr Row kRows[] = {
    {Family::Explorer, registry::kExplorerValue,
     L"There is an Explorer toolbar wallpaper set in the registry but the image is missing.",
     L"The Explorer toolbar wallpaper set in the registry is too long to be the path of a file."},
    {Family::IEOE, registry::kIEOEValue,
     L"There is an IE toolbar wallpaper set in the registry but the image is missing.",
     L"The IE toolbar wallpaper set in the registry is too long to be the path of a file."},
};
constexpr wchar_t kGoOn[] = L"\r\n\r\nThe program will continue as if there were no wallpaper set.";

void ShowNone(const Row& row, StatusView& view) {
  view.SetFilenameCaption(row.family, kNoWallpaper);
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
      boxes.Show(row.tooLongText + std::wstring(kGoOn), L"Error!", kCritical);
      ShowNone(row, view);
      continue;
    }
    const bool set = !path.empty() && path != registry::kReadError;
    const bool present = set && files.IsOrdinaryFile(path);
    if (set && !present) boxes.Show(row.missingText + std::wstring(kGoOn), L"Error!", kCritical);
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
      boxes.Show(L"The toolbar wallpaper \"" + path + L"\" could not be loaded.\r\n\r\n" + error + kGoOn,
                 L"Error!", kCritical);
      ShowNone(row, view);
    }
  }
  view.ArmRedraw();
  return values;
}

}  // namespace velmora::wallpaper
