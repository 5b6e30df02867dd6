#include "wallpaper/status.h"

namespace velmora::wallpaper {
namespace {

struct Row {
  Family family;
  const wchar_t* valueName;
  const wchar_t* missingText;
};
constexpr Row kRows[] = {
    {Family::Explorer, registry::kExplorerValue,
     L"There is an Explorer toolbar wallpaper set in the registry but the image is missing."},
    {Family::IEOE, registry::kIEOEValue,
     L"There is an IE toolbar wallpaper set in the registry but the image is missing."},
};

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

void LoadCurrentWallpapers(registry::modRegistryFunctions& registry,
                           const FileSystem& files, MessageBoxes& boxes,
                           StatusView& view) {
  for (const Row& row : kRows) {
    const std::wstring path =
        TrimAtNull(registry.ReadRegString(registry::kToolbarKeyPath, row.valueName));
    const bool set = !path.empty() && path != registry::kReadError;
    const bool present = set && files.IsOrdinaryFile(path);
    if (set && !present) {
      boxes.Show(std::wstring(row.missingText) +
                     L"\r\n\r\nThe program will continue as if there were no wallpaper set.",
                 L"Error!", kCritical);
    }
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
      boxes.Show(L"The toolbar wallpaper \"" + path + L"\" could not be loaded.\r\n\r\n" +
                     error + L"\r\n\r\nThe program will continue as if there were no wallpaper set.",
                 L"Error!", kCritical);
      ShowNone(row, view);
    }
  }
  view.ArmRedraw();
}

}  // namespace velmora::wallpaper
