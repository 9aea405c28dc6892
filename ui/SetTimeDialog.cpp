#include "ui/SetTimeDialog.h"

#include "port/ModuleGlobals.h"
#include "ui/DialogState.h"
#include "port/TimecodeText.h"
#include "resources/DialogIds.h"
#include "ui/ControlDrawing.h"
#include "ui/DialogSupport.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kEntryLimit = 11;
constexpr int kLongestEntry = 259;
constexpr int kLongestPreview = 127;

const char* BaseName(const TimeEntryParams::Format& format)
{
    switch (format.formatClass) {
    case 0:
        return "Base 24";
    case 1:
        return "Base 25";
    case 2:
        return (format.dropFrame & 0xFF) == 1 ? "Base 30 DF" : "Base 30 NDF";
    default:
        return nullptr;
    }
}

// Leading blanks and a sign are allowed, reading stops at the first
// non-digit, and no digits at all read as 0.
long ReadNumber(const char* text)
{
    return std::strtol(text, nullptr, 10);
}

void Initialise(HWND dialog, DialogContext* controller, HWND parent)
{
    TimeEntryParams& params = controller->timeEntry;
    CentreDialog(dialog, parent);
    char title[64];
    params.GetTitle(title, sizeof title);
    SetWindowTextA(dialog, title);
    SendDlgItemMessageA(dialog, IDC_ENTRY_FIELD, EM_LIMITTEXT, kEntryLimit, 0);
    if (params.GetMode() == TimeEntryParams::kTimecodeEntry) {
        char text[32];
        params.GetTimecodeText(text, sizeof text);
        SetDlgItemTextA(dialog, IDC_ENTRY_FIELD, text);
        SetDlgItemTextA(dialog, IDC_ENTRY_PREVIEW, text);
        if (const char* base = BaseName(params.GetFormat()))
            SetDlgItemTextA(dialog, IDC_ENTRY_BASE, base);
    } else {
        SetDlgItemInt(dialog, IDC_ENTRY_FIELD, params.GetValue(), TRUE);
        SetDlgItemInt(dialog, IDC_ENTRY_PREVIEW, params.GetValue(), TRUE);
        char prompt[260];
        params.GetPrompt(prompt, sizeof prompt);
        SetDlgItemTextA(dialog, IDC_ENTRY_BASE, prompt);
    }
}

void UpdatePreview(HWND dialog, const TimeEntryParams& params)
{
    char typed[kLongestEntry + 1];
    GetDlgItemTextA(dialog, IDC_ENTRY_FIELD, typed, sizeof typed);
    if (params.GetMode() == TimeEntryParams::kTimecodeEntry) {
        TimeEntryParams::Format format = params.GetFormat();
        char text[16];
        NormalizeTimecodeText(typed, text, format.formatClass, static_cast<uint8_t>(format.dropFrame));
        SetDlgItemTextA(dialog, IDC_ENTRY_PREVIEW, text);
    } else {
        int32_t lower = 0;
        int32_t upper = 0;
        params.GetBounds(&lower, &upper);
        long value = ReadNumber(typed);
        value = value < lower ? lower : value > upper ? upper : value;
        SetDlgItemInt(dialog, IDC_ENTRY_PREVIEW, value, TRUE);
    }
}

void Accept(HWND dialog, TimeEntryParams& params)
{
    char preview[kLongestPreview + 1];
    GetDlgItemTextA(dialog, IDC_ENTRY_PREVIEW, preview, sizeof preview);
    if (params.GetMode() == TimeEntryParams::kTimecodeEntry)
        params.SetTimecodeText(preview);
    else
        params.SetValue(static_cast<int32_t>(ReadNumber(preview)));
    EndDialog(dialog, 1);
}

// An etched frame where the hidden group box lies.
void PaintBackground(HWND dialog, HDC dc, const ColourScheme& scheme)
{
    RECT client;
    GetClientRect(dialog, &client);
    FillRect(dc, &client, scheme.faceBrush);
    RECT frame;
    HWND marker = GetDlgItem(dialog, IDC_ENTRY_FRAME);
    if (!marker || !GetWindowRect(marker, &frame))
        return;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    RECT light = frame;
    OffsetRect(&light, 1, 1);
    FrameRect(dc, &light, scheme.lightBrush);
    FrameRect(dc, &frame, scheme.shadowBrush);
}

} // namespace

INT_PTR RunSetTimeDialog(DialogContext* controller, HWND parent)
{
    INT_PTR result = DialogBoxParamA(gModuleInstance, MAKEINTRESOURCEA(IDD_SET_TIME), parent, SetTimeDialogProc,
                                     reinterpret_cast<LPARAM>(controller));
    return result == 1 ? 1 : 0;
}

INT_PTR CALLBACK SetTimeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogMessageStart start = StartDialogMessage(dialog, message, wParam, lParam);
    if (start.answered)
        return start.answer;
    DialogContext* controller = start.controller;
    const ColourScheme& scheme = controller->colourScheme;
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, controller, GetParent(dialog));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ENTRY_FIELD:
            if (HIWORD(wParam) == EN_UPDATE)
                UpdatePreview(dialog, controller->timeEntry);
            return TRUE;
        case IDC_ENTRY_OK:
            Accept(dialog, controller->timeEntry);
            return TRUE;
        case IDC_ENTRY_CANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_ERASEBKGND:
        PaintBackground(dialog, reinterpret_cast<HDC>(wParam), scheme);
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_BUTTON)
            DrawPushButton(scheme, *item, scheme.greyTextColour);
        return TRUE;
    }
    default:
        return FALSE;
    }
}
