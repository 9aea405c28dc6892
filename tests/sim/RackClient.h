#pragma once
// Talks to the simulated rack through the driver-API table only, with
// request records built byte by byte here, never from the module's structs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardTypes.h"
#include "board/RequestLayout.h"
#include "sim/SimRack.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;
using Words = std::initializer_list<std::pair<size_t, uint32_t>>;

// Where this target's driver reads the fields that carry addresses.
constexpr RequestLayout kLayout = kRequestLayout;

inline void PutWord(Bytes& b, size_t offset, uint32_t value)
{
    if (offset + 4 > b.size())
        ADD_FAILURE() << "word at " << offset << " is past a record of " << b.size();
    else
        std::memcpy(&b[offset], &value, 4);
}
inline uint32_t WordAt(const Bytes& b, size_t offset)
{
    uint32_t v;
    std::memcpy(&v, &b[offset], 4);
    return v;
}
// A caller's address, as wide as the target's pointers.
inline void PutAddress(Bytes& b, size_t offset, uintptr_t value)
{
    if (offset + sizeof value > b.size())
        ADD_FAILURE() << "address at " << offset << " is past a record of " << b.size();
    else
        std::memcpy(&b[offset], &value, sizeof value);
}
inline uintptr_t AddressAt(const Bytes& b, size_t offset)
{
    uintptr_t v;
    std::memcpy(&v, &b[offset], sizeof v);
    return v;
}
inline uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// A zeroed record of the given size with its header and the words given.
inline Bytes Record(uint32_t boardType, uint32_t id, uint32_t flags, size_t size, Words words = {})
{
    Bytes b(size, 0);
    std::memcpy(b.data(), BoardTypeGuid(boardType), sizeof(GUID));
    PutWord(b, 16, id);
    PutWord(b, 20, flags);
    for (const auto& w : words)
        PutWord(b, w.first, w.second);
    return b;
}

inline const DriverApi& Api() { return sim::SimDriverApi(); }

inline HANDLE Open(const std::string& path, DWORD share)
{
    return Api().createFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Polls until the condition holds or a generous deadline passes.
template <typename Condition>
bool Eventually(Condition condition, DWORD limitMs = 5000)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(1);
    }
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
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    HANDLE handle() const { return handle_; }
    void Close()
    {
        EXPECT_TRUE(Api().closeHandle(handle_));
        handle_ = INVALID_HANDLE_VALUE;
    }

    Bytes Request(uint32_t id, uint32_t flags, size_t size, Words words = {}) const
    {
        return Record(type_, id, flags, size, words);
    }
    // In and out in one buffer, as the module sends them.
    bool Send(Bytes& record, DWORD* returned = nullptr) const
    {
        DWORD got = 0xDEAD;
        const DWORD size = static_cast<DWORD>(record.size());
        const BOOL ok = Api().deviceIoControl(handle_, kBoardRequestCode, record.data(), size, record.data(), size,
                                              &got, nullptr);
        if (returned)
            *returned = got;
        return ok != FALSE;
    }
    bool Send(uint32_t id, uint32_t flags, size_t size, Words words) const
    {
        Bytes r = Request(id, flags, size, words);
        return Send(r);
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
        return Send(kPropertyRegister, kFlagSet, 40, {{24, reg}, {28, value}, {32, mask}, {36, shift}});
    }
    bool Interrupt(bool on, uint32_t type) const
    {
        return Send(kPropertyInterrupt, on ? kFlagGet : kFlagSet, 32, {{28, type}});
    }
    // The form that carries the event handle itself.
    bool Subscribe(bool on, uint32_t type, HANDLE event) const
    {
        return SendSubscription(kPropertySubscription, on, type, Address(event));
    }
    // The form that carries the address of the caller's handle variable.
    bool SubscribeByAddress(bool on, uint32_t type, HANDLE* slot) const
    {
        return SendSubscription(kPropertyInterruptCount, on, type, Address(slot));
    }
    bool SendSubscription(uint32_t id, bool on, uint32_t type, uintptr_t address) const
    {
        Bytes r = Request(id, on ? kFlagGet : kFlagSet, kLayout.subscriptionSize, {{kLayout.subscriptionType, type}});
        PutAddress(r, kLayout.subscriptionEvent, address);
        return Send(r);
    }
    uint32_t Count(uint32_t type) const
    {
        Bytes r = Request(kPropertyInterruptCount, kFlagGet, 40, {{28, kInterruptCountMarker}, {32, type}});
        EXPECT_TRUE(Send(r));
        return WordAt(r, 32);
    }

private:
    uint32_t type_;
    HANDLE handle_;
};

// Each test starts from a rack of its own choosing, with nothing injected.
class RackTest : public ::testing::Test {
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
    // Nothing a test wired in (a peer, a fault) outlives it.
    void TearDown() override
    {
        rack.ClearFaults();
        rack.Configure(sim::RackConfig());
    }
};

// A board's UART driven as the module drives it.
class SerialTest : public RackTest {
protected:
    // Both interrupts enabled and subscribed, as the module's activation does.
    void Listen(const Board& board)
    {
        for (uint32_t type : {kInterruptUartReceive, kInterruptUartTransmit}) {
            HANDLE& event = type == kInterruptUartReceive ? received : sent;
            event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            EXPECT_TRUE(board.Interrupt(true, type));
            EXPECT_TRUE(board.Subscribe(true, type, event));
        }
    }
    void SwitchOn(const Board& board)
    {
        const uint32_t control = board.Read(kRegisterUartControl);
        EXPECT_TRUE(board.Write(kRegisterUartControl, control | kUartOnBits));
    }
    // Drains the receive FIFO the way the module polls it.
    void Drain(const Board& board, std::vector<uint8_t>* bytes)
    {
        while (board.Read(kRegisterUartControl) & kUartReceiveReady)
            bytes->push_back(static_cast<uint8_t>(board.Read(kRegisterUartReceive)));
    }
    void TearDown() override
    {
        for (HANDLE h : {received, sent})
            if (h)
                CloseHandle(h);
        RackTest::TearDown();
    }

    HANDLE received = nullptr;
    HANDLE sent = nullptr;
};

}  // namespace simtest
