#include "convert/bmp_name.h"

namespace velmora::convert {

bool HasBmpExtension(const std::wstring& name) {
  // ends_with compares the last four characters, or fails for a shorter name,
  // which is what comparing a shorter name whole with ".bmp" gives.
  return name.ends_with(L".bmp");
}

std::wstring WithBmpExtension(const std::wstring& name) {
  return HasBmpExtension(name) ? name : name + L".bmp";
}

namespace {

// Extensions are ASCII; other letters keep their case.
std::wstring AsciiLower(std::wstring name) {
  for (wchar_t& c : name)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return name;
}

}  // namespace

bool HasBmpExtensionInAnyCase(const std::wstring& name) { return AsciiLower(name).ends_with(L".bmp"); }

bool HasGifOrJpegExtension(const std::wstring& name) {
  const std::wstring lower = AsciiLower(name);
  return lower.ends_with(L".gif") || lower.ends_with(L".jpg") || lower.ends_with(L".jpeg");
}

}  // namespace velmora::convert
