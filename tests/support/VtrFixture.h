#pragma once
// Deck-controller tests: one simulated board with a virtual deck on its
// RS-422 line, a controller opened on it, and the deck's packet log to
// check what went over the wire.
#include "support/DeckRackFixture.h"
#include "vtr/CSerialVtrControl.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class VtrTest : public DeckRackTest {
protected:
    void SetUp() override { Start(sim::DeckSettings{}); }

    // A fresh rack whose deck starts as given, and the control opened on it.
    void Start(const sim::DeckSettings& deck)
    {
        ConfigureDecks(deck);
        control.reset(new CSerialVtrControl);
        ASSERT_TRUE(control->OpenControl(Info(), 2)) << control->LastError();
    }

    std::string Timecode()
    {
        char text[CSerialVtrControl::kTimecodeTextBytes] = {};
        EXPECT_TRUE(control->GetTimecode(text)) << control->LastError();
        return text;
    }

    std::string Mode()
    {
        char text[CSerialVtrControl::kModeTextBytes] = {};
        control->GetMode(text);
        return text;
    }

    std::unique_ptr<CSerialVtrControl> control;
};
