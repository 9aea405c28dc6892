#include "ui/TimeEntryParams.h"

#include "host/TimecodeText.h"

TimeEntryParams::TimeEntryParams()
{
    CopyText(timecodeText_, kZeroTimecodeText);
    CopyText(title_, "Go To Timecode");
    CopyText(prompt_, " ");
}
