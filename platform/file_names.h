#pragma once
// What a file's name says before the file is read: its kind by extension, or
// that it names a device rather than a file.
#include <string>

namespace velmora {

// True when the last four characters are exactly ".bmp"; a shorter name is
// compared whole. Case matters: "A.BMP" is not a bitmap name here.
bool HasBmpExtension(const std::wstring& name);
// The Save dialog's name with ".bmp" added unless HasBmpExtension, so
// "picture.BMP" becomes "picture.BMP.bmp".
std::wstring WithBmpExtension(const std::wstring& name);
// True when the name ends in ".bmp" written in any case: a bitmap name that
// HasBmpExtension refuses only for its case.
bool HasBmpExtensionInAnyCase(const std::wstring& name);
// True for the names the converter opens: ending in ".gif", ".jpg" or ".jpeg",
// in any case, as the shell matches them.
bool HasGifOrJpegExtension(const std::wstring& name);

// True when the path's last part is one of the names Windows keeps for
// devices (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$), with or
// without an extension and whatever the case: "C:\windows\NUL.bmp" is the
// null device, not a file, in every folder.
bool IsDeviceName(const std::wstring& path);

}  // namespace velmora
