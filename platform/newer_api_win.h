#pragma once
// What Windows after XP added and Velmora uses, looked up at run time so that
// the program still loads on XP SP2, each with the XP way as its fallback.
#include <windows.h>

namespace velmora {

// Sent from Windows 8.1 on to a per-monitor-aware window that moves to a
// monitor of another density; XP never sends it.
inline constexpr UINT kWmDpiChanged = 0x02E0;

// The density a window is drawn at: its monitor's from Windows 10 version
// 1607 on (GetDpiForWindow), the system's before, as XP has only that one.
int WindowDpi(HWND window);

// A function of a loaded module as the type it is called through, or null
// where the module lacks it.
template <class F>
F ModuleFunction(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A function of a system DLL, loaded for the rest of the process when it is
// not yet, or null where this Windows lacks it.
template <class F>
F SystemFunction(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  if (!m) m = LoadLibraryW(module);
  return m ? ModuleFunction<F>(m, name) : nullptr;
}

}  // namespace velmora
