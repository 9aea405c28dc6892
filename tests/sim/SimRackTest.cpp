// The simulated rack as the module meets it: through the driver-API table
// only, with request records built byte by byte here, never from the
// module's structs. Enumeration and subscriptions are shown by the board
// tests, which run on this rack.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardTypes.h"
#include "sim/SerialLine.h"
#include "sim/SimConfig.h"
#include "sim/SimRack.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Words = std::initializer_list<std::pair<size_t, uint32_t>>;

uint32_t WordAt(const Bytes& b, size_t at)
{
    uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

Bytes Record(uint32_t boardType, uint32_t id, uint32_t flags, size_t size, Words words = {})
{
    Bytes b(size, 0);
    std::memcpy(b.data(), BoardTypeGuid(boardType), sizeof(GUID));
    std::memcpy(&b[16], &id, 4);
    std::memcpy(&b[20], &flags, 4);
    for (const auto& w : words)
        std::memcpy(&b[w.first], &w.second, 4);
    return b;
}

const DriverApi& Api() { return sim::SimDriverApi(); }

HANDLE Open(const std::string& path, DWORD share)
{
    return Api().createFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

template <typename Condition>
bool Eventually(Condition condition, DWORD limitMs = 5000)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(1))
        if (GetTickCount() - start > limitMs)
            return false;
    return true;
}

// One open device handle on a rack position.
class Board {
public:
    explicit Board(int position, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE)
        : type_(sim::SimRack::Instance().Configuration().boards.at(position).type),
          handle_(Open(sim::SimRack::Instance().DevicePath(position), share))
    {
        EXPECT_NE(INVALID_HANDLE_VALUE, handle_) << "open failed, error " << GetLastError();
    }
    ~Board()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            Api().closeHandle(handle_);
    }
    HANDLE handle() const { return handle_; }
    Bytes Request(uint32_t id, uint32_t flags, size_t size, Words words = {}) const
    {
        return Record(type_, id, flags, size, words);
    }
    // In and out in one buffer, as the module sends them.
    bool Send(Bytes& record) const
    {
        DWORD got = 0;
        const DWORD size = static_cast<DWORD>(record.size());
        return Api().deviceIoControl(handle_, kBoardRequestCode, record.data(), size, record.data(), size, &got,
                                     nullptr) != FALSE;
    }
    bool Read(uint32_t reg, uint32_t* value, uint32_t mask = 0xFFFFFFFF, uint32_t shift = 0) const
    {
        Bytes r = Request(kPropertyRegister, kFlagGet, 40, {{24, reg}, {32, mask}, {36, shift}});
        const bool ok = Send(r);
        *value = WordAt(r, 28);
        return ok;
    }
    uint32_t Read(uint32_t reg) const
    {
        uint32_t v = 0xDEADBEEF;
        EXPECT_TRUE(Read(reg, &v)) << "register " << reg;
        return v;
    }
    bool Write(uint32_t reg, uint32_t value, uint32_t mask = 0xFFFFFFFF, uint32_t shift = 0) const
    {
        Bytes r = Request(kPropertyRegister, kFlagSet, 40, {{24, reg}, {28, value}, {32, mask}, {36, shift}});
        return Send(r);
    }
    bool Interrupt(bool on, uint32_t type) const
    {
        Bytes r = Request(kPropertyInterrupt, on ? kFlagGet : kFlagSet, 32, {{28, type}});
        return Send(r);
    }
    void SwitchUartOn() const { EXPECT_TRUE(Write(kRegisterUartControl, Read(kRegisterUartControl) | kUartOnBits)); }
    void Drain(Bytes* bytes) const
    {
        while (Read(kRegisterUartControl) & kUartReceiveReady)
            bytes->push_back(static_cast<uint8_t>(Read(kRegisterUartReceive)));
    }

private:
    uint32_t type_;
    HANDLE handle_;
};

// Each test starts from a rack of its own choosing, with nothing injected.
class SimRack : public ::testing::Test {
protected:
    sim::SimRack& rack = sim::SimRack::Instance();

    void Use(const std::string& text)
    {
        sim::RackConfig config;
        std::string error;
        ASSERT_TRUE(sim::ParseRackConfig(text, &config, &error)) << error;
        rack.ClearFaults();
        rack.Configure(config);
        rack.ClearLog();
    }
    void TearDown() override
    {
        rack.ClearFaults();
        rack.Configure(sim::RackConfig());
    }
};

}  // namespace

