#pragma once
// Driving the module's modal dialogs from a test as a user would: steps run
// one per timer tick inside the dialog's own modal loop (and inside any
// dialog nested in it), with clicks, typing and drop-down choices.
#include "port/ModuleGlobals.h"
#include "tools/hostkit/DialogWindows.h"
#include "ui/ColourScheme.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    using Step = std::function<void()>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 60, Tick);
    }
    ~ModalScript()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool Finished() const { return next_ >= steps_.size(); }

private:
    static VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ModalScript* script = current_;
        if (!script)
            return;
        if (script->next_ < script->steps_.size()) {
            // Counted before it runs: a step that opens a nested dialog
            // leaves the following steps to the nested loop's ticks.
            Step& step = script->steps_[script->next_++];
            step();
        } else if (++script->idleTicks_ > 80) {
            // A test whose steps did not end its dialog must not hang the run.
            ADD_FAILURE() << "dialog still open after the script";
            PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
            script->idleTicks_ = 0;
        }
    }

    static inline ModalScript* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    UINT_PTR timer_ = 0;
};

inline std::string Text(HWND dialog, int id)
{
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

inline HWND DropDownWindow()
{
    return FindWindowA("DropDownWindow", nullptr);
}

// A left-button press on the open list, at a row or at any client point;
// the list posts the choice, which the dialog's loop then delivers.
inline void PressList(int x, int y)
{
    HWND list = DropDownWindow();
    ASSERT_NE(nullptr, list) << "no drop-down list open";
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

inline void PressRow(HWND dialog, int buttonId, int row)
{
    RECT button;
    GetClientRect(GetDlgItem(dialog, buttonId), &button);
    PressList(10, row * button.bottom + button.bottom / 2);
}

// The editor's preference file, with the brightness entry given, for as
// long as the object lives; no file at all with a null value.
class PreferenceFile {
public:
    explicit PreferenceFile(const char* value)
    {
        char path[MAX_PATH + 64];
        if (!PreferenceFilePath(path, sizeof path))
            return;
        path_ = path;
        DeleteFileA(path);
        if (!value)
            return;
        for (size_t at = path_.find('\\', 3); at != std::string::npos; at = path_.find('\\', at + 1))
            CreateDirectoryA(path_.substr(0, at).c_str(), nullptr);
        if (FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "<prefs>\n  <fe.color.brightness>%s</fe.color.brightness>\n</prefs>\n", value);
            std::fclose(file);
        }
    }
    ~PreferenceFile()
    {
        if (!path_.empty())
            DeleteFileA(path_.c_str());
    }
    PreferenceFile(const PreferenceFile&) = delete;
    PreferenceFile& operator=(const PreferenceFile&) = delete;

private:
    std::string path_;
};

// The templates live in the test executable, as they do in the module.
inline void UseTestTemplates()
{
    gModuleInstance = GetModuleHandleA(nullptr);
}
