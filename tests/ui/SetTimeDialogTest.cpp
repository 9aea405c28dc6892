// The Set Time dialog in its two modes: what each keystroke previews, what
// Ok takes and that Cancel leaves the parameters alone.
#include "editor/PluginController.h"
#include "resources/DialogIds.h"
#include "support/DialogDriving.h"
#include "ui/DrawingObjects.h"
#include "ui/SetTimeDialog.h"

#include <gtest/gtest.h>

namespace {

class SetTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        BuildColourSchemeFor(&controller.colourScheme, 0);
        before_ = LiveDrawingObjects();
    }
    void TearDown() override
    {
        EXPECT_EQ(before_, LiveDrawingObjects()) << "drawing objects left behind by the dialog";
        ReleaseColourScheme(&controller.colourScheme);
    }

    INT_PTR Run(std::vector<ModalScript::Step> steps)
    {
        ModalScript script(std::move(steps));
        INT_PTR result = RunSetTimeDialog(&controller, nullptr);
        EXPECT_TRUE(script.Finished());
        return result;
    }

    // Types `typed` into the entry field and gives the preview.
    static std::string Typed(const char* typed)
    {
        HWND dialog = CurrentDialog();
        SetDlgItemTextA(dialog, IDC_ENTRY_FIELD, typed);
        return Text(dialog, IDC_ENTRY_PREVIEW);
    }

    std::string TimecodeText() const
    {
        char text[32];
        controller.timeEntry.GetTimecodeText(text, sizeof text);
        return text;
    }

    PluginController controller;
    long before_ = 0;
};

TEST_F(SetTime, NumberEntryPreviewsTheTypedNumberClamped)
{
    TimeEntryParams& p = controller.timeEntry;
    p.SetMode(TimeEntryParams::kNumberEntry);
    p.SetTitle("Set TC Offset");
    p.SetBounds(-30, 30);
    p.SetPrompt("Range: -30 to 30");
    p.SetValue(7);
    INT_PTR result = Run({
        [] {
            HWND dialog = CurrentDialog();
            ASSERT_NE(nullptr, dialog);
            char caption[64];
            GetWindowTextA(dialog, caption, sizeof caption);
            EXPECT_STREQ("Set TC Offset", caption);
            EXPECT_EQ("Range: -30 to 30", Text(dialog, IDC_ENTRY_BASE));
            EXPECT_EQ("7", Text(dialog, IDC_ENTRY_PREVIEW));
            EXPECT_EQ("30", Typed("45"));
            EXPECT_EQ("0", Typed("-"));
            EXPECT_EQ("0", Typed("abc"));
            EXPECT_EQ("12", Typed("  12x"));
            EXPECT_EQ("-30", Typed("-31"));
        },
        [] { Click(CurrentDialog(), IDC_ENTRY_OK); },
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(-30, p.GetValue());
}

TEST_F(SetTime, TimecodeEntryNormalisesTheTypedDigits)
{
    TimeEntryParams& p = controller.timeEntry;
    p.SetMode(TimeEntryParams::kTimecodeEntry);
    p.SetTitle("Set Inpoint");
    p.SetFormat({2, 1, 30000, 1001});
    p.SetTimecodeText("00;00;00;00");
    INT_PTR result = Run({
        [] {
            HWND dialog = CurrentDialog();
            ASSERT_NE(nullptr, dialog);
            EXPECT_EQ("Base 30 DF", Text(dialog, IDC_ENTRY_BASE));
            EXPECT_EQ("00;00;12;20", Typed("1220"));
            // A frames tens digit above 2 is taken as 2; only eight digits count.
            EXPECT_EQ("00;00;12;24", Typed("1234"));
            EXPECT_EQ("12;34;56;28", Typed("123456789"));
            EXPECT_EQ("01;02;03;04", Typed("01:02:03:04"));
        },
        [] { Click(CurrentDialog(), IDC_ENTRY_OK); },
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("01;02;03;04", TimecodeText());

    p.SetFormat({1, 0, 25000, 1000});
    result = Run({
        [] {
            EXPECT_EQ("Base 25", Text(CurrentDialog(), IDC_ENTRY_BASE));
            EXPECT_EQ("00:00:12:24", Typed("1234"));
        },
        [] { Click(CurrentDialog(), IDC_ENTRY_CANCEL); },
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("01;02;03;04", TimecodeText()) << "Cancel changes nothing";

    // An unknown format leaves the template's base name.
    p.SetFormat({3, 0, 30000, 1000});
    Run({
        [] { EXPECT_EQ("Base 30 NDF", Text(CurrentDialog(), IDC_ENTRY_BASE)); },
        [] { PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0); },
    });
}

} // namespace
