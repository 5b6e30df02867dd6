#pragma once
#include <memory>

#include "registry/registry_service.h"

namespace velmora::registry {

// The real services: advapi32's ANSI functions and the system's ANSI code page.
std::unique_ptr<RegistryService> MakeSystemRegistry();
std::unique_ptr<AnsiCodec> MakeSystemAnsiCodec();

}  // namespace velmora::registry
