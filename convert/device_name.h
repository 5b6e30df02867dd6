#pragma once
#include <string>

namespace velmora::convert {

// True when the path's last part is one of the names Windows keeps for
// devices (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$), with or
// without an extension and whatever the case: "C:\windows\NUL.bmp" is the
// null device, not a file, in every folder.
bool IsDeviceName(const std::wstring& path);

}  // namespace velmora::convert
