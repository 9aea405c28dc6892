#include "ui/DialogSupport.h"

#include "host/PluginController.h"

void CentreDialog(HWND dialog, HWND over)
{
    RECT box;
    if (!GetWindowRect(dialog, &box))
        return;
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);

    RECT host;
    bool overHost = over && IsWindow(over) && GetWindowRect(over, &host);
    int left = 0;
    int top = 0;
    if (overHost) {
        left = host.left + (host.right - host.left - width) / 2;
        top = host.top + (host.bottom - host.top - height) / 2;
    }
    if (!overHost || left < 0 || top < 0 || left + width > screenWidth || top + height > screenHeight) {
        left = (screenWidth - width) / 2;
        top = (screenHeight - height) / 2;
    }
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

HBRUSH ControlColour(const ColourScheme& scheme, UINT message, HDC dc)
{
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        SetTextColor(dc, scheme.textColour);
        SetBkColor(dc, scheme.fieldColour);
        return scheme.fieldBrush;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
        SetTextColor(dc, scheme.textColour);
        SetBkColor(dc, scheme.faceColour);
        return scheme.faceBrush;
    default:
        return nullptr;
    }
}

DialogMessageStart StartDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* controller = reinterpret_cast<PluginController*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!controller)
        return {nullptr, true, FALSE};
    if (HBRUSH brush = ControlColour(controller->colourScheme, message, reinterpret_cast<HDC>(wParam)))
        return {controller, true, reinterpret_cast<INT_PTR>(brush)};
    return {controller, false, FALSE};
}
