#include "export/ResultCodeText.h"

#include <cstring>
#include <string>

namespace {

struct ResultText {
    int32_t code;
    const char* text;
};

// Shown to the user word for word; kept as they are, odd spelling included.
constexpr ResultText kResultTexts[] = {
    {-1, "Unsupported Request."},
    {0, "Success"},
    {1, "Invalid Parameter."},
    {2, "Parameter Not Supported."},
    {3, "Unknown Error: "},
    {10000, "Close Handle Error."},
    {10001, "Undefinged Handle Error."},
    {10002, "Handle Already Open."},
    {10003, "Could Not Allocate Memory."},
    {100000, "Video Format Not Supported."},
    {100001, "Audio Data Not Supported."},
    {100002, "Could not create Video File. Please change clip name."},
    {100003, "Could not create Audio File. Please change clip name."},
    {100004, "Could not create new Folder. Please change clip name."},
    {100005, "Could not open Video File."},
    {100006, "Could not open Audio File."},
    {100007, "Buffer too small."},
    {100008, "User Cancelled."},
    {200000, "Quor Board is busy."},
    {200001, "Could not initialize auto circulate. Please re-start Quor Driver."},
    {200002, "Could not start auto circulate. Please re-start Quor Driver."},
    {200003, "Could not allocate fifo. Please free memory and re-try."},
    {200004, "Cannot Activate."},
    {200005, "VTR Not Ready. Please check VTR status and try again."},
    {200006, "No Quor Boards are detected."},
    {200007, "Failed in creating Quor SetUp Window."},
    {200008, "This colorspace is not supported."},
    {200010, "No Video Input is detected."},
    {200011, "Video Input does not match Capture Format."},
    {200012, "Duration is 0"},
    {200013, "Error in Setting Up the Insert Edit."},
    {200014, "Error - only an even number of frames can be printed in this mode."},
    {200015, "Error - no edit channels are selected."},
    {200016, "VTR is offline. Please check VTR status and try again."},
    {200017, "No Tape. Please insert tape into VTR and try again."},
    {200018, "VTR is in local mode. Please put VTR in remote mode and try again."},
    {200019, "Tape Error. Tape is in record inhibit mode."},
};

constexpr char kUnknownFailure[] = "Unknown Failure.";

constexpr bool AllTextsFit()
{
    for (const ResultText& row : kResultTexts)
        if (std::char_traits<char>::length(row.text) >= kResultCodeTextSize)
            return false;
    return true;
}
static_assert(AllTextsFit(), "a result text no longer fits the caller's buffer");

} // namespace

bool ResultCodeToText(int32_t code, char* text)
{
    if (!text)
        return true;
    const char* found = kUnknownFailure;
    for (const ResultText& row : kResultTexts) {
        if (row.code == code) {
            found = row.text;
            break;
        }
    }
    std::memcpy(text, found, std::strlen(found) + 1);
    return true;
}
