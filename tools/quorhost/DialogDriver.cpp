#include "tools/quorhost/DialogDriver.h"

#include "tools/quorhost/Output.h"

#include <cstdio>
#include <string>

namespace quorhost {

namespace {

// Timer and hook callbacks carry no context; one call runs at a time.
DialogDriver* gArmed = nullptr;

const char kDialogClass[] = "#32770";
const char kDropDownClass[] = "DropDownWindow";
constexpr int kClickX = 10;
constexpr UINT kCloseRetryMs = 1000;

void Report(const std::string& text)
{
    PrintDetail("dialog: " + text);
}

bool HasClass(HWND window, const char* name)
{
    char found[64] = {};
    return GetClassNameA(window, found, sizeof found) > 0 && lstrcmpiA(found, name) == 0;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControlId(HWND window, LPARAM context)
{
    ControlSearch* search = reinterpret_cast<ControlSearch*>(context);
    if ((GetDlgCtrlID(window) & 0xFFFF) != search->id)
        return TRUE;
    search->found = window;
    return FALSE;
}

// Direct children first; then controls on pages that are child dialogs.
HWND FindControl(HWND dialog, int id)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetDlgCtrlID(child) & 0xFFFF) == id)
            return child;
    ControlSearch search = {id, nullptr};
    EnumChildWindows(dialog, MatchControlId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Usable(HWND control)
{
    return IsWindowVisible(control) && IsWindowEnabled(control);
}

// Text a user could type: an edit field that is shown, enabled and writable.
bool TypeableEdit(HWND window)
{
    return HasClass(window, "Edit") && Usable(window) && !(GetWindowLongA(window, GWL_STYLE) & ES_READONLY);
}

BOOL CALLBACK MatchTypeableEdit(HWND window, LPARAM context)
{
    if (!TypeableEdit(window))
        return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

HWND EditFor(HWND dialog)
{
    const HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus) && TypeableEdit(focus))
        return focus;
    HWND first = nullptr;
    EnumChildWindows(dialog, MatchTypeableEdit, reinterpret_cast<LPARAM>(&first));
    return first;
}

std::string Id(int32_t id)
{
    return std::to_string(id);
}

struct TopLevelSearch {
    const char* className;
    bool mustBeEnabled;
    const std::map<HWND, uint64_t>* created;
    HWND found;
    uint64_t order;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context)
{
    TopLevelSearch* search = reinterpret_cast<TopLevelSearch*>(context);
    if (!IsWindowVisible(window) || (search->mustBeEnabled && !IsWindowEnabled(window)) ||
        !HasClass(window, search->className))
        return TRUE;
    // Windows from before arming count as oldest; among equals the first
    // in z-order, which is how the enumeration comes.
    const auto it = search->created->find(window);
    const uint64_t order = it == search->created->end() ? 0 : it->second;
    if (!search->found || order > search->order) {
        search->found = window;
        search->order = order;
    }
    return TRUE;
}

} // namespace

DialogDriver::DialogDriver(const std::vector<DialogAction>& actions) : actions_(actions)
{
    // A second driver would take over the callbacks of the first.
    if (actions_.empty() || gArmed)
        return;
    thread_ = GetCurrentThreadId();
    gArmed = this;
    hook_ = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, thread_);
    Schedule(kStepMs);
}

DialogDriver::~DialogDriver()
{
    if (gArmed != this)
        return;
    if (timer_)
        KillTimer(nullptr, timer_);
    if (hook_)
        UnhookWindowsHookEx(hook_);
    gArmed = nullptr;
    size_t left = 0;
    for (size_t i = next_; i < actions_.size(); ++i)
        left += actions_[i].kind != DialogActionKind::Wait;
    if (left > 0)
        Report(std::to_string(left) + " action(s) not run: the call returned first");
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    // A WM_TIMER already queued when the timer was killed may still come.
    if (!gArmed || id != gArmed->timer_)
        return;
    gArmed->Step();
}

LRESULT CALLBACK DialogDriver::OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (gArmed) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND)
            gArmed->created_[window] = ++gArmed->creations_;
        else if (code == HCBT_DESTROYWND)
            gArmed->created_.erase(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Each turn is armed on its own: the pause before the next differs from
// step to step.
void DialogDriver::Schedule(UINT milliseconds)
{
    if (timer_)
        KillTimer(nullptr, timer_);
    timer_ = SetTimer(nullptr, 0, milliseconds, OnTimer);
    if (!timer_)
        Report("no timer (error " + std::to_string(GetLastError()) + "), the dialogs are left to the user");
}

// The next turn is scheduled before a step acts: a step that sends a message
// may find itself inside a modal loop the module opens, and the driver must
// go on there, from a re-entered Step.
void DialogDriver::Step()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    timer_ = 0;
    if (closing_) {
        CloseLeftover();
        return;
    }
    if (choosing_) {
        ClickRow();
        return;
    }
    const DialogAction action = actions_[next_];
    switch (action.kind) {
    case DialogActionKind::Press:
        Press(action);
        break;
    case DialogActionKind::Choose:
        OpenDropDown(action);
        break;
    case DialogActionKind::Type:
        Type(action);
        break;
    case DialogActionKind::Close:
        Close();
        break;
    case DialogActionKind::Wait:
        // Its own turn, then the pause in place of the usual one.
        ++next_;
        closing_ = next_ == actions_.size();
        Schedule(UINT(action.milliseconds) + (closing_ ? kCloseAfterMs : 0));
        Report("wait " + std::to_string(action.milliseconds) + " ms");
        break;
    }
}

