#include "tools/quorhost/MessageBoxes.h"

#include "tools/quorhost/Output.h"

#include <cstdio>
#include <string>

namespace quorhost {

namespace {

MessageBoxMonitor* gMonitor = nullptr;

// A box not activated (no window manager, an owner elsewhere) is still found.
constexpr UINT kScanMs = 250;
// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

std::string OneLine(const char* text)
{
    std::string line;
    bool blank = false;
    for (const char* c = text; *c; ++c) {
        const bool space = static_cast<unsigned char>(*c) <= ' ';
        if (space && !line.empty() && !blank)
            line += ' ';
        else if (!space)
            line += *c;
        blank = space;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

} // namespace

bool IsMessageBox(HWND window)
{
    char name[16] = {};
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpA(name, "#32770") != 0)
        return false;
    if (!GetDlgItem(window, kMessageTextId))
        return false;
    // The box's dialog procedure is the system's; asked as Unicode, as the
    // system made it, the address is the real one.
    const LONG_PTR procedure = GetWindowLongPtrW(window, DWLP_DLGPROC);
    HMODULE maker = nullptr;
    return procedure &&
           GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCSTR>(procedure), &maker) &&
           maker == GetModuleHandleA("user32.dll");
}

MessageBoxMonitor::MessageBoxMonitor() : thread_(GetCurrentThreadId())
{
    // Nested monitors would report every box twice.
    if (gMonitor)
        return;
    gMonitor = this;
    hook_ = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, thread_);
    timer_ = SetTimer(nullptr, 0, kScanMs, OnTimer);
}

MessageBoxMonitor::~MessageBoxMonitor()
{
    if (gMonitor != this)
        return;
    if (timer_)
        KillTimer(nullptr, timer_);
    if (hook_)
        UnhookWindowsHookEx(hook_);
    gMonitor = nullptr;
}

void MessageBoxMonitor::SetDismiss(bool dismiss)
{
    dismiss_ = dismiss;
}

LRESULT CALLBACK MessageBoxMonitor::OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (gMonitor) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE) {
            gMonitor->Handle(window);
        } else if (code == HCBT_DESTROYWND) {
            // Handle values come back for later windows.
            gMonitor->reported_.erase(window);
            gMonitor->answered_.erase(window);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK MessageBoxMonitor::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (gMonitor && id == gMonitor->timer_)
        EnumThreadWindows(gMonitor->thread_, OnThreadWindow, 0);
}

BOOL CALLBACK MessageBoxMonitor::OnThreadWindow(HWND window, LPARAM)
{
    if (gMonitor && IsWindowVisible(window))
        gMonitor->Handle(window);
    return TRUE;
}

void MessageBoxMonitor::Handle(HWND window)
{
    if (!IsMessageBox(window))
        return;
    if (reported_.insert(window).second) {
        char caption[256] = {}, text[1024] = {};
        GetWindowTextA(window, caption, sizeof caption);
        GetDlgItemTextA(window, kMessageTextId, text, sizeof text);
        PrintDetail("message: " + OneLine(caption) + ": " + OneLine(text));
    }
    // OK first; a box without it is answered with the next button it may
    // have, one a scan, until it goes.
    static const int kAnswers[] = {IDOK, IDCANCEL, IDNO, IDABORT};
    int& tried = answered_[window];
    if (dismiss_ && tried < int(sizeof kAnswers / sizeof kAnswers[0]))
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(kAnswers[tried++], BN_CLICKED), 0);
}

} // namespace quorhost
