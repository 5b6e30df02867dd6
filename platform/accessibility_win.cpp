#include "platform/accessibility_win.h"

#include <oleacc.h>
#include <wrl/client.h>

namespace velmora {
namespace {

Microsoft::WRL::ComPtr<IAccPropServices> Annotations() {
  Microsoft::WRL::ComPtr<IAccPropServices> service;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, reinterpret_cast<void**>(service.GetAddressOf()))))
    return nullptr;
  return service;
}

}  // namespace

void SetAccessibleName(HWND control, const std::wstring& name) {
  if (!control) return;
  wchar_t now[512] = L"";
  GetWindowTextW(control, now, 512);
  if (name == now) return;
  SetWindowTextW(control, name.c_str());
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void AnnotateAccessible(HWND control, long role, const wchar_t* name) {
  const auto service = Annotations();
  if (!service || !control) return;
  VARIANT value{};
  value.vt = VT_I4;
  value.lVal = role;
  service->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE, value);
  if (name) service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name);
}

void ClearAccessibleAnnotations(HWND control) {
  const auto service = Annotations();
  if (!service || !control) return;
  MSAAPROPID props[] = {PROPID_ACC_ROLE, PROPID_ACC_NAME};
  service->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 2);
}

bool DarkOrHighContrastScheme() {
  HIGHCONTRASTW contrast{sizeof(contrast)};
  if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
      (contrast.dwFlags & HCF_HIGHCONTRASTON))
    return true;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // Perceived brightness, as ITU-R BT.601 weighs the three.
  return 299 * GetRValue(face) + 587 * GetGValue(face) + 114 * GetBValue(face) < 128 * 1000;
}

}  // namespace velmora
