#include "platform/file_names.h"

#include <array>
#include <cwctype>

namespace velmora {

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

bool IsDeviceName(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/:");
  std::wstring base = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  // The device is named by what comes before the first dot; blanks before
  // it are ignored, as the system ignores them.
  base = base.substr(0, base.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
  static constexpr std::array<const wchar_t*, 6> kNames{L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* name : kNames)
    if (base == name) return true;
  return base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")) && base[3] >= L'1' &&
         base[3] <= L'9';
}

}  // namespace velmora
