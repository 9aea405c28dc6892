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

// A request record for board type 4: property set, id, flags, then words.
Bytes Record(uint32_t id, uint32_t flags, size_t size, std::initializer_list<std::pair<size_t, uint32_t>> words = {},
             uint32_t boardType = 4)
{
    Bytes b(size, 0);
    std::memcpy(b.data(), BoardTypeGuid(boardType), sizeof(GUID));
    std::memcpy(&b[16], &id, 4);
    std::memcpy(&b[20], &flags, 4);
    for (const auto& w : words)
        std::memcpy(&b[w.first], &w.second, 4);
    return b;
}

const DriverApi& Api()
{
    return sim::SimDriverApi();
}

// One device handle on the rack's first board, and requests as the module
// sends them: in and out in one buffer.
class SimRack : public ::testing::Test {
protected:
    sim::SimRack& rack = sim::SimRack::Instance();
    HANDLE handle = INVALID_HANDLE_VALUE;

    void Use(const std::string& text)
    {
        sim::RackConfig config;
        std::string error;
        ASSERT_TRUE(sim::ParseRackConfig(text, &config, &error)) << error;
        rack.ClearFaults();
        rack.Configure(config);
        handle = Api().createFile(rack.DevicePath(0).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle) << "open failed, error " << GetLastError();
    }
    void TearDown() override
    {
        if (handle != INVALID_HANDLE_VALUE)
            Api().closeHandle(handle);
        rack.ClearFaults();
        rack.Configure(sim::RackConfig());
    }
    bool Send(Bytes& record)
    {
        DWORD got = 0;
        const DWORD size = static_cast<DWORD>(record.size());
        return Api().deviceIoControl(handle, kBoardRequestCode, record.data(), size, record.data(), size, &got,
                                     nullptr) != FALSE;
    }
    uint32_t Read(uint32_t reg)
    {
        Bytes r = Record(kPropertyRegister, kFlagGet, 40, {{24, reg}, {32, 0xFFFFFFFF}});
        EXPECT_TRUE(Send(r)) << "register " << reg;
        uint32_t v;
        std::memcpy(&v, &r[28], 4);
        return v;
    }
    bool Write(uint32_t reg, uint32_t value)
    {
        Bytes r = Record(kPropertyRegister, kFlagSet, 40, {{24, reg}, {28, value}, {32, 0xFFFFFFFF}});
        return Send(r);
    }
};

template <typename Condition> bool Eventually(Condition condition, DWORD limitMs = 5000)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(1))
        if (GetTickCount() - start > limitMs)
            return false;
    return true;
}

} // namespace

// In order, so that a write is seen by a plain read of its register after.
TEST_F(SimRack, DecodesRegisterRequestsAndRefusesMalformedOnes)
{
    Use("type=4 id=0x1234");
    constexpr uint32_t kNone = 0xDEADBEEF;
    const auto set = [](uint32_t reg, uint32_t value, uint32_t mask, uint32_t shift) {
        return Record(kPropertyRegister, kFlagSet, 40, {{24, reg}, {28, value}, {32, mask}, {36, shift}});
    };
    const Bytes read = Record(kPropertyRegister, kFlagGet, 40, {{24, 300}, {32, 0x38}, {36, 3}});
    const struct {
        const char* what;
        Bytes request;
        DWORD inSize, outSize, code, error;
        uint32_t reg, after; // reg: read back plainly, after: what it holds (or, for a get, gives)
    } cases[] = {
        {"only the mask's bits change", set(300, 0x5, 0x78, 3), 40, 40, kBoardRequestCode, 0, 300, 0x28},
        {"a shift past 31 writes zeros", set(300, ~0u, 0x8, 40), 40, 40, kBoardRequestCode, 0, 300, 0x20},
        {"a masked, shifted read", read, 40, 40, kBoardRequestCode, 0, kNone, 4},
        {"the board id is read-only", set(kRegisterBoardId, 7, ~0u, 0), 40, 40, kBoardRequestCode, 0, kRegisterBoardId,
         0x1234},
        {"another control code", read, 40, 40, 0x2F0007, ERROR_INVALID_FUNCTION, kNone, kNone},
        {"header cut short", read, 20, 40, kBoardRequestCode, ERROR_INVALID_PARAMETER, kNone, kNone},
        {"input short", read, 36, 40, kBoardRequestCode, ERROR_INSUFFICIENT_BUFFER, kNone, kNone},
        {"output short", read, 40, 39, kBoardRequestCode, ERROR_INSUFFICIENT_BUFFER, kNone, kNone},
        {"another type's record", Record(0, 1, 40, {}, 2), 40, 40, kBoardRequestCode, ERROR_INVALID_PARAMETER, kNone,
         kNone},
        {"unknown property", Record(99, kFlagGet, 40), 40, 40, kBoardRequestCode, ERROR_NOT_SUPPORTED, kNone, kNone},
        {"unknown flags", Record(0, 3, 40), 40, 40, kBoardRequestCode, ERROR_INVALID_PARAMETER, kNone, kNone},
    };
    for (const auto& c : cases) {
        Bytes in = c.request, out(c.outSize + 1);
        DWORD got = 0xDEAD;
        const bool ok =
            Api().deviceIoControl(handle, c.code, in.data(), c.inSize, out.data(), c.outSize, &got, nullptr) != FALSE;
        EXPECT_EQ(c.error == 0, ok) << c.what;
        if (!ok) {
            EXPECT_EQ(c.error, GetLastError()) << c.what;
            EXPECT_EQ(0u, got) << c.what;
        } else if (c.reg != kNone) {
            EXPECT_EQ(c.after, Read(c.reg)) << c.what;
        } else {
            uint32_t v;
            std::memcpy(&v, &out[28], 4);
            EXPECT_EQ(c.after, v) << c.what;
        }
    }
}

TEST_F(SimRack, DeckAnswersThroughTheUartAfterItsLatencyAndTheWireTime)
{
    Use("type=4 latency=20");
    Bytes interrupt = Record(kPropertyInterrupt, kFlagGet, 32, {{28, kInterruptUartReceive}});
    EXPECT_TRUE(Send(interrupt));
    EXPECT_TRUE(Write(kRegisterUartControl, Read(kRegisterUartControl) | kUartOnBits));
    const double start = sim::RackClockMs();
    for (uint8_t byte : {0x20, 0x01, 0x21})
        ASSERT_TRUE(Write(kRegisterUartTransmit, byte));
    // Three bytes out, the deck's latency, then the first byte in.
    const double firstDue = 4 * sim::kWireByteMs + 20;
    ASSERT_TRUE(Eventually([&] { return (Read(kRegisterUartControl) & kUartReceiveReady) != 0; }));
    EXPECT_GE(sim::RackClockMs() - start, firstDue - 1e-6) << "reply early";
    Bytes reply;
    ASSERT_TRUE(Eventually([&] {
        while (Read(kRegisterUartControl) & kUartReceiveReady)
            reply.push_back(static_cast<uint8_t>(Read(kRegisterUartReceive)));
        return reply.size() >= 3;
    }));
    EXPECT_GE(sim::RackClockMs() - start, firstDue + 2 * sim::kWireByteMs - 1e-6) << "bytes overlapped";
    EXPECT_EQ(Bytes({0x10, 0x01, 0x11}), reply);
    EXPECT_EQ(3u, rack.InterruptCount(0, kInterruptUartReceive)) << "one receive interrupt a byte";
}
