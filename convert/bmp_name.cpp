#include "convert/bmp_name.h"

namespace velmora::convert {

std::wstring WithBmpExtension(const std::wstring& name) {
  // ends_with compares the last four characters, or fails for a shorter name,
  // which is what comparing a shorter name whole with ".bmp" gives.
  if (name.ends_with(L".bmp")) return name;
  return name + L".bmp";
}

}  // namespace velmora::convert
