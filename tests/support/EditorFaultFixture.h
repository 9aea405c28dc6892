#pragma once
// The editor driving the module through xDevice while the board or the deck
// misbehaves. Every wait is bounded, so that a hang fails a test instead of
// the run, and every test ends with nothing of the board left held.
#include "port/DeviceControlPort.h"
#include "support/EditorFixture.h"
#include "editor/PluginController.h"
#include "support/DialogDriving.h"

#include <functional>

// 01;00;00;00 in 30 drop frame, where the decks start.
constexpr int32_t kOneHour = 107892;
constexpr int16_t kModeOfflineReported = 15;

class EditorFaultTest : public EditorTest {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        EditorTest::SetUp();
    }

    void TearDown() override
    {
        EditorTest::TearDown();
        EXPECT_EQ(0, Rack().LiveDeviceHandles()) << "a board left open";
        EXPECT_EQ(0, Rack().LiveInfoSets());
        EXPECT_EQ(0, Rack().LiveSubscriptions());
    }

    // A status poll that reads the deck rather than echoing the last mode,
    // as every 61st poll of the editor does.
    int16_t ReadStatus()
    {
        if (gController)
            gController->statusPollCounter = kStatusPollNow;
        Execute(1);
        return record.mode;
    }

    // ms; unsigned arithmetic stays right across the counter's wrap.
    static DWORD Elapsed(const std::function<void()>& fn)
    {
        const DWORD start = GetTickCount();
        fn();
        return GetTickCount() - start;
    }

    // The deck goes away `ms` from now on its own clock, by its unplug
    // fault, which counts from the first byte it heard.
    void UnplugIn(double ms)
    {
        WithDeck([&](sim::VirtualVtr& deck, double now) {
            double firstByte = now;
            for (const sim::LoggedPacket& packet : deck.Packets()) {
                if (packet.direction == sim::LoggedPacket::Direction::FromController) {
                    firstByte = packet.ms - sim::kWireByteMs * double(packet.bytes.size() - 1);
                    break;
                }
            }
            sim::DeckFaults faults = deck.Faults();
            faults.unplugAfterMs = now - firstByte + ms;
            deck.SetFaults(faults);
        });
    }

    bool DeckUnplugged()
    {
        bool unplugged = false;
        WithDeck([&](sim::VirtualVtr& deck, double now) { unplugged = deck.Unplugged(now); });
        return unplugged;
    }
};
