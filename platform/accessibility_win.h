#pragma once
// What screen readers are told of the controls that Windows' own proxies
// cannot describe: a picture box is a window of our class, which they call a
// "client" named by its window text, and a list is named after the label
// above it only on Windows, never under Wine. Annotations go through Active
// Accessibility's dynamic annotation, which Windows XP has; where it cannot
// be made, the controls keep what the proxies say.
#include <windows.h>

#include <string>

namespace velmora {

// Names a control by its window text, which every proxy reads, and tells
// screen readers when the name changed. Nothing is drawn from that text.
void SetAccessibleName(HWND control, const std::wstring& name);

// A role (ROLE_SYSTEM_GRAPHIC and the like) and, for a control whose own text
// is not its name, a name; each window is cleared of them before it goes.
void AnnotateAccessible(HWND control, long role, const wchar_t* name = nullptr);
void ClearAccessibleAnnotations(HWND control);

// High contrast, or any scheme whose button face is dark: pictures drawn in
// fixed dark colours would vanish there.
bool DarkOrHighContrastScheme();

}  // namespace velmora
