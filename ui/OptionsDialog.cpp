#include "ui/OptionsDialog.h"
#include "platform/ResultCodes.h"

#include "port/DeviceControlPort.h"
#include "port/PortSet.h"
#include "port/FixedText.h"
#include "port/ModuleGlobals.h"
#include "ui/DialogState.h"
#include "resources/DialogIds.h"
#include "ui/ControlDrawing.h"
#include "ui/DialogSupport.h"
#include "ui/SetTimeDialog.h"

#include <cstdio>
#include <cstring>

namespace {

const char kTitleLabel[] = "Veltrix Device Control";
constexpr int kActivationAttempts = 8;
constexpr int kNameBytes = 128;

// A port's list of named entries: its timecode formats or its sources.
struct NamedSetting {
    int controlId;
    int32_t (DeviceControlPort::*count)(int32_t*) const;
    int32_t (DeviceControlPort::*name)(int32_t, char*);
    int32_t (DeviceControlPort::*get)(int32_t*);
    int32_t (DeviceControlPort::*set)(int32_t);
};

const NamedSetting kFormatSetting = {IDC_FORMAT_SELECTOR, &DeviceControlPort::GetTimecodeFormatCount,
                                     &DeviceControlPort::GetTimecodeFormatName, &DeviceControlPort::GetTimecodeFormat,
                                     &DeviceControlPort::SetTimecodeFormat};
const NamedSetting kSourceSetting = {IDC_SOURCE_SELECTOR, &DeviceControlPort::GetTimecodeSourceCount,
                                     &DeviceControlPort::GetTimecodeSourceName, &DeviceControlPort::GetTimecodeSource,
                                     &DeviceControlPort::SetTimecodeSource};

// Shows the current entry's name on its selector; false when the port refuses.
bool ShowCurrentName(HWND dialog, DeviceControlPort* port, const NamedSetting& setting)
{
    int32_t index = 0;
    char name[kNameBytes] = {};
    if ((port->*setting.get)(&index) != 0 || (port->*setting.name)(index, name) != 0)
        return false;
    SetDlgItemTextA(dialog, setting.controlId, name);
    return true;
}

void ShowStatusIfChanged(DialogContext* controller, HWND dialog, DeviceControlPort* port)
{
    char status[64] = {};
    port->GetControlStateText(status);
    if (std::strcmp(status, controller->optionsStatusText) == 0)
        return;
    CopyText(controller->optionsStatusText, status);
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, controller->optionsStatusText);
}

void RepaintEmbeddedTc(DialogContext* controller, HWND dialog)
{
    uint8_t flag = 0;
    controller->GetEmbeddedTcCapture(&flag);
    HWND box = GetDlgItem(dialog, IDC_EMBEDDED_TC);
    RepaintCheckBox(controller->colourScheme, box, flag != 0, IsWindowEnabled(box) ? kLookNormal : kLookDisabled);
}

void ShowBoardName(HWND dialog, DeviceControlPort* port)
{
    char name[kNameBytes] = "Unknown Board";
    if (port)
        port->GetBoardName(name);
    SetDlgItemTextA(dialog, IDC_BOARD_SELECTOR, name);
}

void Initialise(HWND dialog, DialogContext* controller)
{
    RefreshOptionsDialog(controller, dialog, controller->CurrentPort());
    CentreDialog(dialog, controller->hostWindow);
    ShowBoardName(dialog, controller->CurrentPort());
    controller->dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    controller->optionsDialog = dialog;
}

// Fills the list for a selector; gives the number of rows it is opened
// for, 0 when it must not open.
int32_t FillList(DialogContext* controller, int id)
{
    DropDownSelector& list = controller->dropDown;
    if (id == IDC_BOARD_SELECTOR) {
        int32_t added = 0;
        for (DeviceControlPort* port : controller->ports) {
            char name[kNameBytes] = {};
            if (port && port->IsOpen() && port->GetBoardName(name) == 0 && list.AddItem(-1, name))
                ++added;
        }
        return added;
    }
    DeviceControlPort* port = controller->CurrentPort();
    const NamedSetting& setting = id == IDC_FORMAT_SELECTOR ? kFormatSetting : kSourceSetting;
    int32_t count = 0;
    if (!port || (port->*setting.count)(&count) != 0)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        char name[kNameBytes] = {};
        if ((port->*setting.name)(i, name) != 0 || !list.AddItem(-1, name))
            break;
    }
    return list.ItemCount() > 0 ? count : 0;
}

void OpenSelector(DialogContext* controller, HWND dialog, int id)
{
    // Whatever a failed opening left in the list must not add to this one.
    controller->dropDown.Close();
    OpenFilledSelector(controller, dialog, id, FillList(controller, id));
}

void ChooseBoard(DialogContext* controller, HWND dialog, int32_t row)
{
    if (row < 0 || row >= controller->portCount || row >= kMaxPorts || row == controller->currentPort ||
        !controller->ports[row])
        return;
    controller->currentPort = row;
    ShowBoardName(dialog, controller->CurrentPort());
    RefreshOptionsDialog(controller, dialog, controller->CurrentPort());
}

