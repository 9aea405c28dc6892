#include "tools/quorhost/PositionProgress.h"

#include "tools/quorhost/Output.h"

#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/RecordReport.h"

#include <windows.h>

#include <cstdio>

namespace quorhost {

namespace {

constexpr DWORD kLineIntervalMs = 250;

// The host's position callback has no context, so neither has its listener.
const DeviceRecord* gRecord = nullptr;
bool gPrinted = false;
DWORD gLastLine = 0;

void ShowPosition(int32_t frame, int32_t /*reference*/)
{
    const DWORD now = GetTickCount();
    if (!gRecord || (gPrinted && now - gLastLine < kLineIntervalMs))
        return;
    gPrinted = true;
    gLastLine = now;
    PrintDetail("position " + DescribeFrame(frame, *gRecord));
}

} // namespace

PositionProgress::PositionProgress(const DeviceRecord& record)
{
    gRecord = &record;
    gPrinted = false;
    HostEnvironment::Instance().positionListener = ShowPosition;
}

PositionProgress::~PositionProgress()
{
    HostEnvironment::Instance().positionListener = nullptr;
    gRecord = nullptr;
}

} // namespace quorhost
