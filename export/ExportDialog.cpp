#include "export/ExportDialog.h"

#include "export/ExportDialogParts.h"
#include "export/ExportKeys.h"
#include "export/ExportWorker.h"
#include "port/DeviceControlPort.h"
#include "port/FixedText.h"
#include "export/ExportState.h"
#include "port/TimecodeText.h"
#include "resources/DialogIds.h"
#include "ui/ControlDrawing.h"
#include "ui/DialogSupport.h"
#include "ui/TransportDrawing.h"

#include <cstring>
#include <initializer_list>

using namespace export_dialog;

namespace {

const char kTitleLabel[] = "Veltrix Export";
constexpr size_t kTextBytes = 64;

const std::initializer_list<int> kChannelBoxes = {
    IDC_EXPORT_VIDEO, IDC_EXPORT_A1, IDC_EXPORT_A2, IDC_EXPORT_A3, IDC_EXPORT_A4,
    IDC_EXPORT_A5,    IDC_EXPORT_A6, IDC_EXPORT_A7, IDC_EXPORT_A8, IDC_EXPORT_PREVIEW,
};
const std::initializer_list<int> kChannelLabels = {
    IDC_EXPORT_VIDEO_LABEL, IDC_EXPORT_A1_LABEL, IDC_EXPORT_A2_LABEL, IDC_EXPORT_A3_LABEL, IDC_EXPORT_A4_LABEL,
    IDC_EXPORT_A5_LABEL,    IDC_EXPORT_A6_LABEL, IDC_EXPORT_A7_LABEL, IDC_EXPORT_A8_LABEL, IDC_EXPORT_PREVIEW_LABEL,
};
// The deck's controls, the shuttle bar among them.
const std::initializer_list<int> kTransport = {
    IDC_EXPORT_REWIND,       IDC_EXPORT_REVERSE_PLAY, IDC_EXPORT_STILL,    IDC_EXPORT_PLAY,
    IDC_EXPORT_FAST_FORWARD, IDC_EXPORT_STEP_BACK,    IDC_EXPORT_GO_TO_IN, IDC_EXPORT_GO_TO_OUT,
    IDC_EXPORT_STOP,         IDC_EXPORT_STEP_FORWARD, IDC_EXPORT_SHUTTLE,
};

void ShowAll(HWND dialog, std::initializer_list<int> ids, bool show)
{
    for (int id : ids)
        ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void EnableAll(HWND dialog, std::initializer_list<int> ids, bool enable)
{
    for (int id : ids)
        EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE);
}

void ShowControlStateIfChanged(ExportContext* controller, HWND dialog, DeviceControlPort* port)
{
    char state[kTextBytes] = {};
    char shown[kTextBytes] = {};
    port->GetControlStateText(state);
    ReadDisplayCopy(controller, kControlStateCopy, shown, sizeof shown);
    if (std::strcmp(state, shown) == 0)
        return;
    WriteDisplayCopy(controller, kControlStateCopy, state);
    SetDlgItemTextA(dialog, IDC_EXPORT_CONTROL_STATE, state);
}

void Initialise(ExportContext* controller, HWND dialog)
{
    DeviceControlPort* port = controller->CurrentPort();
    LoadExportControls(controller, dialog, port);
    CentreDialog(dialog, controller->hostWindow);
    ShowBoardName(dialog, port);
    controller->dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!IsEditing(port)) {
        controller->exportDialog = dialog;
        ShowWindow(dialog, SW_SHOW);
        StartWorker(controller);
    } else {
        ShowWindow(dialog, SW_SHOW);
    }
}

void OnActivation(ExportContext* controller, HWND dialog, bool activated)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (activated) {
        for (DeviceControlPort* each : controller->ports) {
            if (each && !each->IsActive())
                each->Activate();
        }
        // A dialog already ended must not start a worker that nothing stops.
        if (port && port->IsControlSupported() && port->IsActive() && controller->exportDialog == dialog)
            StartWorker(controller);
    }
    if (!port)
        return;
    if (!controller->dropDownOpen)
        UpdateExportControls(dialog, port);
    SetExportHotKeys(controller, dialog, activated);
    ShowControlStateIfChanged(controller, dialog, port);
}

// The worker drew a text into a control; the control takes it as its own.
void AdoptWorkerText(ExportContext* controller, HWND dialog, int id)
{
    DisplayCopy which = id == IDC_EXPORT_CONTROL_STATE ? kControlStateCopy
                        : id == IDC_EXPORT_DECK_MODE   ? kDeckModeCopy
                                                       : kTimecodeCopy;
    char text[kTextBytes] = {};
    ReadDisplayCopy(controller, which, text, sizeof text);
    char current[kTextBytes] = {};
    GetDlgItemTextA(dialog, id, current, sizeof current);
    if (std::strcmp(current, text) != 0)
        SetDlgItemTextA(dialog, id, text);
}

