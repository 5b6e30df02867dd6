#pragma once
#include <string>

namespace velmora::texts {

// The About tab's text: nineteen lines joined by CR LF, none after the last.
std::wstring AboutText();
// The converter's two-line instruction between its two buttons.
std::wstring ConvertInstructions();

}  // namespace velmora::texts
