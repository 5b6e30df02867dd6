#include <windows.h>

#include "registry/system_registry_win.h"

namespace velmora::registry {
namespace {

// Predefined roots are 32-bit values that a 64-bit HKEY holds sign-extended.
HKEY ToHkey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }
HKEY RootToHkey(RootKey root) {
  return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

class AdvapiRegistry final : public RegistryService {
 public:
  long OpenKey(RootKey root, const std::string& subKey, std::uint32_t access,
               KeyHandle* key) override {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(RootToHkey(root), subKey.c_str(), 0, access, &opened);
    *key = result == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(opened) : 0;
    return result;
  }
  long QueryValue(KeyHandle key, const std::string& name, std::uint32_t* type,
                  char* data, std::uint32_t* size) override {
    DWORD t = *type, s = *size;
    const LONG result = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &t,
                                         reinterpret_cast<BYTE*>(data), &s);
    *type = t;
    *size = s;
    return result;
  }
  long SetValue(KeyHandle key, const std::string& name, std::uint32_t type,
                const char* data, std::uint32_t size) override {
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data), size);
  }
  long CloseKey(KeyHandle key) override { return RegCloseKey(ToHkey(key)); }
};

class SystemAnsiCodec final : public AnsiCodec {
 public:
  std::optional<std::string> ToAnsiExact(std::wstring_view text) const override {
    if (text.empty()) return std::string();
    const int n = static_cast<int>(text.size());
    // No best fit: U+221E must not quietly become '8'. The round trip below
    // catches every other replacement, whatever the code page.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), n, out.data(), bytes, nullptr, nullptr);
    if (FromAnsi(out) != text) return std::nullopt;
    return out;
  }
  std::wstring FromAnsi(std::string_view bytes) const override {
    if (bytes.empty()) return std::wstring();
    const int n = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
    std::wstring out(chars > 0 ? chars : 0, L'\0');
    if (chars > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, out.data(), chars);
    return out;
  }
};

}  // namespace

std::unique_ptr<RegistryService> MakeSystemRegistry() {
  return std::make_unique<AdvapiRegistry>();
}
std::unique_ptr<AnsiCodec> MakeSystemAnsiCodec() {
  return std::make_unique<SystemAnsiCodec>();
}

}  // namespace velmora::registry
