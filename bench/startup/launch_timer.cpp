// Times one launch of a windowed program, from CreateProcessW to its first
// painted frame, then closes it.
//
//   launch_timer run LABEL PROGRAM.exe   one launch; prints one line of figures
//   launch_timer hold                    keeps Wine's desktop process up until released
//   launch_timer release                 ends a hold
//
// Painted: the target's largest visible top-level window and each of its
// visible children have no update region left. GetUpdateRect reads that from
// the server and sends the target nothing, so checking every millisecond
// does not change what is measured. Not WaitForInputIdle: a process that
// starts the desktop process pumps messages while it waits, and Wine calls it
// idle then, before it has a window. Not PrintWindow: it makes the target
// paint on demand. Not a pixel: that needs a colour known in advance, and
// Wine flushes a window's drawing to the X screen some time after it is done.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kHoldEvent[] = L"VelmoraBenchStartupHold";
constexpr DWORD kPaintTimeoutMs = 15000;
constexpr DWORD kCloseTimeoutMs = 5000;

double MsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct Explorer { DWORD pid; DWORD parent; };

// Toolhelp asks the server for its process list; unlike a window call, it
// cannot start the desktop process.
std::vector<Explorer> DesktopProcesses() {
  std::vector<Explorer> found;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{sizeof(entry)};
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry)) {
    if (lstrcmpiW(entry.szExeFile, L"explorer.exe") == 0) found.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
  }
  CloseHandle(snap);
  return found;
}

std::string WhoStartedDesktop(bool before, const std::vector<Explorer>& after, DWORD target) {
  if (before) return "already";
  if (after.empty()) return "none";
  std::string who;
  for (const Explorer& e : after) {
    if (!who.empty()) who += '+';  // two processes raced to start it
    who += e.parent == target ? "target" : e.parent == GetCurrentProcessId() ? "launcher" : "other";
  }
  return who;
}

// Wine's user32 loads the display driver only once it holds the desktop
// window (starting explorer.exe for it if need be) and the desktop process
// has set the display up; before that, a window call from here could start
// a second desktop process, or sleep in Wine's wait for the display. So wait
// for the target to have the driver; its module list is read from its
// memory, which starts nothing.
bool HasDisplayDriver(DWORD pid) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  MODULEENTRY32W entry{sizeof(entry)};
  for (BOOL more = Module32FirstW(snap, &entry); more && !found; more = Module32NextW(snap, &entry)) {
    // By name: any .drv will not do, comdlg32 brings winspool.drv in early.
    found = lstrcmpiW(entry.szModule, L"winex11.drv") == 0 || lstrcmpiW(entry.szModule, L"winewayland.drv") == 0;
  }
  CloseHandle(snap);
  return found;
}

bool AwaitDisplayDriver(HANDLE process, DWORD pid, LARGE_INTEGER start) {
  while (MsSince(start) < kPaintTimeoutMs) {
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return false;
    if (HasDisplayDriver(pid)) return true;
    Sleep(1);
  }
  return false;
}

struct Search { DWORD pid; HWND best; long area; };

BOOL CALLBACK ConsiderTopLevel(HWND hwnd, LPARAM lp) {
  auto& s = *reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  RECT client{};
  // Hidden helpers (the IME window, a combo box's list) never count.
  if (pid != s.pid || !IsWindowVisible(hwnd) || !GetClientRect(hwnd, &client)) return TRUE;
  const long area = long(client.right) * client.bottom;
  if (area > s.area) s = {s.pid, hwnd, area};
  return TRUE;
}

HWND MainWindowOf(DWORD pid) {
  Search s{pid, nullptr, -1};
  EnumWindows(ConsiderTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.best;
}

// bErase FALSE: with TRUE, Wine would send the target WM_NCPAINT from here.
BOOL CALLBACK FindUnpainted(HWND child, LPARAM lp) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
  }
  return TRUE;
}

