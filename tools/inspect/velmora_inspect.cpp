// Lists windows and their controls as JSON lines, for tests that drive the
// real program: what a user would see, read back through the window system.
//   velmora-inspect windows           every visible top-level window
//   velmora-inspect controls TITLE    the controls of the window titled TITLE
//   velmora-inspect controls #HWND    the same, for the window with that handle
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Json(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof(buf), "\\u%04x", c);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::wstring Text(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &got);
  text.resize(got);
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// Positions of controls count from their window's client area; a top-level
// window also gives where its client area lies on the screen (cx, cy).
void Print(HWND hwnd, HWND origin, HWND focus) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  POINT topLeft{r.left, r.top};
  if (origin) ScreenToClient(origin, &topLeft);
  POINT client{0, 0};
  ClientToScreen(hwnd, &client);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  std::printf("{\"hwnd\": %llu, \"pid\": %lu, \"id\": %d, \"class\": %s, \"text\": %s, \"x\": %ld, \"y\": %ld, "
              "\"w\": %ld, \"h\": %ld, \"cx\": %ld, \"cy\": %ld, "
              "\"visible\": %s, \"enabled\": %s, \"focused\": %s, \"style\": %lu}\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), static_cast<unsigned long>(process),
              GetDlgCtrlID(hwnd),
              Json(ClassOf(hwnd)).c_str(), Json(Text(hwnd)).c_str(), topLeft.x, topLeft.y,
              r.right - r.left, r.bottom - r.top, client.x, client.y, IsWindowVisible(hwnd) ? "true" : "false",
              IsWindowEnabled(hwnd) ? "true" : "false", hwnd == focus ? "true" : "false",
              static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_STYLE)));
}

BOOL CALLBACK EachTopLevel(HWND hwnd, LPARAM) {
  if (IsWindowVisible(hwnd)) Print(hwnd, nullptr, nullptr);
  return TRUE;
}

struct ChildWalk { HWND origin; HWND focus; };
BOOL CALLBACK EachChild(HWND hwnd, LPARAM lp) {
  const auto* walk = reinterpret_cast<ChildWalk*>(lp);
  Print(hwnd, walk->origin, walk->focus);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"windows";
  if (command == L"windows") {
    EnumWindows(EachTopLevel, 0);
    return 0;
  }
  if (command == L"controls" && argc > 2) {
    // "#123" names a window by its handle, anything else by its title.
    HWND window = argv[2][0] == L'#'
                      ? reinterpret_cast<HWND>(static_cast<UINT_PTR>(_wcstoui64(argv[2] + 1, nullptr, 10)))
                      : FindWindowW(nullptr, argv[2]);
    if (window && !IsWindow(window)) window = nullptr;
    if (!window) {
      std::fprintf(stderr, "no window titled %s\n", Utf8(argv[2]).c_str());
      return 1;
    }
    GUITHREADINFO info{sizeof(info)};
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    Print(window, nullptr, info.hwndFocus);
    ChildWalk walk{window, info.hwndFocus};
    EnumChildWindows(window, EachChild, reinterpret_cast<LPARAM>(&walk));
    return 0;
  }
  std::fprintf(stderr, "usage: velmora-inspect windows | controls TITLE\n");
  return 2;
}
