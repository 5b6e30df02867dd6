#include "platform/common_dialog_win.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/fresh_keys_win.h"
#include "platform/newer_api_win.h"

namespace velmora {
namespace {

// "a|b|c|d" becomes "a\0b\0c\0d\0\0", the form the dialog takes.
std::wstring FilterForDialog(const std::wstring& filter) {
  std::wstring out = filter;
  for (wchar_t& c : out)
    if (c == L'|') c = L'\0';
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

// comdlg32 and what it pulls in take about 10 ms to load under Wine, so it is
// loaded when the first dialog is shown rather than at start-up. It stays
// loaded for the life of the program.
struct CommonDialogs {
  BOOL(WINAPI* open)(OPENFILENAMEW*) = nullptr;
  BOOL(WINAPI* save)(OPENFILENAMEW*) = nullptr;
  DWORD(WINAPI* error)() = nullptr;
};

const CommonDialogs& LoadCommonDialogs() {
  static const CommonDialogs dialogs = [] {
    CommonDialogs d;
    if (HMODULE module = LoadLibraryW(L"comdlg32.dll")) {
      d.open = ModuleFunction<decltype(d.open)>(module, "GetOpenFileNameW");
      d.save = ModuleFunction<decltype(d.save)>(module, "GetSaveFileNameW");
      d.error = ModuleFunction<decltype(d.error)>(module, "CommDlgExtendedError");
    }
    return d;
  }();
  return dialogs;
}

}  // namespace

void SystemCommonDialog::Show(bool save) {
  // Long enough for any path the file system allows, not just MAX_PATH.
  std::vector<wchar_t> name(32 * 1024, L'\0');
  std::wstring initialDir;
  std::wstring preset = FileName;
  const std::size_t slash = preset.rfind(L'\\');
  if (slash != std::wstring::npos) {
    // A preset such as "C:\folder\*.bmp" opens in that folder showing the pattern.
    initialDir = preset.substr(0, slash);
    preset = preset.substr(slash + 1);
  }
  preset.copy(name.data(), std::min(preset.size(), name.size() - 1));
  const std::wstring filter = FilterForDialog(Filter);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (save) {
    ofn.Flags |= OFN_PATHMUSTEXIST;
    if (OverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  }
  const CommonDialogs& dialogs = LoadCommonDialogs();
  if (!dialogs.open || !dialogs.save || !dialogs.error)
    throw Failure(kDllNotLoaded, "The file dialogs of this system could not be loaded (comdlg32.dll).");
  BOOL chosen = FALSE;
  {
    FreshKeysOnly fresh;
    chosen = save ? dialogs.save(&ofn) : dialogs.open(&ofn);
  }
  if (chosen) {
    FileName = name.data();
    return;
  }
  FileName.clear();
  // A cancel is an answer; anything else is a failure of the dialog itself.
  if (const DWORD error = dialogs.error())
    throw Failure(kDialogError, "The file dialog could not be shown (error " + std::to_string(error) + ").");
}

}  // namespace velmora
