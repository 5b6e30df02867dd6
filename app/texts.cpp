#include "app/texts.h"

namespace velmora::texts {
namespace {
constexpr wchar_t kBreak[] = L"\r\n";

std::wstring Breaks(int n) {
  std::wstring out;
  for (int i = 0; i < n; ++i) out += kBreak;
  return out;
}
}  // namespace

std::wstring AboutText() {
  std::wstring text;
  text += L"This application was written because I couldn't find any other similar "
          L"programs at the time for free." + Breaks(2);
  text += L"Thanks to all those who have helped me test it and those who reported "
          L"problems, especially with the preview mode." + Breaks(3);
  text += L"To use:" + Breaks(2);
  text += L"- Click the \"Open a bitmap\" button and choose a picture from your hard "
          L"drive.  Sample pictures are bundled with the program" + Breaks(2);
  text += L"- Click on \"Apply wallpaper\" and choose \"Both\" from the menu" + Breaks(2);
  text += L"- Open up Explorer, Outlook Express or Internet Explorer." + Breaks(2);
  text += L"The image should now be shown in your toolbar" + Breaks(4);
  text += L"Written by the Velmora developers (velmora@example.org)" + Breaks(1) +
          L"http://www.example.org/velmora/";
  return text;
}

std::wstring ConvertInstructions() {
  return std::wstring(L"<-- Choose \"Open\" and select the input file THEN") + kBreak +
         L"Choose \"Save\" and select an output file -->";
}

}  // namespace velmora::texts
