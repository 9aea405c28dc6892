// The export dialog's commands: the record button, the deck's transport,
// the shuttle bar and keys, mark in, the channel boxes, the two drop-downs
// and the value fields.
#include "export/ExportDialog.h"
#include "export/ExportDialogParts.h"
#include "export/ExportKeys.h"
#include "export/ExportWorker.h"
#include "export/ResultCodeText.h"
#include "port/DeviceControlPort.h"
#include "export/ExportState.h"
#include "port/TimecodeText.h"
#include "platform/NxPlatform.h"
#include "resources/DialogIds.h"
#include "ui/ColourScheme.h"
#include "ui/ControlDrawing.h"
#include "ui/DialogSupport.h"
#include "ui/SetTimeDialog.h"
#include "ui/TransportDrawing.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>

namespace export_dialog {

namespace {

constexpr size_t kTextBytes = 64;
const char kErrorCaption[] = "Error";

// The channel and preview boxes and the port flag each stands for.
struct ChannelBox {
    int id;
    int audioIndex; // -1: video, -2: preview
};
constexpr int kVideoBox = -1;
constexpr int kPreviewBox = -2;
const ChannelBox kChannelBoxes[] = {
    {IDC_EXPORT_VIDEO, kVideoBox},
    {IDC_EXPORT_A1, 0},
    {IDC_EXPORT_A2, 1},
    {IDC_EXPORT_A3, 2},
    {IDC_EXPORT_A4, 3},
    {IDC_EXPORT_A5, 4},
    {IDC_EXPORT_A6, 5},
    {IDC_EXPORT_A7, 6},
    {IDC_EXPORT_A8, 7},
    {IDC_EXPORT_PREVIEW, kPreviewBox},
};

const ChannelBox* FindChannelBox(int id)
{
    for (const ChannelBox& box : kChannelBoxes) {
        if (box.id == id)
            return &box;
    }
    return nullptr;
}

int32_t WriteChannelFlag(DeviceControlPort* port, const ChannelBox& box, uint8_t value)
{
    if (box.audioIndex == kVideoBox)
        return port->SetVideoFlag(value);
    if (box.audioIndex == kPreviewBox)
        return port->SetPreviewFlag(value);
    return port->SetAudioFlag(value, box.audioIndex);
}

void ToggleChannel(ExportContext* controller, HWND dialog, DeviceControlPort* port, const ChannelBox& box)
{
    uint8_t value = 0;
    if (!ReadChannelFlag(port, box.id, &value))
        return;
    WriteChannelFlag(port, box, value ? 0 : 1);
    RepaintChannelBox(controller, dialog, port, box.id);
}

void DrawShuttleNow(ExportContext* controller, HWND bar, int32_t position, bool enabled)
{
    RECT rect;
    GetClientRect(bar, &rect);
    if (HDC dc = GetDC(bar)) {
        DrawShuttleBar(controller->colourScheme, dc, rect, enabled, position);
        ReleaseDC(bar, dc);
    }
}

void RecordButton(ExportContext* controller, HWND dialog, DeviceControlPort* port)
{
    if (!IsEditing(port)) {
        int32_t code = 0;
        {
            PausedWorker paused(controller);
            code = port->CheckEditReady();
            if (code != 0) {
                char text[kResultCodeTextSize] = {};
                ResultCodeToText(code, text);
                MessageBoxA(dialog, text, kErrorCaption, MB_OK);
            }
        }
        if (code != 0)
            return;
    }
    FinishExportDialog(controller, dialog);
}

void StartShuttleDrag(ExportContext* controller, HWND dialog)
{
    HWND bar = GetDlgItem(dialog, IDC_EXPORT_SHUTTLE);
    DrawShuttleNow(controller, bar, kShuttleCentre, true);
    controller->shuttleDrag = 1;
    controller->shuttlePosition = kShuttleCentre;
    controller->captureControl = bar;
    // The dialog takes the mouse: the bar is a static and would keep the
    // moves to itself.
    SetCapture(dialog);
}

// The deck operation of each transport button ("Go To In" and "Go To Out"
// have none).
struct TransportButton {
    int id;
    int32_t (DeviceControlPort::*operation)();
};

const TransportButton kTransportButtons[] = {
    {IDC_EXPORT_REWIND, &DeviceControlPort::Rewind},
    {IDC_EXPORT_REVERSE_PLAY, &DeviceControlPort::ReversePlay},
    {IDC_EXPORT_STILL, &DeviceControlPort::Still},
    {IDC_EXPORT_PLAY, &DeviceControlPort::Play},
    {IDC_EXPORT_FAST_FORWARD, &DeviceControlPort::FastForward},
    {IDC_EXPORT_STEP_BACK, &DeviceControlPort::StepBack},
    {IDC_EXPORT_STOP, &DeviceControlPort::Stop},
    {IDC_EXPORT_STEP_FORWARD, &DeviceControlPort::StepForward},
};

const TransportButton* FindTransportButton(int id)
{
    for (const TransportButton& button : kTransportButtons) {
        if (button.id == id)
            return &button;
    }
    return nullptr;
}

void MarkIn(ExportContext* controller, HWND dialog, DeviceControlPort* port)
{
    if (IsEditing(port) || !port->IsControlSupported())
        return;
    PausedWorker paused(controller);
    char timecode[kTextBytes] = {};
    if (port->GetTimecodeText(timecode) != 0 || port->SetInText(timecode) != 0)
        return;
    ShowEditPoints(dialog, port);
}

// Fills the list for a drop-down; the number of rows it is opened for.
int32_t FillList(ExportContext* controller, DeviceControlPort* port, int id)
{
    DropDownSelector& list = controller->dropDown;
    list.Close();
    char name[kTextBytes] = {};
    if (id == IDC_EXPORT_BOARD) {
        for (DeviceControlPort* each : controller->ports) {
            if (each && each->IsOpen() && each->GetBoardName(name) == 0)
                list.AddItem(-1, name);
        }
    } else {
        int32_t count = 0;
        port->GetEditModeCount(&count);
        for (int32_t mode = 0; mode < count; ++mode) {
            if (port->GetEditModeName(mode, name) == 0)
                list.AddItem(-1, name);
        }
    }
    return list.ItemCount();
}

// The number fields: their title and range.
struct NumberField {
    int id;
    const char* title;
    int32_t lower, upper;
};

const NumberField kNumberFields[] = {
    {IDC_EXPORT_PREROLL, "Set Preroll Time", 0, 15},
    {IDC_EXPORT_OFFSET, "Set TC Offset", DeviceControlPort::kMinTimecodeOffset, DeviceControlPort::kMaxTimecodeOffset},
    {IDC_EXPORT_DELAY, "Set Delay", 0, DeviceControlPort::kMaxDelay},
};

const NumberField* FindNumberField(int id)
{
    for (const NumberField& field : kNumberFields) {
        if (field.id == id)
            return &field;
    }
    return nullptr;
}

int32_t ReadNumber(DeviceControlPort* port, int id, int32_t* value)
{
    switch (id) {
    case IDC_EXPORT_PREROLL:
        return port->GetPreroll(value);
    case IDC_EXPORT_OFFSET:
        return port->GetTimecodeOffset(value);
    default:
        return port->GetDelay(value);
    }
}

// The port keeps its own rules: preroll only on an active port not
// editing, the offset clamped, a delay out of range ignored.
int32_t WriteNumber(DeviceControlPort* port, int id, int32_t value)
{
    switch (id) {
    case IDC_EXPORT_PREROLL:
        return port->SetPreroll(value);
    case IDC_EXPORT_OFFSET:
        return port->SetTimecodeOffset(value);
    default:
        return port->SetDelay(value);
    }
}

bool EnterNumber(ExportContext* controller, HWND dialog, DeviceControlPort* port, const NumberField& field)
{
    TimeEntryParams& params = controller->timeEntry;
    int32_t value = 0;
    if (ReadNumber(port, field.id, &value) != 0)
        value = 0;
    char prompt[64];
    std::snprintf(prompt, sizeof prompt, "Range: %d to %d", static_cast<int>(field.lower),
                  static_cast<int>(field.upper));
    params.SetMode(TimeEntryParams::kNumberEntry);
    params.SetTitle(field.title);
    params.SetBounds(field.lower, field.upper);
    params.SetPrompt(prompt);
    params.SetValue(value);
    if (RunSetTimeDialog(controller, dialog) != 1 || params.GetMode() != TimeEntryParams::kNumberEntry)
        return false;
    WriteNumber(port, field.id, params.GetValue());
    if (ReadNumber(port, field.id, &value) == 0)
        SetDlgItemInt(dialog, field.id, value, TRUE);
    return true;
}

const char* ZeroTextOf(const DeviceControlPort::FormatInfo& info)
{
    return info.dropFrame ? kZeroDropTimecodeText : kZeroTimecodeText;
}

void EnterTimecode(ExportContext* controller, HWND dialog, DeviceControlPort* port, int id)
{
    DeviceControlPort::FormatInfo info = {2, 0, 30000, 1001};
    port->GetTimecodeFormatInfo(&info);
    char text[kTextBytes] = {};
    if (id == IDC_EXPORT_DECK_TIMECODE) {
        PausedWorker paused(controller);
        port->Still();
        if (port->GetTimecodeText(text) != 0)
            CopyTextTo(text, sizeof text, ZeroTextOf(info));
    } else if (port->GetInText(text) != 0) {
        CopyTextTo(text, sizeof text, ZeroTextOf(info));
    }
    TimeEntryParams& params = controller->timeEntry;
    params.SetMode(TimeEntryParams::kTimecodeEntry);
    params.SetTitle(id == IDC_EXPORT_DECK_TIMECODE ? "Go To Timecode" : "Set Inpoint");
    params.SetFormat({info.formatClass, info.dropFrame, info.rate, info.divisor});
    params.SetTimecodeText(text);
    if (RunSetTimeDialog(controller, dialog) != 1 || params.GetMode() != TimeEntryParams::kTimecodeEntry)
        return;
    params.GetTimecodeText(text, sizeof text);
    if (id == IDC_EXPORT_DECK_TIMECODE) {
        PausedWorker paused(controller);
        port->GoToTimecode(text);
    } else if (port->SetInText(text) == 0) {
        ShowEditPoints(dialog, port);
    }
}

void EnterValue(ExportContext* controller, HWND dialog, DeviceControlPort* port, int id)
{
    if (port->IsEditArmed() || !port->IsActive())
        return;
    const NumberField* number = FindNumberField(id);
    if (!number && !port->IsControlSupported())
        return;
    // The keys belong to the entry field while the Set Time dialog runs.
    SetExportHotKeys(controller, dialog, false);
    if (number)
        EnterNumber(controller, dialog, port, *number);
    else
        EnterTimecode(controller, dialog, port, id);
    if (GetActiveWindow() == dialog)
        SetExportHotKeys(controller, dialog, true);
}

bool IsValueField(int id)
{
    return id == IDC_EXPORT_PREROLL || id == IDC_EXPORT_OFFSET || id == IDC_EXPORT_DELAY ||
           id == IDC_EXPORT_DECK_TIMECODE || id == IDC_EXPORT_IN_POINT;
}

void ChooseBoard(ExportContext* controller, HWND dialog, DeviceControlPort* old, int32_t row)
{
    if (row < 0 || IsEditing(old) || row >= controller->portCount || row >= kMaxPorts ||
        row == controller->currentPort || !controller->ports[row])
        return;
    if (old && old->IsControlSupported())
        StopWorker(controller);
    controller->currentPort = row;
    DeviceControlPort* port = controller->CurrentPort();
    ShowBoardName(dialog, port);
    LoadExportControls(controller, dialog, port);
    if (port->IsControlSupported() && port->IsActive())
        StartWorker(controller);
}

void ChooseMode(HWND dialog, DeviceControlPort* port, int32_t row)
{
    int32_t mode = 0;
    if (!port || row < 0 || port->GetEditMode(&mode) != 0 || row == mode || port->SetEditMode(row) != 0)
        return;
    char name[kTextBytes] = {};
    if (port->GetEditModeName(row, name) == 0)
        SetDlgItemTextA(dialog, IDC_EXPORT_MODE, name);
    UpdateExportControls(dialog, port);
}

} // namespace

bool IsEditing(const DeviceControlPort* port)
{
    return port && port->IsEditing();
}

void ShowEditPoints(HWND dialog, DeviceControlPort* port)
{
    char text[kTextBytes] = {};
    if (port->GetInText(text) != 0)
        return;
    SetDlgItemTextA(dialog, IDC_EXPORT_IN_POINT, text);
    if (port->GetOutText(text) != 0)
        return;
    SetDlgItemTextA(dialog, IDC_EXPORT_OUT_POINT, text);
    int32_t delay = 0;
    if (port->GetDelay(&delay) != 0)
        return;
    SetDlgItemInt(dialog, IDC_EXPORT_DELAY, delay, TRUE);
    const int32_t read = port->EditMode() == 1 ? port->GetStoredDurationText(text) : port->GetDurationText(text);
    if (read == 0)
        SetDlgItemTextA(dialog, IDC_EXPORT_DURATION, text);
}

void ShowBoardName(HWND dialog, DeviceControlPort* port)
{
    char name[128] = {};
    if (port && port->GetBoardName(name) == 0)
        SetDlgItemTextA(dialog, IDC_EXPORT_BOARD, name);
}

bool ReadChannelFlag(DeviceControlPort* port, int id, uint8_t* value)
{
    const ChannelBox* box = FindChannelBox(id);
    if (!box)
        return false;
    if (box->audioIndex == kVideoBox)
        return port->GetVideoFlag(value) == 0;
    if (box->audioIndex == kPreviewBox)
        return port->GetPreviewFlag(value) == 0;
    return port->GetAudioFlag(value, box->audioIndex) == 0;
}

void RepaintChannelBox(ExportContext* controller, HWND dialog, DeviceControlPort* port, int id)
{
    uint8_t value = 0;
    if (!ReadChannelFlag(port, id, &value))
        return;
    HWND box = GetDlgItem(dialog, id);
    RepaintCheckBox(controller->colourScheme, box, value != 0, IsWindowEnabled(box) ? kLookNormal : kLookDisabled);
}

void FinishExportDialog(ExportContext* controller, HWND dialog)
{
    StopWorker(controller);
    EndExportEdit(controller);
    SetExportHotKeys(controller, dialog, false);
    controller->exportDialog = nullptr;
    controller->hostWindow = nullptr;
    if (controller->ModalExport) {
        EndDialog(dialog, 1);
    } else {
        DestroyWindow(dialog);
        ReleaseColourScheme(&controller->colourScheme);
    }
}

void CloseExportDialog(ExportContext* controller, HWND dialog)
{
    // The status dialog ends the edit as its record button does: closed any
    // other way, it would leave the edit armed with nothing left to end it.
    if (!controller->ModalExport) {
        FinishExportDialog(controller, dialog);
        return;
    }
    StopWorker(controller);
    for (DeviceControlPort* port : controller->ports) {
        if (port && port->IsActive())
            port->Deactivate();
    }
    SetExportHotKeys(controller, dialog, false);
    controller->exportDialog = nullptr;
    controller->hostWindow = nullptr;
    EndDialog(dialog, 0);
}

bool OnExportCommand(ExportContext* controller, HWND dialog, int id, int notification)
{
    if (id == IDCANCEL) {
        // Escape: a stray key must not end a recording; the record button
        // is the way to stop it, and closing the window still is.
        if (!controller->ModalExport && IsEditing(controller->CurrentPort()))
            return true;
        CloseExportDialog(controller, dialog);
        return true;
    }
    DeviceControlPort* port = controller->CurrentPort();
    if (notification != BN_CLICKED || !port)
        return false;
    if (id == IDC_EXPORT_RECORD) {
        RecordButton(controller, dialog, port);
    } else if (id == IDC_EXPORT_SHUTTLE) {
        StartShuttleDrag(controller, dialog);
    } else if (const TransportButton* button = FindTransportButton(id)) {
        if (port->IsControlSupported()) {
            PausedWorker paused(controller);
            (port->*button->operation)();
        }
    } else if (id == IDC_EXPORT_MARK_IN) {
        MarkIn(controller, dialog, port);
    } else if (const ChannelBox* box = FindChannelBox(id)) {
        ToggleChannel(controller, dialog, port, *box);
    } else if (id == IDC_EXPORT_BOARD || id == IDC_EXPORT_MODE) {
        if (!IsEditing(port))
            OpenFilledSelector(controller, dialog, id, FillList(controller, port, id));
    } else if (IsValueField(id)) {
        EnterValue(controller, dialog, port, id);
    } else {
        return false;
    }
    return true;
}

void OnExportChoice(ExportContext* controller, HWND dialog, int id, int32_t row)
{
    controller->dropDownHeld = 0;
    DeviceControlPort* port = controller->CurrentPort();
    if (id == IDC_EXPORT_MODE)
        ChooseMode(dialog, port, row);
    else if (id == IDC_EXPORT_BOARD)
        ChooseBoard(controller, dialog, port, row);
    FinishSelectorChoice(controller, dialog, id);
}

void OnShuttleMove(ExportContext* controller, HWND dialog, LPARAM position)
{
    HWND bar = GetDlgItem(dialog, IDC_EXPORT_SHUTTLE);
    if (!controller->shuttleDrag || controller->captureControl != bar || GetCapture() != dialog)
        return;
    POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    MapWindowPoints(dialog, bar, &point, 1);
    RECT rect;
    GetClientRect(bar, &rect);
    const int32_t knob = ShuttlePositionAt(rect.right - rect.left, point.x);
    // The deck hears of the knob only when it moved to another position:
    // every mouse move would flood the link with the same command.
    if (knob == controller->shuttlePosition)
        return;
    controller->shuttlePosition = knob;
    DrawShuttleNow(controller, bar, knob, true);
    DeviceControlPort* port = controller->CurrentPort();
    if (port && port->IsControlSupported()) {
        PausedWorker paused(controller);
        RunDeckAction(port, ShuttleAction(ShuttleSpeedAt(knob)));
    }
}

void OnShuttleRelease(ExportContext* controller, HWND dialog)
{
    HWND bar = GetDlgItem(dialog, IDC_EXPORT_SHUTTLE);
    const bool dragging = controller->captureControl == bar && controller->shuttleDrag;
    controller->shuttleDrag = 0;
    controller->captureControl = nullptr;
    controller->shuttlePosition = kShuttleCentre;
    // The drag is over before the capture goes: losing it comes back here.
    if (GetCapture() == dialog)
        ReleaseCapture();
    if (dragging) {
        DrawShuttleNow(controller, bar, kShuttleCentre, true);
        DeviceControlPort* port = controller->CurrentPort();
        if (port && port->IsControlSupported()) {
            PausedWorker paused(controller);
            port->Shuttle(0.0);
        }
    }
}

// The keys are system-wide: a stray key during an edit must not move the
// deck the edit is recording on, as the disabled transport buttons cannot.
void OnExportHotKey(ExportContext* controller, int id)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (!port || !port->IsControlSupported() || controller->shuttleDrag || controller->dropDownOpen ||
        !port->IsActive() || IsEditing(port))
        return;
    PausedWorker paused(controller);
    double speed = 0.0;
    port->GetSpeed(&speed);
    RunDeckAction(port, HotKeyAction(id, speed));
}

} // namespace export_dialog

void EndExportEdit(ExportContext* controller)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (export_dialog::IsEditing(port)) {
        port->StopEdit();
        NxSetEvent(controller->exportEvent);
    }
}
