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

}  // namespace velmora::convert
