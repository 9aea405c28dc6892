#pragma once
// Acts on the dialogs a module runs on the host's own thread during one of
// its calls, as a user would, so that runs need no one at the screen.
//
// The module's modal loop runs inside xDevice and never returns to ours, but
// it dispatches WM_TIMER: a thread timer is how the host gets a turn. Steps
// run one at a time, kStepMs apart; each prints one "  dialog: ..." line.
// Clicks are posted, not sent, so that a dialog a click opens runs its loop
// in the module's frame, not inside ours.
#include "tools/quorhost/Commands.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quorhost {

class DialogDriver {
public:
    static constexpr UINT kStepMs = 300;
    // Once every action has run, a dialog still open this long is closed.
    static constexpr UINT kCloseAfterMs = 10000;
    // A dialog or list not yet there is looked for again for this long:
    // a module may open it only after its first turn of the loop.
    static constexpr UINT kPatienceMs = 2000;

    // Arms for the call that is about to start; with no actions nothing is
    // armed and the dialogs wait for the user.
    explicit DialogDriver(const std::vector<DialogAction>& actions);
    // Disarms: the call has returned. Actions that never ran are reported.
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);

    void Schedule(UINT milliseconds);
    void Step();
    void Advance();
    bool KeepLooking();
    void Press(const DialogAction& action);
    void Close();
    void OpenDropDown(const DialogAction& action);
    void ClickRow();
    void Type(const DialogAction& action);
    void CloseLeftover();
    // The dialog a step acts in; null when there is none (yet), the step
    // then being scheduled again or, once patience ran out, reported and
    // passed over.
    HWND DialogFor(const std::string& what);
    HWND CurrentDialog() const;
    HWND NewestTopLevel(const char* className, bool mustBeEnabled) const;

    std::vector<DialogAction> actions_;
    size_t next_ = 0;
    DWORD thread_ = 0;
    UINT_PTR timer_ = 0;
    HHOOK hook_ = nullptr;
    // Creation order of this thread's windows since arming: "current" is
    // the newest dialog, which the z-order alone does not tell.
    std::map<HWND, uint64_t> created_;
    uint64_t creations_ = 0;
    bool looking_ = false; // a step is waiting for its window to appear
    DWORD lookingSince_ = 0;
    bool choosing_ = false; // the drop-down was pressed; its row is next
    HWND dropDownButton_ = nullptr;
    bool closing_ = false;    // every action has run
    HWND leftover_ = nullptr; // the dialog being closed, and how hard we tried
    int closeAttempts_ = 0;
};

} // namespace quorhost
