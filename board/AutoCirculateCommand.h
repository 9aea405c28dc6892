#pragma once
// The caller's record for AutoCirculate: one command with its data. The
// driver's status, frame-stamp and transfer layouts are passed through as
// words; only the audio buffer fields of the transfer record are ours to read.
#include <cstddef>
#include <cstdint>

enum AutoCirculateCommandCode : uint32_t {
    kCirculateInit = 0,
    kCirculateStart = 1,
    kCirculateStop = 2,
    kCirculateAbort = 3,
    kCirculateGetStatus = 4,
    kCirculateFrameStamp = 5,
    kCirculatePause = 6,
    kCirculateResume = 7,
    kCirculateTransfer = 8,
    kCirculateFlush = 9,
    kCirculatePreroll = 10,
    kCirculateTransferEx = 11,
};

struct AutoCirculateCommand {
    uint32_t command;
    uint32_t words[3]; // words 1 to 3: the channel, then command data
    uint32_t unused[4];
    uint8_t bytes[7]; // command data of Init and Abort
    uint8_t pad;
    void* status;             // status (20 words), frame stamp (32) or a CirculateTransferRecord
    uint32_t* transferStatus; // 40 words
    uint32_t* extraData;      // 61 words
};
static_assert(offsetof(AutoCirculateCommand, bytes) == 32, "command bytes at 32");

// The transfer record: the driver's words, passed through whole, around the
// audio buffer that the interface checks before it sends anything. Its
// address is pointer-sized, so the 64-bit record is the longer one.
struct CirculateTransferRecord {
    uint32_t leading[4];
    uintptr_t audioAddress;
    uint32_t audioSize;
    uint32_t trailing[30];
};
