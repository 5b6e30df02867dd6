#pragma once
// Owners for the handles the program creates: one template, one line a kind.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <utility>

namespace velmora {

template <class T>
class Unique {  // T: Handle, Empty(), Close()
 public:
  using H = typename T::Handle;
  Unique() = default;
  explicit Unique(H h) : h_(h) { Count(+1); }
  Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, T::Empty())) {}
  Unique& operator=(Unique&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, T::Empty());
    }
    return *this;
  }
  Unique(const Unique&) = delete;  // a copy would close twice
  Unique& operator=(const Unique&) = delete;
  ~Unique() { reset(); }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != T::Empty(); }
  H release() {
    Count(-1);
    return std::exchange(h_, T::Empty());
  }
  void reset(H h = T::Empty()) {
    if (*this) {
      T::Close(h_);
      Count(-1);
    }
    h_ = h;
    Count(+1);
  }
  // How many handles of this kind the program holds now. GetGuiResources is
  // a stub under Wine, so a leak test repeats an action and watches this.
  static long Live() { return live_; }

 private:
  void Count(long delta) {
    if (*this) live_ += delta;
  }
  static inline std::atomic<long> live_{0};
  H h_ = T::Empty();
};

struct KeyTraits { using Handle = HKEY; static HKEY Empty() { return nullptr; }
                   static void Close(HKEY h) { RegCloseKey(h); } };
struct MemoryDcTraits { using Handle = HDC; static HDC Empty() { return nullptr; }
                        static void Close(HDC h) { DeleteDC(h); } };
struct GdiTraits { using Handle = HGDIOBJ; static HGDIOBJ Empty() { return nullptr; }
                   static void Close(HGDIOBJ h) { DeleteObject(h); } };
struct BitmapTraits { using Handle = HBITMAP; static HBITMAP Empty() { return nullptr; }
                      static void Close(HBITMAP h) { DeleteObject(h); } };
struct FontTraits { using Handle = HFONT; static HFONT Empty() { return nullptr; }
                    static void Close(HFONT h) { DeleteObject(h); } };
struct IconTraits { using Handle = HICON; static HICON Empty() { return nullptr; }
                    static void Close(HICON h) { DestroyIcon(h); } };
struct MenuTraits { using Handle = HMENU; static HMENU Empty() { return nullptr; }
                    static void Close(HMENU h) { DestroyMenu(h); } };
struct FileTraits { using Handle = HANDLE; static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
                    static void Close(HANDLE h) { CloseHandle(h); } };
struct EventTraits { using Handle = HANDLE; static HANDLE Empty() { return nullptr; }
                     static void Close(HANDLE h) { CloseHandle(h); } };
struct ThreadTraits { using Handle = HANDLE; static HANDLE Empty() { return nullptr; }
                      static void Close(HANDLE h) { CloseHandle(h); } };
struct ProcessTraits { using Handle = HANDLE; static HANDLE Empty() { return nullptr; }
                       static void Close(HANDLE h) { CloseHandle(h); } };
struct FindTraits { using Handle = HANDLE; static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
                    static void Close(HANDLE h) { FindClose(h); } };
struct ChangeNotificationTraits { using Handle = HANDLE; static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
                                  static void Close(HANDLE h) { FindCloseChangeNotification(h); } };

struct VirtualMemoryTraits { using Handle = void*; static void* Empty() { return nullptr; }
                             static void Close(void* p) { VirtualFree(p, 0, MEM_RELEASE); } };

using UniqueKey = Unique<KeyTraits>;
using MemoryDc = Unique<MemoryDcTraits>;
using UniqueGdiObject = Unique<GdiTraits>;
using UniqueBitmap = Unique<BitmapTraits>;
using UniqueFont = Unique<FontTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueEvent = Unique<EventTraits>;
using UniqueThread = Unique<ThreadTraits>;
using UniqueChangeNotification = Unique<ChangeNotificationTraits>;
using UniqueProcess = Unique<ProcessTraits>;
using UniqueFind = Unique<FindTraits>;  // FindFirstFileW's search
using UniqueVirtualMemory = Unique<VirtualMemoryTraits>;

class Selection {  // puts back whatever was selected before
 public:
  Selection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
  ~Selection() { if (*this) SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  explicit operator bool() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class WindowDc {  // GetDC's context, given back to the window it came from
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() { if (dc_) ReleaseDC(hwnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class WaitCursor {  // the hourglass while the user waits, then the cursor as it was
 public:
  WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

class ComApartment {  // uninitialises only what it initialised
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() { if (SUCCEEDED(hr_)) CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

}  // namespace velmora
