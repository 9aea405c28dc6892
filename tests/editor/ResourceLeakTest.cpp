// Repeated use through xDevice leaves nothing behind: kernel handles,
// drawing objects and the editor's handle memory are counted before and
// after many Initialise/Cleanup cycles (exports: with Export to Tape's
// tests; dialogs count their drawing objects in their own).
#include "port/ModuleGlobals.h"
#include "port/PersistedSettings.h"
#include "editor/PluginController.h"
#include "support/OpenHandles.h"
#include "support/EditorFixture.h"
#include "ui/DrawingObjects.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int16_t kStatus = 1;

struct Resources {
    long kernelHandles;
    long drawingObjects;
    size_t hostHandles;
};

void ExpectSame(const Resources& before, const Resources& after, const std::string& what)
{
    EXPECT_EQ(before.kernelHandles, after.kernelHandles) << "kernel handles left by " << what;
    EXPECT_EQ(before.drawingObjects, after.drawingObjects) << "drawing objects left by " << what;
    EXPECT_EQ(before.hostHandles, after.hostHandles) << "host handles left by " << what;
}

class ResourceLeak : public EditorTest {
protected:
    Resources Count() const { return {OpenHandleCount(), LiveDrawingObjects(), host.LiveHandleCount()}; }
};

TEST_F(ResourceLeak, HundredInitialiseAndCleanupCyclesLeaveNothing)
{
    // The first cycle loads what the process keeps for good, the simulated
    // rack's timer library among it (about 17 handles under Wine).
    ASSERT_EQ(0, Call(kSelectorInitialise));
    PersistedSettings kept;
    std::memcpy(&kept, *record.settings, sizeof kept);
    ASSERT_EQ(0, Call(kSelectorCleanup));
    const Resources before = Count();

    for (int cycle = 0; cycle < 100; ++cycle) {
        // Every other cycle the editor hands back the block it kept, as at
        // its next start.
        if (cycle % 2) {
            record.settings = host.NewHandle(sizeof kept);
            std::memcpy(*record.settings, &kept, sizeof kept);
            ASSERT_EQ(0, Call(kSelectorRestart)) << "cycle " << cycle;
        } else {
            ASSERT_EQ(0, Call(kSelectorInitialise)) << "cycle " << cycle;
        }
        ASSERT_EQ(0, record.mode) << "cycle " << cycle << ": the deck must be online";
        ASSERT_EQ(0, Execute(kStatus));
        ASSERT_EQ(0, Call(kSelectorReleasePorts));
        ASSERT_EQ(0, Execute(kStatus));
        ASSERT_EQ(0, Call(kSelectorCleanup)) << "cycle " << cycle;
        ASSERT_EQ(nullptr, gController);
    }
    ExpectSame(before, Count(), "100 Initialise/Cleanup cycles");
}

} // namespace
