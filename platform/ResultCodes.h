#pragma once
// The result codes every layer returns: 0 is success, -2 a refusal without
// a code of its own; the rest are the export's errors the editor shows.
#include <cstdint>

enum ResultCode : int32_t {
    kResultSuccess = 0,
    kResultRefused = -2,
    kResultUserCancelled = 100008,
    kResultDeckNotReady = 200005,
    kResultNoEditChannels = 200015,
    kResultDeckOffline = 200016,
    kResultNoTape = 200017,
    kResultDeckLocal = 200018,
    kResultRecordInhibit = 200019,
};
