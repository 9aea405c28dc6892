#include "ui/DialogSupport.h"

#include "port/ModuleGlobals.h"
#include "ui/DialogState.h"

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
    auto* controller = reinterpret_cast<DialogContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!controller)
        return {nullptr, true, FALSE};
    if (HBRUSH brush = ControlColour(controller->colourScheme, message, reinterpret_cast<HDC>(wParam)))
        return {controller, true, reinterpret_cast<INT_PTR>(brush)};
    return {controller, false, FALSE};
}

void PaintDialogBackground(HWND dialog, HDC dc, const ColourScheme& scheme, std::initializer_list<int> rules)
{
    RECT client;
    GetClientRect(dialog, &client);
    FillRect(dc, &client, scheme.faceBrush);
    HGDIOBJ oldPen = SelectObject(dc, scheme.borderPen);
    for (int i = 0; i < 2; ++i) {
        MoveToEx(dc, client.left + i, client.top, nullptr);
        LineTo(dc, client.left + i, client.bottom);
        MoveToEx(dc, client.right - 1 - i, client.top, nullptr);
        LineTo(dc, client.right - 1 - i, client.bottom);
        MoveToEx(dc, client.left, client.bottom - 1 - i, nullptr);
        LineTo(dc, client.right, client.bottom - 1 - i);
    }
    for (int id : rules) {
        RECT rule;
        HWND marker = GetDlgItem(dialog, id);
        if (!marker || !GetWindowRect(marker, &rule))
            continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rule), 2);
        SelectObject(dc, scheme.shadowPen);
        MoveToEx(dc, rule.left, rule.bottom - 1, nullptr);
        LineTo(dc, rule.right, rule.bottom - 1);
        SelectObject(dc, scheme.lightPen);
        MoveToEx(dc, rule.left, rule.bottom, nullptr);
        LineTo(dc, rule.right, rule.bottom);
    }
    SelectObject(dc, oldPen);
}

void OpenFilledSelector(DialogContext* controller, HWND dialog, int id, int32_t rows)
{
    DropDownSelector& list = controller->dropDown;
    if (rows <= 0) {
        list.Close();
        return;
    }
    HWND button = GetDlgItem(dialog, id);
    RECT box;
    GetWindowRect(button, &box);
    controller->dropDownOpen = 1;
    controller->dropDownHeld = 1;
    const ColourScheme& scheme = controller->colourScheme;
    int height = box.bottom - box.top;
    if (list.Open(dialog, box.left, box.bottom, box.right - box.left, height * rows, controller->dialogFont, id,
                  scheme.fieldColour, scheme.selectColour, scheme.textColour, gModuleInstance) != 0) {
        controller->dropDownOpen = 0;
        controller->dropDownHeld = 0;
    }
    InvalidateRect(button, nullptr, FALSE);
}

void FinishSelectorChoice(DialogContext* controller, HWND dialog, int id)
{
    controller->dropDown.Close();
    controller->dropDownOpen = 0;
    SetActiveWindow(dialog);
    InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE);
}
