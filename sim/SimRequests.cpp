// The board driver's side of each property request: the record decoded by
// its byte offsets alone, so that a fault in how the module lays a record
// out shows here instead of being mirrored. Records that carry a caller's
// address are read at the offsets of the target this driver serves.
#include "board/BoardTypes.h"
#include "board/RequestLayout.h"
#include "sim/RackState.h"

#include <cstdio>
#include <cstring>

namespace sim {

namespace {

constexpr RequestLayout kLayout = kRequestLayout;

constexpr DWORD kRegisterRecord = 40;
constexpr DWORD kInterruptRecord = 32;
constexpr DWORD kCountRecord = 40;
constexpr DWORD kCommandRecord = 56;
constexpr DWORD kStatusRecord = 112;
constexpr DWORD kFrameStampRecord = 168;
constexpr DWORD kTransferStatus = 160;
constexpr DWORD kBitFileRecord = 1048;
constexpr DWORD kMappingRecord = kLayout.mappingSize;
constexpr DWORD kSubscriptionRecord = kLayout.subscriptionSize;
constexpr DWORD kDmaRecord = kLayout.dmaSize;
constexpr DWORD kTransferRecord = kLayout.transferSize;
constexpr DWORD kTransferExRecord = kLayout.transferExSize;

constexpr SIZE_T kMappingBytes = 64 * 1024;

// Circulate command numbers that travel as a plain command.
bool IsPlainCommand(uint32_t command)
{
    switch (command) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 6:
    case 7:
    case 9:
    case 10:
        return true;
    default:
        return false;
    }
}

bool Subscribable(uint32_t type)
{
    return type < kInterruptTypes && type != 1 && type != 12 && type != 13;
}

// The request as read once; every offset is checked against its size first.
class Record {
public:
    explicit Record(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    DWORD size() const { return static_cast<DWORD>(bytes_.size()); }
    uint32_t Word(DWORD offset) const
    {
        uint32_t v = 0;
        std::memcpy(&v, bytes_.data() + offset, sizeof v);
        return v;
    }
    // A caller's address, as wide as the target's pointers.
    uintptr_t Address(DWORD offset) const
    {
        uintptr_t v = 0;
        std::memcpy(&v, bytes_.data() + offset, kLayout.addressBytes);
        return v;
    }
    uint8_t Byte(DWORD offset) const { return bytes_[offset]; }
    const uint8_t* data() const { return bytes_.data(); }

private:
    const std::vector<uint8_t>& bytes_;
};

// The caller's output area: nothing is written past its size.
class Reply {
public:
    Reply(uint8_t* out, DWORD size) : out_(out), size_(size) {}
    bool Fits(DWORD bytes) const { return bytes <= size_; }
    // The record goes back whole, as the module reads its fields in place.
    void Echo(const Record& request, DWORD bytes)
    {
        std::memmove(out_, request.data(), bytes);
        Grow(bytes);
    }
    void Put(DWORD offset, uint32_t value)
    {
        std::memcpy(out_ + offset, &value, sizeof value);
        Grow(offset + 4);
    }
    void PutAddress(DWORD offset, uintptr_t value)
    {
        std::memcpy(out_ + offset, &value, kLayout.addressBytes);
        Grow(offset + kLayout.addressBytes);
    }
    void Zero(DWORD offset, DWORD bytes)
    {
        std::memset(out_ + offset, 0, bytes);
        Grow(offset + bytes);
    }
    DWORD written() const { return written_; }

private:
    void Grow(DWORD end) { written_ = end > written_ ? end : written_; }

    uint8_t* out_;
    DWORD size_;
    DWORD written_ = 0;
};

class Answer {
public:
    Answer(RackState& rack, DeviceHandle& handle, const Record& request, Reply& reply)
        : rack_(rack), handle_(handle), board_(*handle.board), request_(request), reply_(reply),
          flags_(request.Word(20))
    {
    }

