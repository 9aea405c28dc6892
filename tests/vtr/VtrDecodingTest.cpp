// Replies no well-behaved deck gives, from a scripted far end: how status,
// time and speed answers are decoded, and how the link bounds a reply.
#include "support/VtrFixture.h"

#include "sim/SerialLine.h"

#include <functional>
#include <memory>
#include <mutex>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Block(Bytes bytes)
{
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum = static_cast<uint8_t>(sum + b);
    bytes.push_back(sum);
    return bytes;
}

// Answers every whole block with what the script says, 1 ms after it.
// Called under the rack's lock, so it only touches its own state.
class ScriptedDeck final : public sim::SerialPeer {
public:
    using Script = std::function<Bytes(const Bytes& block)>;
    explicit ScriptedDeck(Script script) : script_(std::move(script)) {}

    void FromHost(uint8_t byte, double atMs, sim::SerialLine& line) override
    {
        block_.push_back(byte);
        if (block_.size() < 3u + (block_[0] & 0x0F))
            return;
        const Bytes reply = script_(block_);
        block_.clear();
        if (!reply.empty())
            line.SendToHost(reply.data(), reply.size(), atMs + 1.0);
    }

private:
    Script script_;
    Bytes block_;
};

class VtrDecoding : public VtrTest {
protected:
    // Transport and presets are acknowledged; the status sense answers with
    // status_, the speed sense with speedReply_, the time sense with timeReply_.
    void SetUp() override
    {
        VtrTest::SetUp();
        Rack().SetSerialPeer(0, std::make_unique<ScriptedDeck>([this](const Bytes& block) {
                                 std::lock_guard<std::mutex> hold(mutex_);
                                 if (block[0] == 0x61 && block[1] == 0x20)
                                     return statusReply_;
                                 if (block[0] == 0x60 && block[1] == 0x2E)
                                     return speedReply_;
                                 if (block[0] == 0x61 && block[1] == 0x0C)
                                     return timeReply_;
                                 return Bytes{0x10, 0x01, 0x11};
                             }));
    }

    void Status(std::initializer_list<std::pair<int, uint8_t>> bytes)
    {
        Bytes data(10, 0);
        for (const auto& b : bytes)
            data[b.first] = b.second;
        Bytes block = {0x7A, 0x20};
        block.insert(block.end(), data.begin(), data.end());
        SetReplies(Block(block), speedReply_, timeReply_);
    }

    void SetReplies(Bytes status, Bytes speed, Bytes time)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        statusReply_ = std::move(status);
        speedReply_ = std::move(speed);
        timeReply_ = std::move(time);
    }

    std::mutex mutex_;
    Bytes statusReply_;
    Bytes speedReply_ = Block({0x71, 0x2E, 0x40});
    Bytes timeReply_ = Block({0x74, 0x04, 0x00, 0x00, 0x00, 0x01});
};

TEST_F(VtrDecoding, ModeTextsInTheirOrderOfDecision)
{
    Status({{0, 0x21}});
    EXPECT_EQ("Tape Out", Mode());
    Status({{1, 0x22}});
    EXPECT_EQ("Stop", Mode());
    Status({{1, 0x01}});
    EXPECT_EQ("Play", Mode());
    Status({{1, 0x03}});
    EXPECT_EQ("Record", Mode()) << "recording keeps PLAY set";
    Status({{1, 0x04}, {4, 0x01}});
    EXPECT_EQ("Fast Forward", Mode());
    Status({{1, 0x90}, {2, 0x0B}});
    EXPECT_EQ("Eject", Mode());
    Status({{1, 0x80}, {2, 0x01}});
    EXPECT_EQ("Cue Up", Mode());
    Status({{1, 0x80}});
    EXPECT_EQ("StandBy", Mode());
    Status({});
    EXPECT_EQ("Unknown", Mode()) << "no state this module knows, yet a defined text";

    ASSERT_TRUE(control->Shuttle(-16.0));
    Status({{2, 0x24}});
    EXPECT_EQ("Rewind 16x", Mode());
    ASSERT_TRUE(control->Shuttle(0.3));
    Status({{2, 0x10}});
    EXPECT_EQ("Play 1/4x", Mode());
    Status({{2, 0x14}});
    EXPECT_EQ("Reverse Play 1/4x", Mode());
    ASSERT_TRUE(control->Shuttle(3.7));
    EXPECT_EQ("Jog", Mode()) << "3.7 rounds to 4 and truncates to 3: no form fits";
    Status({{2, 0x20}});
    EXPECT_EQ("Shuttle", Mode());
    ASSERT_TRUE(control->Shuttle(0.05));
    EXPECT_EQ("Still", Mode());

    // A speed answer of any other length, or a refusal of the same length,
    // leaves the speed unnamed; the mode is still read, so nothing failed.
    ASSERT_TRUE(control->Shuttle(2.0));
    for (const Bytes& speed : {Block({0x71, 0x2E}), Block({0x11, 0x12, 0x01})}) {
        SetReplies(statusReply_, speed, timeReply_);
        EXPECT_EQ("Shuttle", Mode());
        EXPECT_STREQ("None", control->LastError());
        EXPECT_EQ(0.0, control->GetSpeed());
    }
}

