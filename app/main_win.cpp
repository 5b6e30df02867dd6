#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/frm_main_win.h"
#include "platform/handles_win.h"
#include "platform/newer_api_win.h"
#include "platform/texts.h"
#include "registry/system_registry_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  velmora::ComApartment com;  // the picture loader needs it on this thread
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The window keeps the classic look its design has: button-face pages and
  // frames, whatever visual style the system is using. Looked up at run
  // time: its documentation names no Windows before Vista, and where it is
  // missing the controls simply take the system's theme.
  using SetThemeAppPropertiesFn = void(WINAPI*)(DWORD);
  if (const auto setThemes = velmora::SystemFunction<SetThemeAppPropertiesFn>(L"uxtheme.dll", "SetThemeAppProperties"))
    setThemes(STAP_ALLOW_NONCLIENT);

  auto registry = velmora::registry::MakeSystemRegistry();
  auto codec = velmora::registry::MakeSystemAnsiCodec();
  velmora::frmMain window(*registry, *codec);
  if (!window.Create(instance)) {
    MessageBoxW(nullptr, velmora::texts::kWindowNotCreated, velmora::kAppTitle, MB_ICONERROR);
    return 1;
  }
  window.Show(showCommand);
  // "Open with", "Send To" and a prompt pass the file first; more files: the first counts.
  struct LocalFreer {
    void operator()(LPWSTR* p) const { LocalFree(p); }
  };
  int argc = 0;
  std::unique_ptr<LPWSTR, LocalFreer> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv.get()[i]);
  const velmora::StartRequest request = velmora::ReadCommandLine(
      args, [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; });
  if (request.kind == velmora::StartRequest::Kind::Open) window.OpenFromShell(request.path);
  if (request.kind == velmora::StartRequest::Kind::Tell)
    window.Tell(request.message, request.message == velmora::texts::kUsage ? velmora::kInformation : velmora::kExclamation);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