    DWORD Property(uint32_t id)
    {
        switch (id) {
        case kPropertyRegister:
            return Register();
        case kPropertyMapping:
            return Mapping();
        case kPropertyInterrupt:
            return Interrupt();
        case kPropertyInterruptCount:
            return CountOrOldSubscription();
        case kPropertyDma:
            return Dma();
        case kPropertyCirculateCommand:
            return CirculateCommand();
        case kPropertyCirculateStatus:
            return CirculateStatus();
        case kPropertyCirculateFrameStamp:
            return FrameStamp();
        case kPropertyCirculateTransfer:
            return Transfer(8, kTransferRecord);
        case kPropertySubscription:
            return Subscription();
        case kPropertyCirculateTransferEx:
            return Transfer(11, kTransferExRecord);
        case kPropertyBitFileInformation:
            return BitFileInformation();
        default:
            return ERROR_NOT_SUPPORTED;
        }
    }

private:
    // Checks the sizes before anything happens: a request refused for its
    // output must not have taken a byte from the UART or a lock.
    DWORD Sizes(DWORD in, DWORD out) const
    {
        if (request_.size() < in || !reply_.Fits(out))
            return ERROR_INSUFFICIENT_BUFFER;
        return ERROR_SUCCESS;
    }

    DWORD Register()
    {
        const bool read = flags_ == kFlagGet;
        if (!read && flags_ != kFlagSet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kRegisterRecord, read ? kRegisterRecord : 0))
            return e;
        const uint32_t reg = request_.Word(24), mask = request_.Word(32), shift = request_.Word(36);
        const double now = RackClockMs();
        board_.uart->AdvanceTo(now);
        if (read) {
            const uint32_t value = board_.Read(reg, true);
            reply_.Echo(request_, kRegisterRecord);
            reply_.Put(28, shift >= 32 ? 0 : (value & mask) >> shift);
        } else {
            board_.Write(reg, request_.Word(28), mask, shift, now);
            if (reg == kRegisterUartTransmit || reg == kRegisterUartControl)
                rack_.WakeService();
        }
        return ERROR_SUCCESS;
    }

    DWORD Mapping()
    {
        const bool map = flags_ == kFlagGet;
        if (!map && flags_ != kFlagSet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kMappingRecord, map ? kMappingRecord : 0))
            return e;
        const uint8_t kind = request_.Byte(kLayout.mappingKind);
        if (kind >= kMappingKinds)
            return ERROR_INVALID_PARAMETER;
        void*& mapping = handle_.mappings[kind];
        if (map) {
            // Address space of its own, so that every mapping is a distinct,
            // real address; nothing reads through it.
            if (!mapping)
                mapping = VirtualAlloc(nullptr, kMappingBytes, MEM_RESERVE, PAGE_NOACCESS);
            if (!mapping)
                return ERROR_NOT_ENOUGH_MEMORY;
            reply_.Echo(request_, kMappingRecord);
            reply_.PutAddress(kLayout.mappingAddress, reinterpret_cast<uintptr_t>(mapping));
            return ERROR_SUCCESS;
        }
        if (!mapping || request_.Address(kLayout.mappingAddress) != reinterpret_cast<uintptr_t>(mapping))
            return ERROR_INVALID_PARAMETER;
        VirtualFree(mapping, 0, MEM_RELEASE);
        mapping = nullptr;
        return ERROR_SUCCESS;
    }

    DWORD Interrupt()
    {
        if (DWORD e = Sizes(kInterruptRecord, 0))
            return e;
        const uint32_t type = request_.Word(28);
        if (type >= kInterruptTypes || (flags_ != kFlagGet && flags_ != kFlagSet))
            return ERROR_INVALID_PARAMETER;
        board_.enabled[type] = flags_ == kFlagGet;
        return ERROR_SUCCESS;
    }

