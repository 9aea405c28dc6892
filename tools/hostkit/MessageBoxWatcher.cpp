#include "tools/hostkit/MessageBoxWatcher.h"

#include <windows.h>

#include <cstring>

namespace {

std::vector<MessageBoxWatcher::Box>* gBoxes = nullptr;
HHOOK gHook = nullptr;

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param)
{
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0)
        return TRUE;
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    auto* box = reinterpret_cast<MessageBoxWatcher::Box*>(param);
    if (text[0] && box->text.empty())
        box->text = text;
    return TRUE;
}

LRESULT CALLBACK WatchActivations(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && gBoxes) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        // A message box is a dialog whose text has the id 0xFFFF; the
        // module's own dialogs are left alone.
        if (std::strcmp(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF)) {
            MessageBoxWatcher::Box box;
            char caption[256] = {};
            GetWindowTextA(window, caption, sizeof caption);
            box.caption = caption;
            EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&box));
            gBoxes->push_back(box);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(gHook, code, wParam, lParam);
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher()
{
    gBoxes = &boxes_;
    gHook = SetWindowsHookExA(WH_CBT, WatchActivations, nullptr, GetCurrentThreadId());
    hook_ = gHook;
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    if (hook_)
        UnhookWindowsHookEx(static_cast<HHOOK>(hook_));
    gHook = nullptr;
    gBoxes = nullptr;
}