int RecordLook(const DRAWITEMSTRUCT& item, const DeviceControlPort* port)
{
    const bool active = port && port->IsActive();
    const bool supported = port && port->IsControlSupported();
    if ((item.itemState & ODS_DISABLED) && (!supported || !active))
        return 0;
    return active && IsEditing(port) ? 2 : 1;
}

void DrawValueField(ExportContext* controller, const DRAWITEMSTRUCT& item)
{
    const ColourScheme& scheme = controller->colourScheme;
    char text[kTextBytes] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    const bool grey = (item.itemState & (ODS_SELECTED | ODS_DISABLED)) != 0;
    DrawValueBox(controller->dialogFont, scheme.faceBrush, grey ? scheme.greyTextColour : scheme.valueColour,
                 scheme.faceColour, item.hDC, item.rcItem, text, false);
}

void DrawItem(ExportContext* controller, const DRAWITEMSTRUCT& item)
{
    const ColourScheme& scheme = controller->colourScheme;
    DeviceControlPort* port = controller->CurrentPort();
    switch (item.CtlID) {
    case IDC_EXPORT_TITLE: {
        const char* labels[] = {kTitleLabel};
        DrawTitleStrip(scheme, controller->dialogFont, item.hDC, item.rcItem, 1, 0, labels);
        return;
    }
    case IDC_EXPORT_BOARD:
    case IDC_EXPORT_MODE:
    case IDC_EXPORT_MARK_IN: {
        const bool held = controller->dropDownHeld && controller->dropDown.ControlId() == int32_t(item.CtlID);
        DrawDropDownButton(scheme, item, held);
        return;
    }
    case IDC_EXPORT_PREROLL:
    case IDC_EXPORT_OFFSET:
    case IDC_EXPORT_DECK_TIMECODE:
    case IDC_EXPORT_IN_POINT:
    case IDC_EXPORT_DELAY:
        DrawValueField(controller, item);
        return;
    case IDC_EXPORT_SHUTTLE: {
        const bool enabled = !(item.itemState & ODS_DISABLED) || (port && port->IsActive());
        DrawShuttleBar(scheme, item.hDC, item.rcItem, enabled, kShuttleCentre);
        return;
    }
    case IDC_EXPORT_RECORD:
        DrawRecordIndicator(scheme, item.hDC, item.rcItem, RecordLook(item, port), port);
        return;
    default:
        break;
    }
    uint8_t flag = 0;
    if (port && ReadChannelFlag(port, static_cast<int>(item.CtlID), &flag)) {
        DrawCheckBox(scheme, item.hDC, item.rcItem, flag != 0, LookOf(item));
        return;
    }
    for (int id : kTransport) {
        if (id == static_cast<int>(item.CtlID) && id != IDC_EXPORT_SHUTTLE) {
            DrawTransportButton(scheme, item);
            return;
        }
    }
}

} // namespace

void SetExportHotKeys(ExportContext* controller, HWND dialog, bool on)
{
    if (on == (controller->hotKeysRegistered != 0))
        return;
    for (const ExportHotKey& key : kExportHotKeys) {
        if (on)
            RegisterHotKey(dialog, key.id, 0, key.virtualKey);
        else
            UnregisterHotKey(dialog, key.id);
    }
    controller->hotKeysRegistered = on ? 1 : 0;
}

void UpdateExportControls(HWND dialog, DeviceControlPort* port)
{
    if (!port)
        return;
    const bool editing = IsEditing(port);
    const bool active = port->IsActive();
    const bool supported = port->IsControlSupported();

    EnableAll(dialog, kTransport, active && !editing);
    EnableAll(dialog, {IDC_EXPORT_PREROLL, IDC_EXPORT_OFFSET}, supported && active && !editing);
    if (supported) {
        ShowAll(dialog, {IDC_EXPORT_GO_TO_IN, IDC_EXPORT_GO_TO_OUT}, false);
        ShowAll(dialog,
                {IDC_EXPORT_TIMECODE_LABEL, IDC_EXPORT_MODE_LABEL, IDC_EXPORT_DECK_TIMECODE, IDC_EXPORT_DECK_MODE,
                 IDC_EXPORT_DURATION_LABEL, IDC_EXPORT_DURATION, IDC_EXPORT_MODE, IDC_EXPORT_RECORD},
                true);
        const bool insert = port->EditMode() == 1;
        ShowAll(dialog, {IDC_EXPORT_DELAY_LABEL, IDC_EXPORT_DELAY}, !insert);
        ShowAll(dialog, {IDC_EXPORT_MARK_IN, IDC_EXPORT_IN_POINT, IDC_EXPORT_OUT_POINT}, insert);
        EnableAll(dialog, kChannelBoxes, insert && !editing);
        EnableAll(
            dialog,
            {IDC_EXPORT_DECK_TIMECODE, IDC_EXPORT_DELAY, IDC_EXPORT_MARK_IN, IDC_EXPORT_IN_POINT, IDC_EXPORT_MODE},
            active && !editing);
        EnableAll(dialog, {IDC_EXPORT_RECORD}, editing || active);
    } else {
        ShowAll(dialog,
                {IDC_EXPORT_TIMECODE_LABEL, IDC_EXPORT_MODE_LABEL, IDC_EXPORT_DECK_TIMECODE, IDC_EXPORT_DECK_MODE,
                 IDC_EXPORT_MARK_IN, IDC_EXPORT_IN_POINT, IDC_EXPORT_OUT_POINT, IDC_EXPORT_DURATION_LABEL,
                 IDC_EXPORT_DURATION, IDC_EXPORT_DELAY_LABEL, IDC_EXPORT_DELAY, IDC_EXPORT_RECORD, IDC_EXPORT_MODE},
                false);
        ShowAll(dialog, kChannelBoxes, false);
        ShowAll(dialog, kChannelLabels, false);
        ShowAll(dialog, {IDC_EXPORT_GO_TO_IN, IDC_EXPORT_GO_TO_OUT, IDC_EXPORT_UPPER_RULE}, true);
    }
    EnableAll(dialog, {IDC_EXPORT_BOARD}, !editing);
}

