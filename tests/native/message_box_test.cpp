#include <gtest/gtest.h>

#include <string>

#include "platform/message_box.h"

namespace velmora {
namespace {

// Long paths are cut in their middle so that every box fits on the screen;
// the sentence around them, and both ends of each path, stay.
TEST(MessageText, LongPathsAreCutInTheMiddleAndTheRestStays) {
  const std::wstring sentence = L"The bitmap \"C:\\pictures\\stone.bmp\" cannot be read.\r\n\r\nIt is damaged.";
  EXPECT_EQ(FitForBox(sentence), sentence);

  const std::wstring deep = L"C:\\" + std::wstring(1000, L'd') + L"\\stone.bmp";
  const std::wstring fitted = FitForBox(L"There is no bitmap file at \"" + deep + L"\". Choose another.");
  const std::size_t start = fitted.find(L'"'), end = fitted.find(L' ', start);
  const std::wstring cut = fitted.substr(start, end - start);
  EXPECT_EQ(cut.size(), kLongestRun);
  EXPECT_EQ(cut.rfind(L"\"C:\\ddd", 0), 0u);
  EXPECT_NE(cut.find(L'\u2026'), std::wstring::npos);
  EXPECT_EQ(cut.substr(cut.size() - 12), L"\\stone.bmp\".");
  EXPECT_EQ(fitted.rfind(L"There is no bitmap file at ", 0), 0u);
  EXPECT_EQ(fitted.substr(end), L" Choose another.");

  // A path of many short words wraps, but not into more lines than a screen holds.
  std::wstring words;
  while (words.size() < 32000) words += L"a folder\\";
  const std::wstring tall = FitForBox(L"first line\r\n" + words + L"\r\nlast line");
  EXPECT_EQ(tall.size(), std::wstring(L"first line\r\n\r\nlast line").size() + kLongestLine);
  EXPECT_EQ(tall.rfind(L"first line\r\n", 0), 0u);
  EXPECT_EQ(tall.substr(tall.size() - 11), L"\r\nlast line");
}

}  // namespace
}  // namespace velmora