TEST_F(SimRack, RegisterRequestsApplyMaskAndShiftAndShowTheConfiguration)
{
    Use("type=4 id=0x1234 fb=9 aes=yes flags=0x2001; type=4 rs422=no");
    Board board(0), plain(1);
    const struct {
        bool write;
        uint32_t reg, value, mask, shift, expect;  // expect: what a plain read gives after
    } steps[] = {
        {true, 300, 0x5, 0x78, 3, 0x28},  // only bits 3 to 6 change
        {true, 300, 0xFFFFFFFF, 0x8, 40, 0x20},  // a shift past 31 writes zeros into the mask
        {false, 300, 0, 0x38, 3, 4},
        {false, kRegisterControl, 0, kFrameBufferFormatMask, kFrameBufferFormatShift, 9},
        {false, kRegisterAudioControl, 0, kAudioAesInputBit, 21, 1},
        {true, kRegisterBoardId, 7, 0xFFFFFFFF, 0, 0x1234},  // read-only
        {false, kRegisterDriverFlags, 0, 0xFFFFFFFF, 0, 0x2001},
        {false, kRegisterUartControl, 0, 0xFFFFFFFF, 0, kUartHasRs422},
    };
    for (const auto& s : steps) {
        uint32_t v = 0;
        if (s.write) {
            EXPECT_TRUE(board.Write(s.reg, s.value, s.mask, s.shift));
            v = board.Read(s.reg);
        } else {
            EXPECT_TRUE(board.Read(s.reg, &v, s.mask, s.shift));
        }
        EXPECT_EQ(s.expect, v) << "register " << s.reg << (s.write ? " written" : " read") << " shift " << s.shift;
    }
    EXPECT_EQ(0u, plain.Read(kRegisterUartControl)) << "a board without a port has a UART";
}

TEST_F(SimRack, MalformedRequestsAreRefusedWithTheDriversErrors)
{
    Use("type=4");
    Board board(0);
    rack.ClearLog();
    const Bytes read = board.Request(kPropertyRegister, kFlagGet, 40, {{24, kRegisterBoardId}});
    const struct {
        const char* what;
        Bytes request;
        DWORD inSize, outSize, code, error;
    } cases[] = {
        {"another control code", read, 40, 40, 0x2F0007, ERROR_INVALID_FUNCTION},
        {"header cut short", read, 20, 40, kBoardRequestCode, ERROR_INVALID_PARAMETER},
        {"input short", read, 36, 40, kBoardRequestCode, ERROR_INSUFFICIENT_BUFFER},
        {"output short", read, 40, 39, kBoardRequestCode, ERROR_INSUFFICIENT_BUFFER},
        {"another type's record", Record(2, 0, 1, 40), 40, 40, kBoardRequestCode, ERROR_INVALID_PARAMETER},
        {"unknown property", board.Request(99, kFlagGet, 40), 40, 40, kBoardRequestCode, ERROR_NOT_SUPPORTED},
        {"unknown flags", board.Request(0, 3, 40), 40, 40, kBoardRequestCode, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        Bytes in = c.request, out(c.outSize + 1);
        DWORD got = 0xDEAD;
        EXPECT_FALSE(
            Api().deviceIoControl(board.handle(), c.code, in.data(), c.inSize, out.data(), c.outSize, &got, nullptr))
            << c.what;
        EXPECT_EQ(c.error, GetLastError()) << c.what;
        EXPECT_EQ(0u, got) << c.what;
    }
    ASSERT_EQ(7u, rack.Log().size());
    EXPECT_EQ(read, rack.Log()[0].request) << "the request bytes as sent";
}

TEST_F(SimRack, DeckAnswersThroughTheUartAfterItsLatencyAndTheWireTime)
{
    Use("type=4 latency=20; type=4 tape=no remote=no");
    Board board(0), other(1);
    for (const Board* b : {&board, &other}) {
        for (uint32_t type : {kInterruptUartReceive, kInterruptUartTransmit})
            EXPECT_TRUE(b->Interrupt(true, type));
        b->SwitchUartOn();
    }
    const double start = sim::RackClockMs();
    for (uint8_t byte : {0x20, 0x01, 0x21})
        ASSERT_TRUE(board.Write(kRegisterUartTransmit, byte));
    // Three bytes out, the deck's latency, then the first byte in.
    const double firstDue = 4 * sim::kWireByteMs + 20;
    ASSERT_TRUE(Eventually([&] { return (board.Read(kRegisterUartControl) & kUartReceiveReady) != 0; }));
    EXPECT_GE(sim::RackClockMs() - start, firstDue - 1e-6) << "reply early";
    Bytes reply;
    ASSERT_TRUE(Eventually([&] {
        board.Drain(&reply);
        return reply.size() >= 3;
    }));
    EXPECT_GE(sim::RackClockMs() - start, firstDue + 2 * sim::kWireByteMs - 1e-6) << "bytes overlapped";
    EXPECT_EQ(Bytes({0x10, 0x01, 0x11}), reply);
    EXPECT_EQ(3u, rack.InterruptCount(0, kInterruptUartReceive)) << "one receive interrupt a byte";
    EXPECT_GE(rack.InterruptCount(0, kInterruptUartTransmit), 1u);

    // The configuration reaches the deck: local, no tape.
    for (uint8_t byte : {0x61, 0x20, 0x0A, 0x8B})
        ASSERT_TRUE(other.Write(kRegisterUartTransmit, byte));
    Bytes status;
    EXPECT_TRUE(Eventually([&] {
        other.Drain(&status);
        return status.size() >= 13;
    }));
    ASSERT_EQ(13u, status.size());
    EXPECT_EQ(0x21, status[2] & 0x21) << "D0";
}
