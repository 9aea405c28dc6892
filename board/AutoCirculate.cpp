// The circulate commands and the bit-file information: records passed
// through to the driver, whose layouts beyond the named fields are its own.
#include "board/AutoCirculateCommand.h"
#include "board/BoardRequests.h"
#include "board/BoardTypes.h"
#include "board/CBrixWinDriverInterface.h"

#include <cstdio>
#include <cstring>

namespace {

// The system's text for the last error, without its trailing line break.
void LastErrorText(char* text, size_t size)
{
    const DWORD error = GetLastError();
    text[0] = '\0';
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, static_cast<DWORD>(size), nullptr);
    if (length == 0) {
        std::snprintf(text, size, "error %lu", static_cast<unsigned long>(error));
        return;
    }
    for (size_t end = std::strlen(text); end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r'); --end)
        text[end - 1] = '\0';
}

} // namespace

bool CBrixWinDriverInterface::AutoCirculate(AutoCirculateCommand* command)
{
    if (!command)
        return false;

    switch (command->command) {
    case kCirculateInit:
    case kCirculateStart:
    case kCirculateStop:
    case kCirculateAbort:
    case kCirculatePause:
    case kCirculateResume:
    case kCirculateFlush:
    case kCirculatePreroll: {
        auto request = NewRequest<CirculateCommandRequest>(kPropertyCirculateCommand, kFlagSet);
        request.command = command->command;
        request.words[0] = command->words[0];
        switch (command->command) {
        case kCirculateInit:
            request.words[1] = command->words[1];
            request.words[2] = command->words[2];
            std::memcpy(request.bytes, command->bytes, sizeof request.bytes);
            break;
        case kCirculateAbort:
            request.bytes[0] = command->bytes[0];
            break;
        case kCirculateResume:
            request.words[1] = command->words[1];
            break;
        case kCirculatePreroll:
            request.words[1] = command->words[1];
            request.words[2] = command->words[2];
            break;
        default:
            break;
        }
        return SendRequest(&request, sizeof request);
    }
    case kCirculateGetStatus: {
        if (!command->status)
            return false;
        auto request = NewRequest<CirculateStatusRequest>(kPropertyCirculateStatus, kFlagGet);
        request.command = command->command;
        request.channel = command->words[0];
        if (!SendRequest(&request, sizeof request))
            return false;
        std::memcpy(command->status, request.status, sizeof request.status);
        return true;
    }
    case kCirculateFrameStamp: {
        if (!command->status)
            return false;
        auto request = NewRequest<CirculateFrameStampRequest>(kPropertyCirculateFrameStamp, kFlagGet);
        request.command = command->command;
        request.channel = command->words[0];
        request.frame = command->words[1];
        std::memcpy(request.stamp, command->status, sizeof request.stamp);
        if (!SendRequest(&request, sizeof request))
            return false;
        std::memcpy(command->status, request.stamp, sizeof request.stamp);
        return true;
    }
    case kCirculateTransfer:
    case kCirculateTransferEx:
        return CirculateTransfer(command);
    default:
        return true; // commands the driver does not know are not sent
    }
}

bool CBrixWinDriverInterface::CirculateTransfer(AutoCirculateCommand* command)
{
    const auto* transfer = static_cast<const CirculateTransferRecord*>(command->status);
    const bool extended = command->command == kCirculateTransferEx;
    if (!transfer || !command->transferStatus || (extended && !command->extraData))
        return false;

    if (transfer->audioSize != 0) {
        if (transfer->audioSize % 4 != 0) {
            DisplayError("TransferAutoCirculate failed - audio buffer size not mod 4");
            return false;
        }
        if (transfer->audioAddress % 4 != 0) {
            DisplayError("TransferAutoCirculate failed - audio buffer address not mod 4");
            return false;
        }
    }

    // The extended record starts with the plain one; the size sent decides.
    auto request = NewRequest<CirculateTransferExRequest>(
        extended ? kPropertyCirculateTransferEx : kPropertyCirculateTransfer, kFlagGet);
    const uint32_t inSize = extended ? sizeof(CirculateTransferExRequest) : sizeof(CirculateTransferRequest);
    request.transfer.command = command->command;
    request.transfer.transfer = *transfer;
    if (extended)
        std::memcpy(request.extra, command->extraData, sizeof request.extra);

    CirculateTransferStatus status;
    std::memcpy(status.words, command->transferStatus, sizeof status.words);
    if (!SendRequest(&request, inSize, &status, sizeof status)) {
        if (displayErrors_) {
            char reason[256];
            LastErrorText(reason, sizeof reason);
            char text[320];
            std::snprintf(text, sizeof text, "DmaTransfer failed: %s\n", reason);
            std::fputs(text, stdout);
            DisplayError(reason);
        }
        return false;
    }
    std::memcpy(command->transferStatus, status.words, sizeof status.words);
    return true;
}

bool CBrixWinDriverInterface::DriverGetBitFileInformation(uint32_t* record, uint32_t)
{
    if (!record)
        return false;
    auto request = NewRequest<BitFileRequest>(kPropertyBitFileInformation, kFlagGet);
    if (!SendRequest(&request, sizeof request)) {
        DisplayError("DriverGetBitFileInformation failed");
        return false;
    }
    std::memcpy(record, request.words, sizeof request.words);
    return true;
}
