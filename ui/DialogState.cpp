#include "ui/DialogState.h"

#include "port/FixedText.h"
#include "port/TimecodeText.h"

DialogState::DialogState()
{
    ResetDisplayTexts();
}

void DialogState::ResetDisplayTexts()
{
    CopyText(timecodeDisplayText, kZeroTimecodeText);
    CopyText(deviceStateTexts[0], "Not Open");
    CopyText(deviceStateTexts[1], "Not Open");
    CopyText(deckStatusText, "Offline");
    CopyText(deviceStateText, "Not Open");
    CopyText(timecodeTexts[0], kZeroTimecodeText);
    CopyText(timecodeTexts[1], kZeroTimecodeText);
    CopyText(timecodeText, kZeroTimecodeText);
    CopyText(gotoLabel, "Go To Timecode");
    CopyText(optionsStatusText, "Not Open");
}
