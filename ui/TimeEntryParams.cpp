#include "ui/TimeEntryParams.h"

#include "port/TimecodeText.h"

TimeEntryParams::TimeEntryParams()
{
    CopyText(timecodeText_, kZeroTimecodeText);
    CopyText(title_, "Go To Timecode");
    CopyText(prompt_, " ");
}
