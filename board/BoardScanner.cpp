#include "board/BoardScanner.h"

#include "board/BoardTypes.h"

#include <cstdio>

BoardScanner::ProbeBoard::~ProbeBoard() = default;

BoardScanner::BoardScanner(bool scanNow, uint32_t typeMask) : probe_(new ProbeBoard())
{
    if (scanNow)
        Scan(typeMask);
}

BoardScanner::BoardScanner(const DriverApi& api, bool scanNow, uint32_t typeMask) : probe_(new ProbeBoard(api))
{
    if (scanNow)
        Scan(typeMask);
}

void BoardScanner::Scan(uint32_t typeMask)
{
    boards_.clear();
    boards_.shrink_to_fit();
    count_ = 0;

    static const uint32_t kScanOrder[] = {BOARDTYPE_QA, BOARDTYPE_QB, BOARDTYPE_QC};
    try {
        for (uint32_t type : kScanOrder) {
            if (!(typeMask & type))
                continue;
            // Board numbers are 16-bit; no rack comes near that.
            for (uint32_t index = 0; index <= 0xFFFF; ++index) {
                // A board the driver lists but that will not open keeps its
                // place (unknown, so no port takes it), and the boards after
                // it keep theirs.
                if (!probe_->Open(static_cast<uint16_t>(index), false, type, nullptr) &&
                    !probe_->BoardListed(static_cast<uint16_t>(index), type))
                    break;
                ++count_;
                BoardInfo info = Describe(type, index);
                probe_->Close();
                boards_.push_back(std::move(info));
            }
        }
    } catch (...) {
        probe_->Close();
        boards_.clear();
        count_ = 0;
        throw;
    }
}

BoardInfo BoardScanner::Describe(uint32_t boardType, uint32_t boardIndex)
{
    BoardInfo info;
    info.boardType = boardType;
    info.boardIndex = boardIndex;

    uint32_t value = 0;
    const char* name = probe_->ReadRegister(kRegisterBoardId, &value, 0xFFFFFFFF, 0)
                           ? BoardModelName(static_cast<int32_t>(value))
                           : kUnknownBoardName;
    std::snprintf(info.displayName, sizeof info.displayName, "%s - %d", name, static_cast<int>(boardIndex));
    info.boardId = probe_->ReadRegister(kRegisterBoardId, &value, 0xFFFFFFFF, 0) ? static_cast<int32_t>(value) : -1;

    const BoardCapabilities caps = CapabilitiesForBoard(info.boardId);
    std::copy(caps.counts, caps.counts + kCapabilityCounts, info.counts);
    std::copy(caps.flags, caps.flags + kCapabilityFlags, info.flags);
    std::copy(caps.furtherCounts, caps.furtherCounts + kFurtherCounts, info.furtherCounts);
    info.analogOutputs = caps.analogOutputs;
    info.memoryGranule = caps.memoryGranule;

    if (caps.flags[kCapHasAudio]) {
        uint32_t audioControl = 0;
        const bool aesInput = probe_->ReadRegister(kRegisterAudioControl, &audioControl, 0xFFFFFFFF, 0) &&
                              (audioControl & kAudioAesInputBit) != 0;
        info.audioSampleRates.push_back(48000);
        if (caps.flags[kCapAudio96k])
            info.audioSampleRates.push_back(96000);
        if (caps.flags[kCapAudio2Channels])
            info.audioChannelCounts.push_back(2);
        if (caps.flags[kCapAudio6Channels])
            info.audioChannelCounts.push_back(6);
        if (caps.flags[kCapAudio8Channels])
            info.audioChannelCounts.push_back(8);
        info.audioSampleSizes.push_back(32);
        info.audioInputKinds.push_back(FourCharCode("isdi"));
        if (aesInput)
            info.audioInputKinds.push_back(FourCharCode("iaes"));
        if (caps.flags[kCapAnalogAudioInput])
            info.audioInputKinds.push_back(FourCharCode("ialg"));
        info.audioOutputKinds.push_back(FourCharCode("out "));
    }
    return info;
}
