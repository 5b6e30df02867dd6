#include <gtest/gtest.h>

#include <string>

#include "app/design.h"
#include "app/texts.h"

namespace velmora {
namespace {

int Count(const std::wstring& text, const std::wstring& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

TEST(FixedTexts, AboutHoldsNineteenLinesAndNoTrailingBreak) {
  const std::wstring about = texts::AboutText();
  EXPECT_EQ(Count(about, L"\r\n"), 18);
  EXPECT_EQ(Count(about, L"\r"), 18);  // no lone carriage return or line feed either
  EXPECT_EQ(Count(about, L"\n"), 18);
  EXPECT_TRUE(about.starts_with(L"This application was written because I couldn't find any other "
                                L"similar programs at the time for free.\r\n\r\nThanks"));
  EXPECT_NE(about.find(L"\r\n\r\n- Click the \"Open a bitmap\" button and choose a picture from your "
                       L"hard drive.  Sample pictures are bundled with the program\r\n\r\n- Click on "
                       L"\"Apply wallpaper\" and choose \"Both\" from the menu\r\n\r\n"),
            std::wstring::npos);
  EXPECT_NE(about.find(L"especially with the preview mode.\r\n\r\n\r\nTo use:\r\n\r\n- Click"), std::wstring::npos);
  EXPECT_NE(about.find(L"The image should now be shown in your toolbar\r\n\r\n\r\n\r\n"), std::wstring::npos);
  EXPECT_FALSE(about.ends_with(L"\n"));
  const std::size_t lastBreak = about.rfind(L"\r\n");
  EXPECT_EQ(about.rfind(L"\r\n", lastBreak - 1) + 2, about.find(L"\r\n\r\n\r\n\r\n") + 8)
      << "the credit and the address are the last two lines, one break apart";
}

TEST(FixedTexts, InstructionsAreTwoLinesPointingAtTheButtons) {
  EXPECT_EQ(texts::ConvertInstructions(),
            L"<-- Choose \"Open\" and select the input file THEN\r\n"
            L"Choose \"Save\" and select an output file -->");
}

TEST(Design, ControlsOnTheFrameAndTabCountFromTheirContainers) {
  using namespace design;
  constexpr Place apply = InClient(Find(IDC_APPLY));
  EXPECT_EQ(apply.x + 0, 6360);
  EXPECT_EQ(apply.y + apply.h, 1335);  // where the popup menu opens
  constexpr Place preview = InClient(Find(IDC_PREVIEW));
  EXPECT_EQ(preview.x, 180 + 1020 + 540);
  EXPECT_EQ(preview.y, 120 + 1380 + 720);
}

TEST(Design, FocusOrderFollowsTheTableWithTheTabControlLast) {
  using namespace design;
  std::vector<int> focus;
  for (const Control& c : kControls)
    if (c.flags & kFocus) focus.push_back(c.id);
  EXPECT_EQ(focus, (std::vector<int>{IDC_OPEN_PICTURE, IDC_REMOVE_WALLPAPER, IDC_APPLY, IDC_SWATCH_EXPLORER,
                                     IDC_SWATCH_IEOE, IDC_PREVIEW_LIST, IDC_PREVIEW, IDC_OPEN_GIFJPEG,
                                     IDC_SAVE_AS_BITMAP, IDC_TABSTRIP}));
}

}  // namespace
}  // namespace velmora
