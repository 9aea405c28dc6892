#pragma once
// What the Set Time dialog is asked for and what it answers: a caller fills
// these in the controller, runs the dialog and, when it was accepted, reads
// the entered value back. Plain copies in and out, no checking.
#include "port/FixedText.h"

#include <cstdint>

class TimeEntryParams {
public:
    enum Mode : int32_t { kTimecodeEntry = 0, kNumberEntry = 1 };

    struct Format {
        int32_t formatClass; // 0: 24, 1: 25, 2: 30 frames per second
        int32_t dropFrame;   // only its low byte counts
        int32_t rate;
        int32_t divisor;
    };

    TimeEntryParams();

    int32_t GetMode() const { return mode_; }
    void SetMode(int32_t mode) { mode_ = mode; }
    void GetTimecodeText(char* text, size_t size) const { CopyTextTo(text, size, timecodeText_); }
    void SetTimecodeText(const char* text) { CopyText(timecodeText_, text); }
    void GetTitle(char* text, size_t size) const { CopyTextTo(text, size, title_); }
    void SetTitle(const char* text) { CopyText(title_, text); }
    Format GetFormat() const { return format_; }
    void SetFormat(const Format& format) { format_ = format; }
    void GetBounds(int32_t* lower, int32_t* upper) const
    {
        *lower = lower_;
        *upper = upper_;
    }
    void SetBounds(int32_t lower, int32_t upper)
    {
        lower_ = lower;
        upper_ = upper;
    }
    int32_t GetValue() const { return value_; }
    void SetValue(int32_t value) { value_ = value; }
    void GetPrompt(char* text, size_t size) const { CopyTextTo(text, size, prompt_); }
    void SetPrompt(const char* text) { CopyText(prompt_, text); }

private:
    int32_t mode_ = kTimecodeEntry;
    char timecodeText_[32];
    char title_[64];
    Format format_ = {2, 0, 30000, 1001};
    int32_t lower_ = -1000;
    int32_t upper_ = 1000;
    int32_t value_ = 0;
    char prompt_[260];
};