TEST_F(VtrDecoding, FlagsAreTheStatusBitsAndNothingElse)
{
    uint8_t flags[60];
    Status(
        {{0, 0xFF}, {1, 0xFF}, {2, 0xFF}, {3, 0xFF}, {4, 0xFF}, {5, 0xFF}, {6, 0xFF}, {7, 0xFF}, {8, 0xFF}, {9, 0xFF}});
    ASSERT_TRUE(control->GetStatusFlags(flags));
    EXPECT_EQ(0, flags[0]);
    for (int i = 1; i < 60; ++i)
        EXPECT_EQ(1, flags[i]) << i;
    EXPECT_TRUE(control->GetStatusFlags(nullptr)) << "only the answer wanted";

    const struct {
        int byte;
        uint8_t value;
        int flag;
    } singles[] = {{0, 0x20, 1},  {0, 0x01, 3},  {1, 0x20, 5},  {2, 0x04, 16}, {3, 0x80, 19},
                   {4, 0x01, 32}, {5, 0x01, 39}, {7, 0x01, 50}, {8, 0x01, 58}, {9, 0x80, 59}};
    for (const auto& single : singles) {
        Status({{single.byte, single.value}});
        ASSERT_TRUE(control->GetStatusFlags(flags));
        for (int i = 0; i < 60; ++i)
            EXPECT_EQ(i == single.flag ? 1 : 0, flags[i]) << "D" << single.byte << " flag " << i;
    }

    // Twelve bytes, or thirteen that are not a status block: unreadable.
    Bytes shortReply(statusReply_.begin(), statusReply_.end() - 1);
    for (const Bytes& reply : {shortReply, Block({0x7B, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}) {
        SetReplies(reply, speedReply_, timeReply_);
        std::memset(flags, 1, sizeof flags);
        EXPECT_FALSE(control->GetStatusFlags(flags));
        for (int i = 0; i < 60; ++i)
            EXPECT_EQ(i == 0 ? 1 : 0, flags[i]) << i;
        EXPECT_EQ("Offline", Mode());
    }
}

TEST_F(VtrDecoding, TimeIsMaskedAndOnlyAWholeTimeBlockCounts)
{
    // Drop-frame and field flags masked off; nibbles past 9 read as 0.
    SetReplies(statusReply_, speedReply_, Block({0x74, 0x04, 0x5F, 0xA9, 0x3B, 0xE1}));
    EXPECT_EQ("21;30;29;10", Timecode());
    SetReplies(statusReply_, speedReply_, {0x74, 0x04, 0x01, 0x02, 0x03, 0x04, 0x00});
    char text[12];
    EXPECT_FALSE(control->GetTimecode(text)) << "bad checksum";
    EXPECT_STREQ("00;00;00;00", text);
    SetReplies(statusReply_, speedReply_, Block({0x11, 0x12, 0x01}));
    EXPECT_FALSE(control->GetTimecode(text));
    EXPECT_STREQ("00;00;00;00", text);
    EXPECT_STREQ("Deck Refused Command (Unknown Command)", control->LastError());
    SetReplies(statusReply_, speedReply_, Block({0x11, 0x12, 0x05}));
    control->GetTimecode(text);
    EXPECT_STREQ("Deck Refused Command (Unknown Command, Checksum Error)", control->LastError());
}

} // namespace