void LoadExportControls(ExportContext* controller, HWND dialog, DeviceControlPort* port)
{
    if (!port)
        return;
    int32_t mode = 0;
    char name[kTextBytes] = {};
    if (port->GetEditMode(&mode) == 0 && port->GetEditModeName(mode, name) == 0)
        SetDlgItemTextA(dialog, IDC_EXPORT_MODE, name);
    for (int id : kChannelBoxes)
        RepaintChannelBox(controller, dialog, port, id);

    int32_t value = 0;
    SetDlgItemInt(dialog, IDC_EXPORT_OFFSET, port->GetTimecodeOffset(&value) == 0 ? value : 0, TRUE);
    SetDlgItemInt(dialog, IDC_EXPORT_PREROLL, port->GetPreroll(&value) == 0 ? value : 0, TRUE);
    char text[kTextBytes] = {};
    SetDlgItemTextA(dialog, IDC_EXPORT_IN_POINT, port->GetInText(text) == 0 ? text : kZeroTimecodeText);
    SetDlgItemTextA(dialog, IDC_EXPORT_OUT_POINT, port->GetOutText(text) == 0 ? text : kZeroTimecodeText);
    if (port->GetDelay(&value) == 0)
        SetDlgItemInt(dialog, IDC_EXPORT_DELAY, value, TRUE);
    else
        SetDlgItemTextA(dialog, IDC_EXPORT_DELAY, "");
    const int32_t duration = mode == 1 ? port->GetStoredDurationText(text) : port->GetDurationText(text);
    SetDlgItemTextA(dialog, IDC_EXPORT_DURATION, duration == 0 ? text : kZeroTimecodeText);
    ShowControlStateIfChanged(controller, dialog, port);
    UpdateExportControls(dialog, port);
}

INT_PTR CALLBACK ExportDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogMessageStart start = StartDialogMessage(dialog, message, wParam, lParam);
    if (start.answered)
        return start.answer;
    ExportContext* controller = static_cast<ExportContext*>(start.controller);
    switch (message) {
    case WM_INITDIALOG:
        Initialise(controller, dialog);
        return TRUE;
    case WM_DESTROY:
        SetExportHotKeys(controller, dialog, false);
        if (controller->exportDialog == dialog) {
            // Destroyed from outside (its owner went): nothing may draw
            // into it any more, and a status dialog's edit ends cancelled,
            // as nothing is left to end it.
            StopWorker(controller);
            controller->exportDialog = nullptr;
            if (!controller->ModalExport) {
                EndExportEdit(controller);
                ReleaseColourScheme(&controller->colourScheme);
            }
        }
        return FALSE;
    case WM_ACTIVATE:
        OnActivation(controller, dialog, LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE);
        return FALSE;
    case WM_ACTIVATEAPP:
        OnActivation(controller, dialog, wParam && GetForegroundWindow() == dialog);
        return FALSE;
    case WM_CLOSE:
        CloseExportDialog(controller, dialog);
        return TRUE;
    case WM_ERASEBKGND:
        PaintDialogBackground(dialog, reinterpret_cast<HDC>(wParam), controller->colourScheme,
                              {IDC_EXPORT_UPPER_RULE, IDC_EXPORT_LOWER_RULE});
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(controller, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnExportCommand(controller, dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_MOUSEMOVE:
        OnShuttleMove(controller, dialog, lParam);
        return FALSE;
    case WM_LBUTTONUP:
        OnShuttleRelease(controller, dialog);
        return FALSE;
    case WM_CAPTURECHANGED:
        // Another window took the mouse mid-drag: the deck stills as on a
        // release.
        if (controller->shuttleDrag)
            OnShuttleRelease(controller, dialog);
        return FALSE;
    case WM_HOTKEY:
        OnExportHotKey(controller, static_cast<int>(wParam));
        return TRUE;
    case kDropDownChoiceMessage:
        OnExportChoice(controller, dialog, static_cast<int>(wParam), static_cast<int32_t>(lParam));
        return TRUE;
    case kWorkerTextMessage:
        AdoptWorkerText(controller, dialog, static_cast<int>(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}
