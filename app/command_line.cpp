#include "app/command_line.h"

#include "platform/texts.h"

namespace velmora {
namespace {

// "http://…", "ftp://…" and the like: an address, not a file on this computer.
bool IsAddress(const std::wstring& text) {
  const std::size_t colon = text.find(L"://");
  if (colon == std::wstring::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i)
    if (!((text[i] >= L'a' && text[i] <= L'z') || (text[i] >= L'A' && text[i] <= L'Z'))) return false;
  return true;
}

}  // namespace

StartRequest ReadCommandLine(const std::vector<std::wstring>& args,
                             const std::function<bool(const std::wstring&)>& exists) {
  std::vector<std::wstring> given;
  for (const std::wstring& arg : args)
    if (!arg.empty()) given.push_back(arg);  // "" is what a shell passes for nothing
  if (given.empty()) return {};
  const std::wstring& first = given.front();
  if (first == L"/?" || first == L"-?" || first == L"/h" || first == L"-h" || first == L"--help")
    return {StartRequest::Kind::Tell, L"", texts::kUsage};
  if (IsAddress(first))
    return {StartRequest::Kind::Tell, L"", texts::WebAddressGiven(first)};
  // Several files from "Send To": the first counts. A path with blanks typed
  // without quotes arrives in pieces, and is taken whole when that names a file.
  if (given.size() > 1 && !exists(first)) {
    std::wstring whole = first;
    for (std::size_t i = 1; i < given.size(); ++i) whole += L' ' + given[i];
    if (exists(whole)) return {StartRequest::Kind::Open, whole, L""};
    return {StartRequest::Kind::Tell, L"", texts::NoFileQuoteIt(whole)};
  }
  return {StartRequest::Kind::Open, first, L""};
}

}  // namespace velmora
