#pragma once
// What the handlers ask of the disk before they open a file.
#include <string>

namespace velmora {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True for an ordinary file; a folder does not count.
  virtual bool IsOrdinaryFile(const std::wstring& path) const = 0;
};

}  // namespace velmora
