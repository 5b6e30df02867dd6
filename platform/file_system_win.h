#pragma once
#include <windows.h>

#include "platform/file_system.h"

namespace velmora {

class SystemFileSystem final : public FileSystem {
 public:
  bool IsOrdinaryFile(const std::wstring& path) const override {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
};

}  // namespace velmora
