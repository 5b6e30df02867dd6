#pragma once
// Shared by the libFuzzer targets: a broken invariant must abort, so that
// libFuzzer keeps the input that broke it as a crash file.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace velmora::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

// Two bytes a UTF-16 unit, low byte first, as wchar_t holds text under
// Windows; an odd last byte is a unit of its own so short inputs still count.
inline std::wstring Utf16(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    unsigned unit = static_cast<unsigned char>(bytes[i]);
    if (i + 1 < bytes.size()) unit |= unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8;
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

// The part before the first NUL, written out here rather than borrowed from
// wallpaper/ so that a fault there cannot hide in the oracle.
inline std::wstring BeforeNul(const std::wstring& text) {
  const std::size_t nul = text.find(L'\0');
  return nul == std::wstring::npos ? text : text.substr(0, nul);
}

}  // namespace velmora::fuzz

#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) ::velmora::fuzz::Fail(#cond, __FILE__, __LINE__); \
  } while (0)
