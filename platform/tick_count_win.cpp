// GetTickCount64 for Windows XP. The thread library that the C++ runtime
// links statically (winpthreads) imports it for its timed waits, and XP's
// kernel32 lacks it, so XP's loader would refuse the whole program. Defining
// the import's pointer here keeps it out of the import table: the function is
// looked up at run time, and on XP the 32-bit count is extended instead.
#include <windows.h>

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

// The 32-bit count wraps every 49.7 days; each wrap seen adds 2^32. Callers
// ask at least that often (the waits that use it are far shorter), so a
// count below the last one means exactly one wrap.
volatile LONG busy = 0;
DWORD last = 0;
ULONGLONG wraps = 0;

ULONGLONG WINAPI ExtendedTickCount() {
  while (InterlockedExchange(&busy, 1) != 0) Sleep(0);
  const DWORD now = GetTickCount();
  if (now < last) wraps += 1ull << 32;
  last = now;
  const ULONGLONG result = wraps + now;
  InterlockedExchange(&busy, 0);
  return result;
}

ULONGLONG WINAPI FirstTickCount64();
// Written once on the first call; a second thread that races it writes the
// same value.
TickCount64Fn chosen = &FirstTickCount64;

ULONGLONG WINAPI FirstTickCount64() {
  TickCount64Fn newer = nullptr;
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    newer = reinterpret_cast<TickCount64Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")));
  chosen = newer ? newer : &ExtendedTickCount;
  return chosen();
}

ULONGLONG WINAPI TickCount64() { return chosen(); }

}  // namespace

// The name the import library gives the pointer (on i686 decorated as
// stdcall with no arguments). Every program links this file as an object,
// so the linker has the name before it searches the import library.
#if defined(__i386__)
#define VELMORA_TICK_IMPORT "__imp__GetTickCount64@0"
#else
#define VELMORA_TICK_IMPORT "__imp_GetTickCount64"
#endif
extern "C" {
extern TickCount64Fn velmora_tick_count_import __asm__(VELMORA_TICK_IMPORT);
TickCount64Fn velmora_tick_count_import = &TickCount64;
}
