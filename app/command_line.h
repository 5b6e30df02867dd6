#pragma once
// What the command line asks for: "Open with", "Send To" and a prompt pass
// a file; a user at a prompt may ask how.
#include <functional>
#include <string>
#include <vector>

namespace velmora {

struct StartRequest {
  enum class Kind { Nothing, Open, Tell } kind = Kind::Nothing;
  std::wstring path;     // Open: the file, as given
  std::wstring message;  // Tell: what to say instead
};

// `args` are the arguments after the program's name, as the system split
// them. `exists` says whether a path names a file or a folder.
StartRequest ReadCommandLine(const std::vector<std::wstring>& args,
                             const std::function<bool(const std::wstring&)>& exists);

}  // namespace velmora
