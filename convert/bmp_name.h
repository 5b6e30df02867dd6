#pragma once
#include <string>

namespace velmora::convert {

// The Save dialog's name with ".bmp" added unless its last four characters
// are exactly ".bmp" (case-sensitive, so "picture.BMP" becomes
// "picture.BMP.bmp"); a name shorter than four characters is compared whole.
// True when the last four characters are exactly ".bmp"; a shorter name is
// compared whole. Case matters: "A.BMP" is not a bitmap name here.
bool HasBmpExtension(const std::wstring& name);
std::wstring WithBmpExtension(const std::wstring& name);
// True when the name ends in ".bmp" written in any case: a bitmap name that
// HasBmpExtension refuses only for its case.
bool HasBmpExtensionInAnyCase(const std::wstring& name);
// True for the names the converter opens: ending in ".gif", ".jpg" or ".jpeg",
// in any case, as the shell matches them.
bool HasGifOrJpegExtension(const std::wstring& name);

}  // namespace velmora::convert