void DialogDriver::Advance()
{
    looking_ = false;
    choosing_ = false;
    if (next_ < actions_.size())
        ++next_;
    if (next_ < actions_.size()) {
        Schedule(kStepMs);
        return;
    }
    closing_ = true;
    Schedule(kCloseAfterMs);
}

// True while a step may still wait for its window; it is then scheduled again.
bool DialogDriver::KeepLooking()
{
    const DWORD now = GetTickCount();
    if (!looking_) {
        looking_ = true;
        lookingSince_ = now;
    }
    if (now - lookingSince_ >= kPatienceMs)
        return false;
    Schedule(100);
    return true;
}

void DialogDriver::Press(const DialogAction& action)
{
    const HWND dialog = DialogFor("press " + Id(action.control));
    if (!dialog)
        return;
    const HWND control = FindControl(dialog, action.control);
    Advance();
    if (!control) {
        Report("no control " + Id(action.control) + " for press");
    } else if (!Usable(control)) {
        Report("control " + Id(action.control) + " is disabled or hidden, not pressed");
    } else {
        PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(action.control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        Report("press " + Id(action.control));
    }
}

void DialogDriver::Close()
{
    const HWND dialog = DialogFor("close");
    if (!dialog)
        return;
    Advance();
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    Report("close");
}

void DialogDriver::OpenDropDown(const DialogAction& action)
{
    const HWND dialog = DialogFor("choose " + Id(action.control));
    if (!dialog)
        return;
    const HWND button = FindControl(dialog, action.control);
    if (!button || !Usable(button)) {
        Advance();
        Report(button ? "control " + Id(action.control) + " is disabled or hidden, not chosen from"
                      : "no control " + Id(action.control) + " for choose");
        return;
    }
    looking_ = false;
    choosing_ = true;
    dropDownButton_ = button;
    Schedule(kStepMs);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(action.control, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// The list holds the capture while it is open; its rows are as high as the
// button that opened it.
void DialogDriver::ClickRow()
{
    const DialogAction action = actions_[next_];
    const std::string what = "choose " + Id(action.control) + " row " + std::to_string(action.row);
    HWND list = GetCapture();
    if (!list || !HasClass(list, kDropDownClass) || GetWindowThreadProcessId(list, nullptr) != thread_)
        list = NewestTopLevel(kDropDownClass, false);
    if (!list) {
        if (KeepLooking())
            return;
        Advance();
        Report("no drop-down list for " + what);
        return;
    }
    RECT buttonRect = {}, listRect = {};
    const bool measured =
        IsWindow(dropDownButton_) && GetClientRect(dropDownButton_, &buttonRect) && GetClientRect(list, &listRect);
    const int rowHeight = buttonRect.bottom - buttonRect.top;
    const int rows = rowHeight > 0 ? (listRect.bottom - listRect.top) / rowHeight : 0;
    Advance();
    if (!measured || action.row >= rows) {
        Report("no row " + std::to_string(action.row) + " in the list of " + Id(action.control) + " (" +
               std::to_string(rows) + " rows), nothing chosen");
        return;
    }
    // The press alone chooses: the list posts the row to its dialog itself.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kClickX, action.row * rowHeight + rowHeight / 2));
    Report(what);
}

void DialogDriver::Type(const DialogAction& action)
{
    const std::string what = "type \"" + action.text + "\"";
    const HWND dialog = DialogFor(what);
    if (!dialog)
        return;
    const HWND edit = EditFor(dialog);
    Advance();
    if (!edit) {
        Report("no edit field for " + what);
        return;
    }
    // The edit sends its change notifications to the dialog from here.
    SetWindowTextA(edit, action.text.c_str());
    Report(what);
}

// Each dialog still open gets WM_CLOSE, then IDCANCEL, then EndDialog, a
// second apart; a run without a user must end.
void DialogDriver::CloseLeftover()
{
    HWND dialog = CurrentDialog();
    if (!dialog)
        dialog = NewestTopLevel(kDialogClass, false);
    if (!dialog) {
        leftover_ = nullptr;
        Schedule(kCloseAfterMs);
        return;
    }
    if (dialog != leftover_) {
        leftover_ = dialog;
        closeAttempts_ = 0;
    }
    Schedule(kCloseRetryMs);
    switch (closeAttempts_++) {
    case 0:
        Report("still open, closing it");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    case 1:
        Report("still open after WM_CLOSE, cancelling it");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        break;
    case 2:
        Report("still open after IDCANCEL, ending it");
        EndDialog(dialog, IDCANCEL);
        break;
    default:
        // Nothing more a host can do; look again less often.
        Schedule(kCloseAfterMs);
        break;
    }
}

HWND DialogDriver::DialogFor(const std::string& what)
{
    const HWND dialog = CurrentDialog();
    if (dialog || KeepLooking())
        return dialog;
    Advance();
    Report("no dialog for " + what);
    return nullptr;
}

HWND DialogDriver::CurrentDialog() const
{
    return NewestTopLevel(kDialogClass, true);
}

HWND DialogDriver::NewestTopLevel(const char* className, bool mustBeEnabled) const
{
    TopLevelSearch search = {className, mustBeEnabled, &created_, nullptr, 0};
    EnumThreadWindows(thread_, MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace quorhost
