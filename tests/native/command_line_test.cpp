#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace velmora {
namespace {

using Kind = StartRequest::Kind;

TEST(CommandLine, EachFormGetsTheAnswerThatFitsIt) {
  const std::set<std::wstring> onDisk = {L"C:\\my pictures\\stone.bmp", L"C:\\a.bmp", L"C:\\b.bmp"};
  const auto exists = [&](const std::wstring& path) { return onDisk.count(path) > 0; };
  struct Case { std::vector<std::wstring> args; Kind kind; std::wstring pathOrSays; };
  const Case cases[] = {
      {{}, Kind::Nothing, L""},
      {{L""}, Kind::Nothing, L""},  // an empty argument is none
      {{L"", L""}, Kind::Nothing, L""},
      {{L"/?"}, Kind::Tell, L"To start Velmora with a picture"},
      {{L"-?"}, Kind::Tell, L"To start Velmora with a picture"},
      {{L"https://example.com/stone.bmp"}, Kind::Tell, L"is an address on the web"},
      {{L"C:\\my pictures\\stone.bmp"}, Kind::Open, L"C:\\my pictures\\stone.bmp"},  // quoted: one argument
      {{L"C:\\my", L"pictures\\stone.bmp"}, Kind::Open, L"C:\\my pictures\\stone.bmp"},  // unquoted, taken whole
      {{L"C:\\a.bmp", L"C:\\b.bmp"}, Kind::Open, L"C:\\a.bmp"},  // "Send To" with two files: the first
      {{L"C:\\my", L"stone.bmp"}, Kind::Tell, L"goes in double quotes"},
      {{L"C:\\gone.bmp"}, Kind::Open, L"C:\\gone.bmp"},  // refused with the reason, as "Open a bitmap" would
      {{L"C:\\x:\\y.bmp"}, Kind::Open, L"C:\\x:\\y.bmp"},
  };
  for (const Case& c : cases) {
    const StartRequest request = ReadCommandLine(c.args, exists);
    SCOPED_TRACE(c.args.empty() ? std::string("none") : std::string(c.args[0].begin(), c.args[0].end()));
    EXPECT_EQ(request.kind, c.kind);
    if (c.kind == Kind::Open) EXPECT_EQ(request.path, c.pathOrSays);
    if (c.kind == Kind::Tell) EXPECT_NE(request.message.find(c.pathOrSays), std::wstring::npos);
  }
}

}  // namespace
}  // namespace velmora
