#include "board/BoardModels.h"

#include <cstddef>

const char kUnknownBoardName[] = "BOARD NOT FOUND";

namespace {

enum Family { kSdBasic, kSdAudio, kHdAudio, kHdDualLink, kHdSilent, kFamilies };

const BoardCapabilities kFamilyCapabilities[kFamilies] = {
    // kSdBasic
    {{1, 1, 1, 1, 1, 0, 1, 8, 1}, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 2, 0}, 0, 0x10000},
    // kSdAudio
    {{1, 1, 1, 1, 1, 1, 1, 8, 1}, {1, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0, 1, 0}, {1, 1, 0, 0, 4, 1}, 3, 0x10000},
    // kHdAudio
    {{1, 1, 1, 1, 1, 1, 2, 16, 2}, {1, 1, 1, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1}, {1, 2, 1, 1, 4, 1}, 4, 0x80000},
    // kHdDualLink
    {{2, 2, 1, 1, 1, 1, 2, 16, 4}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 1, 1, 8, 2}, 4, 0x80000},
    // kHdSilent
    {{1, 1, 1, 1, 0, 0, 1, 16, 1}, {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1}, {0, 1, 0, 0, 2, 0}, 0, 0x80000},
};

const BoardCapabilities kUnknownCapabilities = {{}, {}, {}, 0, 0x10000};

enum MemoryClass { kSmallMemory, kLargeMemory };

// Which frame-buffer formats need double-size frames.
enum DoublingRule { kDoubleOnFormat10, kDoubleOnWideFormats };

struct BoardModel {
    int32_t id;
    const char* name; // at most 15 characters
    Family family;
    MemoryClass memory;
    DoublingRule doubling;
    bool splitWindow;
};

const BoardModel kModels[] = {
    {0x10410, "Quor SD 100", kSdBasic, kSmallMemory, kDoubleOnFormat10, false},
    {0x10411, "Quor SD 110", kSdBasic, kSmallMemory, kDoubleOnFormat10, false},
    {0x10412, "Quor SD 120 A", kSdAudio, kSmallMemory, kDoubleOnFormat10, false},
    {0x10420, "Quor SD 200", kSdAudio, kSmallMemory, kDoubleOnFormat10, false},
    {0x10421, "Quor SD 210", kSdAudio, kSmallMemory, kDoubleOnFormat10, false},
    {0x10422, "Quor SD 220 A", kSdAudio, kSmallMemory, kDoubleOnFormat10, false},
    {0x10430, "Quor HD 300", kHdAudio, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10431, "Quor HD 310", kHdAudio, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10440, "Quor HD 400", kHdAudio, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10441, "Quor HD 410", kHdAudio, kLargeMemory, kDoubleOnWideFormats, false},
    {0x10442, "Quor HD 420 DL", kHdDualLink, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10450, "Quor HD 500", kHdAudio, kLargeMemory, kDoubleOnWideFormats, false},
    {0x10451, "Quor HD 510", kHdAudio, kLargeMemory, kDoubleOnWideFormats, false},
    {0x10452, "Quor HD 520 DL", kHdDualLink, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10460, "Quor HD 600", kHdSilent, kLargeMemory, kDoubleOnFormat10, false},
    {0x10461, "Quor HD 610", kHdSilent, kLargeMemory, kDoubleOnFormat10, false},
    {0x10470, "Quor XT 700", kHdDualLink, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10471, "Quor XT 710", kHdDualLink, kLargeMemory, kDoubleOnWideFormats, true},
    {0x10472, "Quor XT 720 K", kHdDualLink, kLargeMemory, kDoubleOnWideFormats, false},
    {0x10480, "Quor LT 800", kSdBasic, kSmallMemory, kDoubleOnFormat10, false},
    {0x10481, "Quor LT 810", kSdAudio, kSmallMemory, kDoubleOnFormat10, false},
    {0x10490, "Quor IO 900", kHdAudio, kLargeMemory, kDoubleOnFormat10, false},
    {0x10491, "Quor IO 910", kHdAudio, kLargeMemory, kDoubleOnFormat10, false},
    {0x104A0, "Quor IO 1000", kHdSilent, kSmallMemory, kDoubleOnFormat10, false},
    {0x104A1, "Quor IO 1010 A", kSdAudio, kSmallMemory, kDoubleOnFormat10, false},
};

const BoardModel* FindModel(int32_t boardId)
{
    for (const BoardModel& model : kModels) {
        if (model.id == boardId)
            return &model;
    }
    return nullptr;
}

bool NeedsDoubleFrames(DoublingRule rule, uint32_t format)
{
    if (rule == kDoubleOnFormat10)
        return format == 10;
    return format == 8 || (format >= 10 && format <= 13);
}

} // namespace

const char* BoardModelName(int32_t boardId)
{
    const BoardModel* model = FindModel(boardId);
    return model ? model->name : kUnknownBoardName;
}

BoardCapabilities CapabilitiesForBoard(int32_t boardId)
{
    const BoardModel* model = FindModel(boardId);
    return model ? kFamilyCapabilities[model->family] : kUnknownCapabilities;
}

BoardMemory BoardMemoryFor(int32_t boardId, uint32_t frameBufferFormat)
{
    const BoardModel* model = FindModel(boardId);
    BoardMemory memory = {0, 0x200000, 16};
    if (!model)
        return memory;
    if (model->memory == kLargeMemory)
        memory = {0x2000000, 0x800000, 64};
    else
        memory = {0x800000, 0x200000, 16};
    if (NeedsDoubleFrames(model->doubling, frameBufferFormat)) {
        memory.frameSize *= 2;
        memory.frameCount /= 2;
    }
    return memory;
}

bool HasSplitFrameWindow(int32_t boardId)
{
    const BoardModel* model = FindModel(boardId);
    return model && model->splitWindow;
}