// Sends the new entry to the port only when it differs from the current one.
bool ChooseNamed(DeviceControlPort* port, HWND dialog, const NamedSetting& setting, int32_t row)
{
    int32_t current = 0;
    if (!port || row < 0 || (port->*setting.get)(&current) != 0 || row == current)
        return false;
    if ((port->*setting.set)(row) != 0)
        return false;
    return ShowCurrentName(dialog, port, setting);
}

void OnChoice(DialogContext* controller, HWND dialog, int id, int32_t row)
{
    controller->dropDownHeld = 0;
    DeviceControlPort* port = controller->CurrentPort();
    if (id == IDC_BOARD_SELECTOR)
        ChooseBoard(controller, dialog, row);
    else if (id == IDC_FORMAT_SELECTOR && ChooseNamed(port, dialog, kFormatSetting, row))
        RefreshOptionsDialog(controller, dialog, port);
    else if (id == IDC_SOURCE_SELECTOR)
        ChooseNamed(port, dialog, kSourceSetting, row);
    FinishSelectorChoice(controller, dialog, id);
}

void ToggleEmbeddedTc(DialogContext* controller, HWND dialog)
{
    uint8_t flag = 0;
    controller->GetEmbeddedTcCapture(&flag);
    if (controller->SetEmbeddedTcCapture(flag ? 0 : 1) != 0)
        return;
    RepaintEmbeddedTc(controller, dialog);
}

void EnterOffset(DialogContext* controller, HWND dialog)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (!port || !port->IsActive())
        return;
    TimeEntryParams& params = controller->timeEntry;
    int32_t offset = 0;
    if (port->GetTimecodeOffset(&offset) != 0)
        offset = 0;
    params.SetMode(TimeEntryParams::kNumberEntry);
    params.SetTitle("Set TC Offset");
    params.SetBounds(DeviceControlPort::kMinTimecodeOffset, DeviceControlPort::kMaxTimecodeOffset);
    params.SetPrompt("Range: -30 to 30");
    params.SetValue(offset);
    if (RunSetTimeDialog(controller, dialog) == 0)
        return;
    if (params.GetMode() != TimeEntryParams::kNumberEntry)
        return;
    port->SetTimecodeOffset(params.GetValue());
    if (port->GetTimecodeOffset(&offset) == 0)
        SetDlgItemInt(dialog, IDC_OFFSET_VALUE, offset, TRUE);
}

void RefreshOnActivation(DialogContext* controller, HWND dialog, bool activating)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (activating && port) {
        for (int i = 0; i < kActivationAttempts && !port->IsActive(); ++i)
            port->Activate();
    }
    if (controller->dropDownOpen || !port)
        return;
    ShowStatusIfChanged(controller, dialog, port);
    EnableOptionsControls(dialog, port);
}

// Closing from the frame (or Escape) leaves the ports free, unless an edit
// is running on the current one.
void CloseRequest(DialogContext* controller, HWND dialog)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (port && port->IsEditing())
        return;
    for (DeviceControlPort* port : controller->ports) {
        if (port)
            port->Deactivate();
    }
    controller->hostWindow = nullptr;
    controller->optionsDialog = nullptr;
    EndDialog(dialog, 0);
}

void DrawItem(DialogContext* controller, const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_BUTTON)
        return;
    const ColourScheme& scheme = controller->colourScheme;
    switch (item.CtlID) {
    case IDC_OPTIONS_TITLE: {
        const char* labels[] = {kTitleLabel};
        DrawTitleStrip(scheme, controller->dialogFont, item.hDC, item.rcItem, 1, 0, labels);
        break;
    }
    case IDC_BOARD_SELECTOR:
    case IDC_FORMAT_SELECTOR:
    case IDC_SOURCE_SELECTOR: {
        bool held = controller->dropDownHeld && controller->dropDown.ControlId() == static_cast<int32_t>(item.CtlID);
        DrawDropDownButton(scheme, item, held);
        break;
    }
    case IDC_OPTIONS_OK:
    case IDC_OPTIONS_CANCEL:
        DrawPushButton(scheme, item, scheme.disabledTextColour);
        break;
    case IDC_EMBEDDED_TC: {
        uint8_t flag = 0;
        controller->GetEmbeddedTcCapture(&flag);
        DrawCheckBox(scheme, item.hDC, item.rcItem, flag != 0, LookOf(item));
        break;
    }
    case IDC_OFFSET_VALUE: {
        char text[32] = {};
        GetWindowTextA(item.hwndItem, text, sizeof text);
        bool grey = (item.itemState & (ODS_SELECTED | ODS_DISABLED)) != 0;
        DrawValueBox(controller->dialogFont, scheme.faceBrush, grey ? scheme.greyTextColour : scheme.valueColour,
                     scheme.faceColour, item.hDC, item.rcItem, text, false);
        break;
    }
    default:
        break;
    }
}