bool FullyPainted(HWND hwnd) {
  if (!IsWindowVisible(hwnd) || GetUpdateRect(hwnd, nullptr, FALSE)) return false;
  bool unpainted = false;
  EnumChildWindows(hwnd, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

std::string Narrow(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

int RunOnce(const wchar_t* label, const wchar_t* program) {
  const bool desktopBefore = !DesktopProcesses().empty();
  // This process's first window call loads the display driver, tens of
  // milliseconds in which it cannot look; most of that is the driver's own
  // start (the X connection), which needs no desktop and is paid here, off
  // the clock. With the desktop up, the rest is too.
  LoadLibraryW(L"winex11.drv");
  if (desktopBefore) GetDesktopWindow();
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW si{sizeof(si)};
  PROCESS_INFORMATION pi{};

  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", Narrow(program).c_str(), GetLastError());
    return 2;
  }
  double desktopMs = 0;
  if (!desktopBefore) {
    AwaitDisplayDriver(pi.hProcess, pi.dwProcessId, start);
    desktopMs = MsSince(start);
    GetDesktopWindow();  // the rest of this process's window start, as soon as it is safe
  }

  // The paint happened after the last check that found the window unpainted
  // and by the first that found it painted. With no unpainted check first
  // (this process was still starting its own window code) the bracket is -1
  // and the figure only an upper bound.
  HWND hwnd = nullptr;
  double paintedMs = -1, unpaintedMs = -1;
  int polls = 0;
  while (MsSince(start) < kPaintTimeoutMs) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    ++polls;
    hwnd = MainWindowOf(pi.dwProcessId);
    const bool painted = hwnd && FullyPainted(hwnd);
    const double now = MsSince(start);
    if (painted) {
      paintedMs = now;
      break;
    }
    unpaintedMs = now;
    Sleep(1);
  }
  const std::string desktopBy = WhoStartedDesktop(desktopBefore, DesktopProcesses(), pi.dwProcessId);

  RECT client{};
  if (hwnd) GetClientRect(hwnd, &client);
  const char* closedBy = "wm_close";
  const double closeAt = MsSince(start);
  if (!hwnd || !PostMessageW(hwnd, WM_CLOSE, 0, 0) ||
      WaitForSingleObject(pi.hProcess, kCloseTimeoutMs) != WAIT_OBJECT_0) {
    closedBy = "terminate";
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, kCloseTimeoutMs);
  }
  const double closeMs = MsSince(start) - closeAt;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  const double bracketMs = paintedMs >= 0 && unpaintedMs >= 0 ? paintedMs - unpaintedMs : -1;
  std::printf("%s ms=%.1f bracket_ms=%.1f desktop_ms=%.1f polls=%d desktop_before=%d desktop_by=%s "
              "client=%ldx%ld close=%s close_ms=%.0f\n",
              Narrow(label).c_str(), paintedMs, bracketMs, desktopMs, polls, desktopBefore ? 1 : 0,
              desktopBy.c_str(), client.right, client.bottom, closedBy, closeMs);
  std::fflush(stdout);
  return paintedMs < 0 ? 1 : 0;
}

// Wine's desktop process stays while another process is attached to the
// desktop; this one asks for the desktop window, so it is, until released.
int Hold() {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, kHoldEvent);
  if (!done) return 2;
  if (!GetDesktopWindow()) return 2;
  std::printf("holding the desktop: %zu explorer process(es)\n", DesktopProcesses().size());
  std::fflush(stdout);
  // Pumping keeps a program that broadcasts a message from waiting on this one.
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  CloseHandle(done);
  return 0;
}

int Release() {
  HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, kHoldEvent);
  if (!done) return 1;  // nothing holds the desktop
  SetEvent(done);
  CloseHandle(done);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"run" && argc == 4) return RunOnce(argv[2], argv[3]);
  if (mode == L"hold" && argc == 2) return Hold();
  if (mode == L"release" && argc == 2) return Release();
  std::fprintf(stderr, "usage: launch_timer run LABEL PROGRAM.exe | hold | release\n");
  return 2;
}
