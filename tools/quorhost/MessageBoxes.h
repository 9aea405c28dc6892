#pragma once
// The message boxes a module shows on the host's thread: each is reported
// as "  message: CAPTION: TEXT" when it appears and, once dismissing is on,
// answered at once, so that an unattended run never waits on one.
//
// A message box is told from the module's own dialogs by its maker: the
// system's box is a dialog of user32's, the module's dialogs are its own.
#include <windows.h>

#include <map>
#include <set>

namespace quorhost {

class MessageBoxMonitor {
public:
    MessageBoxMonitor();
    ~MessageBoxMonitor();
    MessageBoxMonitor(const MessageBoxMonitor&) = delete;
    MessageBoxMonitor& operator=(const MessageBoxMonitor&) = delete;

    // Off: boxes are only reported, and left to the dialog actions or the user.
    void SetDismiss(bool dismiss);

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    static BOOL CALLBACK OnThreadWindow(HWND window, LPARAM);
    void Handle(HWND window);

    DWORD thread_ = 0;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    bool dismiss_ = false;
    std::set<HWND> reported_;
    std::map<HWND, int> answered_; // answers posted so far
};

// Whether the window is a message box of the system's.
bool IsMessageBox(HWND window);

} // namespace quorhost
