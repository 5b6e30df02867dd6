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

bool HasGifOrJpegExtension(const std::wstring& name) {
  std::wstring lower = name;
  for (wchar_t& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return lower.ends_with(L".gif") || lower.ends_with(L".jpg") || lower.ends_with(L".jpeg");
}

}  // namespace velmora::convert
