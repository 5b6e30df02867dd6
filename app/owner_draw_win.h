#pragma once
// The controls the window draws itself: picture buttons, whose pictures sit
// above their captions, and the preview's frame, which a group box would
// leave unpainted inside.
#include <windows.h>

namespace velmora {

// In a dark or high-contrast scheme the picture is drawn from its mask in
// the text colour (mono), as dark strokes on a dark face would vanish.
void DrawPictureButton(const DRAWITEMSTRUCT& item, const wchar_t* caption, HICON picture, HFONT font, bool mono);
// An etched frame with its caption set into the top edge, `indent` pixels in.
void DrawCaptionedFrame(const DRAWITEMSTRUCT& item, const wchar_t* caption, HFONT font, int indent);

}  // namespace velmora