bool OnCommand(DialogContext* controller, HWND dialog, int id, int notification)
{
    if (notification != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_BOARD_SELECTOR:
    case IDC_FORMAT_SELECTOR:
    case IDC_SOURCE_SELECTOR:
        OpenSelector(controller, dialog, id);
        return true;
    case IDC_EMBEDDED_TC:
        ToggleEmbeddedTc(controller, dialog);
        return true;
    case IDC_OFFSET_VALUE:
        EnterOffset(controller, dialog);
        return true;
    case IDC_OPTIONS_OK:
        EndDialog(dialog, 1);
        return true;
    case IDC_OPTIONS_CANCEL:
        EndDialog(dialog, 0);
        return true;
    case IDCANCEL:
        CloseRequest(controller, dialog);
        return true;
    default:
        return false;
    }
}

} // namespace

void EnableOptionsControls(HWND dialog, DeviceControlPort* port)
{
    BOOL usable = port && port->IsControlSupported() && port->IsActive();
    EnableWindow(GetDlgItem(dialog, IDC_FORMAT_SELECTOR), usable);
    EnableWindow(GetDlgItem(dialog, IDC_SOURCE_SELECTOR), usable);
    EnableWindow(GetDlgItem(dialog, IDC_OFFSET_VALUE), usable);
    EnableWindow(GetDlgItem(dialog, IDC_BOARD_SELECTOR), TRUE);
}

void RefreshOptionsDialog(DialogContext* controller, HWND dialog, DeviceControlPort* port)
{
    if (!port)
        return;
    ShowCurrentName(dialog, port, kFormatSetting);
    ShowCurrentName(dialog, port, kSourceSetting);
    uint8_t flag = 0;
    controller->GetEmbeddedTcCapture(&flag);
    RepaintCheckBox(controller->colourScheme, GetDlgItem(dialog, IDC_EMBEDDED_TC), flag != 0, kLookNormal);
    int32_t offset = 0;
    SetDlgItemInt(dialog, IDC_OFFSET_VALUE, port->GetTimecodeOffset(&offset) == 0 ? offset : 0, TRUE);
    ShowStatusIfChanged(controller, dialog, port);
    EnableOptionsControls(dialog, port);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogMessageStart start = StartDialogMessage(dialog, message, wParam, lParam);
    if (start.answered)
        return start.answer;
    DialogContext* controller = start.controller;
    const ColourScheme& scheme = controller->colourScheme;
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, controller);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(controller, dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case kDropDownChoiceMessage:
        OnChoice(controller, dialog, static_cast<int>(wParam), static_cast<int32_t>(lParam));
        return TRUE;
    case WM_ACTIVATE:
        RefreshOnActivation(controller, dialog, LOWORD(wParam) != WA_INACTIVE);
        return FALSE;
    case WM_ACTIVATEAPP:
        RefreshOnActivation(controller, dialog, wParam && GetForegroundWindow() == dialog);
        return FALSE;
    case WM_CLOSE:
        CloseRequest(controller, dialog);
        return TRUE;
    case WM_ERASEBKGND:
        PaintDialogBackground(dialog, reinterpret_cast<HDC>(wParam), scheme, {IDC_OPTIONS_RULE});
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(controller, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

int32_t RunOptionsDialog(DialogContext* controller, HWND parent, PersistedSettings* hostRecord)
{
    if (!controller || !controller->setUp || controller->optionsDialog)
        return kResultRefused;
    BuildColourScheme(controller);
    controller->hostWindow = parent;
    controller->dropDownOpen = 0;
    controller->dropDownHeld = 0;
    for (DeviceControlPort* port : controller->ports) {
        if (port && !port->IsActive())
            port->Activate();
    }

    PersistedSettings backup = controller->persisted;
    INT_PTR result = DialogBoxParamA(gModuleInstance, MAKEINTRESOURCEA(IDD_OPTIONS), parent, OptionsDialogProc,
                                     reinterpret_cast<LPARAM>(controller));
    PersistedSettings& mirror = controller->persisted;
    if (result == 1) {
        mirror.selectedPort = controller->currentPort;
        for (int slot = 0; slot < kMaxPorts; ++slot) {
            if (controller->ports[slot])
                controller->ports[slot]->CopySettingsOut(&mirror.ports[slot]);
        }
    } else {
        mirror = backup;
        controller->currentPort = backup.selectedPort;
    }
    // A list left open by a dialog that ended under it goes with the dialog.
    controller->dropDown.Close();
    controller->dropDownOpen = 0;
    controller->dropDownHeld = 0;

    PersistedSettings chosen = mirror;
    if (hostRecord)
        *hostRecord = chosen;
    for (DeviceControlPort* port : controller->ports) {
        if (port && port->IsActive())
            port->Deactivate();
    }
    ApplyPersistedSettings(controller, &chosen);
    controller->optionsDialog = nullptr;
    controller->hostWindow = nullptr;
    ReleaseColourScheme(&controller->colourScheme);
    return 0;
}