    DWORD CountOrOldSubscription()
    {
        if (DWORD e = Sizes(32, 0))
            return e;
        // A count carries its marker where a subscription of this target
        // carries its type or the top of its address: the size tells them
        // apart when a 64-bit address could look like the marker.
        const bool count = request_.Word(28) == kInterruptCountMarker &&
                           (kSubscriptionRecord == kCountRecord || request_.size() < kSubscriptionRecord);
        if (!count) {
            // The old form names the caller's handle variable, not the handle.
            if (DWORD e = Sizes(kSubscriptionRecord, 0))
                return e;
            HANDLE event = nullptr;
            if (flags_ == kFlagGet) {
                const uintptr_t address = request_.Address(kLayout.subscriptionEvent);
                SIZE_T got = 0;
                if (!address)
                    return ERROR_INVALID_PARAMETER;
                if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address), &event,
                                       sizeof event, &got) ||
                    got != sizeof event)
                    return ERROR_NOACCESS;
            }
            return Subscribe(request_.Word(kLayout.subscriptionType), event);
        }
        if (flags_ != kFlagGet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kCountRecord, kCountRecord))
            return e;
        const uint32_t type = request_.Word(32);
        if (type >= kInterruptTypes)
            return ERROR_INVALID_PARAMETER;
        reply_.Echo(request_, kCountRecord);
        reply_.Put(32, board_.counts[type]);
        return ERROR_SUCCESS;
    }

    DWORD Subscription()
    {
        if (DWORD e = Sizes(kSubscriptionRecord, 0))
            return e;
        return Subscribe(request_.Word(kLayout.subscriptionType),
                         reinterpret_cast<HANDLE>(request_.Address(kLayout.subscriptionEvent)));
    }

    DWORD Subscribe(uint32_t type, HANDLE event)
    {
        if (!Subscribable(type) || (flags_ != kFlagGet && flags_ != kFlagSet))
            return ERROR_INVALID_PARAMETER;
        HANDLE& held = handle_.events[type];
        if (flags_ == kFlagSet) {
            if (held)
                CloseHandle(held);
            held = nullptr;
            return ERROR_SUCCESS;
        }
        if (!event)
            return ERROR_INVALID_PARAMETER;
        // The driver keeps the event alive on its own reference: the caller
        // may close its handle at any time.
        HANDLE copy = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
            return ERROR_INVALID_HANDLE;
        if (held)
            CloseHandle(held);
        held = copy;
        return ERROR_SUCCESS;
    }

    DWORD Dma()
    {
        if (DWORD e = Sizes(kDmaRecord, 0))
            return e;
        const uint32_t engine = request_.Word(kLayout.dmaEngine), frame = request_.Word(kLayout.dmaFrame),
                       count = request_.Word(kLayout.dmaByteCount);
        const uintptr_t host = request_.Address(kLayout.dmaHostAddress);
        if (flags_ != kFlagGet && flags_ != kFlagSet)
            return ERROR_INVALID_PARAMETER;
        if (!host && count)
            return ERROR_INVALID_PARAMETER;
        if (flags_ == kFlagGet && engine == 0 && frame == 0 && count) {
            board_.locked.push_back({host, count});
        } else if (flags_ == kFlagSet && count == 0) {
            // Unlocking what was never locked is harmless, as with the driver.
            for (auto it = board_.locked.begin(); it != board_.locked.end(); ++it)
                if (it->address == host) {
                    board_.locked.erase(it);
                    break;
                }
        }
        return ERROR_SUCCESS;
    }

    DWORD CirculateCommand()
    {
        if (flags_ != kFlagSet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kCommandRecord, 0))
            return e;
        const uint32_t command = request_.Word(24);
        if (!IsPlainCommand(command))
            return ERROR_INVALID_PARAMETER;
        board_.circulateState[request_.Word(28)] = command;
        return ERROR_SUCCESS;
    }

    // 0 idle, 1 running, 2 paused, 3 stopped.
    uint32_t ChannelState(uint32_t channel) const
    {
        const auto it = board_.circulateState.find(channel);
        if (it == board_.circulateState.end())
            return 0;
        switch (it->second) {
        case 1:
        case 7:
            return 1;
        case 6:
            return 2;
        case 2:
        case 3:
            return 3;
        default:
            return 0;
        }
    }

    DWORD CirculateStatus()
    {
        if (flags_ != kFlagGet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kStatusRecord, kStatusRecord))
            return e;
        if (request_.Word(24) != 4)
            return ERROR_INVALID_PARAMETER;
        const uint32_t channel = request_.Word(28);
        reply_.Echo(request_, kStatusRecord);
        reply_.Zero(32, kStatusRecord - 32);
        reply_.Put(32, channel);
        reply_.Put(36, ChannelState(channel));
        reply_.Put(40, board_.transfers);
        return ERROR_SUCCESS;
    }

    DWORD FrameStamp()
    {
        if (flags_ != kFlagGet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kFrameStampRecord, kFrameStampRecord))
            return e;
        if (request_.Word(24) != 5)
            return ERROR_INVALID_PARAMETER;
        // The caller's words come back with the frame and its stamp filled in.
        const uint32_t frame = request_.Word(32);
        reply_.Echo(request_, kFrameStampRecord);
        reply_.Put(40, frame);
        reply_.Put(44, frame * 1001u);
        return ERROR_SUCCESS;
    }

    DWORD Transfer(uint32_t command, DWORD recordSize)
    {
        if (flags_ != kFlagGet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(recordSize, kTransferStatus))
            return e;
        if (request_.Word(24) != command)
            return ERROR_INVALID_PARAMETER;
        const uint32_t audioBytes = request_.Word(kLayout.transferAudioSize);
        if (audioBytes % 4 || request_.Address(kLayout.transferAudioAddress) % 4)
            return ERROR_INVALID_PARAMETER;
        ++board_.transfers;
        reply_.Zero(0, kTransferStatus);
        reply_.Put(0, request_.Word(kLayout.transferRecord));
        reply_.Put(4, board_.transfers);
        reply_.Put(8, audioBytes);
        if (recordSize == kTransferExRecord)
            reply_.Put(12, request_.Word(kLayout.transferExtra));
        return ERROR_SUCCESS;
    }

    DWORD BitFileInformation()
    {
        if (flags_ != kFlagGet)
            return ERROR_INVALID_PARAMETER;
        if (DWORD e = Sizes(kBitFileRecord, kBitFileRecord))
            return e;
        reply_.Echo(request_, 24);
        reply_.Zero(24, kBitFileRecord - 24);
        const BoardConfig& c = board_.config;
        reply_.Put(24, board_.Read(kRegisterBoardId, false));
        reply_.Put(28, c.type);
        reply_.Put(32, 0x00010002); // design version 1.2
        reply_.Put(36, c.frameBufferFormat);
        char name[32];
        const int length = std::snprintf(name, sizeof name, "quorsim-type%u", static_cast<unsigned>(c.type));
        for (int i = 0; i < length; i += 4) {
            uint32_t word = 0;
            std::memcpy(&word, name + i, length - i < 4 ? length - i : 4);
            reply_.Put(40 + i, word);
        }
        return ERROR_SUCCESS;
    }

    RackState& rack_;
    DeviceHandle& handle_;
    SimBoard& board_;
    const Record& request_;
    Reply& reply_;
    const uint32_t flags_;
};

} // namespace

DWORD AnswerBoardRequest(RackState& rack, DeviceHandle& handle, const std::vector<uint8_t>& request, uint8_t* out,
                         DWORD outSize, DWORD* written)
{
    const Record record(request);
    Reply reply(out, outSize);
    Answer answer(rack, handle, record, reply);
    const DWORD error = answer.Property(record.Word(16));
    *written = error == ERROR_SUCCESS ? reply.written() : 0;
    return error;
}

} // namespace sim
