#pragma once
// The request records exchanged with the board driver. Each is one
// kernel-streaming property request: the same buffer goes in and comes back
// (the circulate transfers excepted), so layouts are fixed to the byte.
// Caller addresses are pointer-sized: the records that carry one follow the
// target's layout (board/RequestLayout.h), the others are the same on both.
#include "board/AutoCirculateCommand.h"
#include "board/RequestLayout.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct BoardRequestHeader {
    GUID propertySet; // the board type's identifier
    uint32_t propertyId;
    uint32_t flags; // kFlagGet or kFlagSet
};
static_assert(sizeof(BoardRequestHeader) == 24, "property header");

struct RegisterRequest {
    BoardRequestHeader header;
    uint32_t registerNumber;
    uint32_t value;
    uint32_t mask;
    uint32_t shift;
};
static_assert(sizeof(RegisterRequest) == 40, "register request");
static_assert(offsetof(RegisterRequest, registerNumber) == 24, "register request");
static_assert(offsetof(RegisterRequest, shift) == 36, "register request");

struct InterruptRequest {
    BoardRequestHeader header;
    uint32_t zero;
    uint32_t interruptType;
};
static_assert(sizeof(InterruptRequest) == 32, "interrupt request");

// Either form: the event handle itself, or the address of the variable
// holding it, depending on the driver's flags.
struct SubscriptionRequest {
    BoardRequestHeader header;
    uintptr_t event;
    uint32_t interruptType;
    uint32_t unused[2];
};
static_assert(sizeof(SubscriptionRequest) == kRequestLayout.subscriptionSize, "subscription request");
static_assert(offsetof(SubscriptionRequest, event) == kRequestLayout.subscriptionEvent, "subscription request");
static_assert(offsetof(SubscriptionRequest, interruptType) == kRequestLayout.subscriptionType, "subscription request");

struct InterruptCountRequest {
    BoardRequestHeader header;
    uint32_t zero;
    uint32_t marker;      // kInterruptCountMarker
    uint32_t typeOrCount; // interrupt type in, count out
    uint32_t unused;
};
static_assert(sizeof(InterruptCountRequest) == 40, "interrupt count request");
static_assert(offsetof(InterruptCountRequest, typeOrCount) == 32, "interrupt count request");

enum MappingKind : uint8_t {
    kMappingFrameBuffers = 0,
    kMappingRegisters = 1,
    kMappingKind2 = 2,
};

struct MappingRequest {
    BoardRequestHeader header;
    uintptr_t address; // out when mapping, in when unmapping
    uint32_t unused;
    uint8_t kind;
    uint8_t pad[7];
};
static_assert(sizeof(MappingRequest) == kRequestLayout.mappingSize, "mapping request");
static_assert(offsetof(MappingRequest, address) == kRequestLayout.mappingAddress, "mapping request");
static_assert(offsetof(MappingRequest, kind) == kRequestLayout.mappingKind, "mapping request");

struct DmaRequest {
    BoardRequestHeader header;
    uint32_t engine;
    uintptr_t hostAddress;
    uint32_t frameNumber;
    uint32_t byteCount;
    uint32_t offset;
    uint32_t unused[3];
    uint8_t synchronous;
    uint8_t pad[7];
};
static_assert(sizeof(DmaRequest) == kRequestLayout.dmaSize, "DMA request");
static_assert(offsetof(DmaRequest, engine) == kRequestLayout.dmaEngine, "DMA request");
static_assert(offsetof(DmaRequest, hostAddress) == kRequestLayout.dmaHostAddress, "DMA request");
static_assert(offsetof(DmaRequest, frameNumber) == kRequestLayout.dmaFrame, "DMA request");
static_assert(offsetof(DmaRequest, byteCount) == kRequestLayout.dmaByteCount, "DMA request");
static_assert(offsetof(DmaRequest, offset) == kRequestLayout.dmaOffset, "DMA request");
static_assert(offsetof(DmaRequest, synchronous) == kRequestLayout.dmaSynchronous, "DMA request");

constexpr uint32_t kBitFileWords = 256;

struct BitFileRequest {
    BoardRequestHeader header;
    uint32_t words[kBitFileWords];
};
static_assert(sizeof(BitFileRequest) == 1048, "bit-file request");

struct CirculateCommandRequest {
    BoardRequestHeader header;
    uint32_t command;
    uint32_t words[3]; // words 1 to 3 of the command record
    uint32_t unused;
    uint8_t bytes[7];
    uint8_t pad[5];
};
static_assert(sizeof(CirculateCommandRequest) == 56, "circulate command request");
static_assert(offsetof(CirculateCommandRequest, words) == 28, "circulate command request");
static_assert(offsetof(CirculateCommandRequest, bytes) == 44, "circulate command request");

constexpr uint32_t kCirculateStatusWords = 20;
constexpr uint32_t kCirculateFrameStampWords = 32;
constexpr uint32_t kCirculateTransferStatusWords = 40;
constexpr uint32_t kCirculateExtraWords = 61;

struct CirculateStatusRequest {
    BoardRequestHeader header;
    uint32_t command;
    uint32_t channel;
    uint32_t status[kCirculateStatusWords];
};
static_assert(sizeof(CirculateStatusRequest) == 112, "circulate status request");

struct CirculateFrameStampRequest {
    BoardRequestHeader header;
    uint32_t command;
    uint32_t channel;
    uint32_t frame;
    uint32_t unused;
    uint32_t stamp[kCirculateFrameStampWords];
};
static_assert(sizeof(CirculateFrameStampRequest) == 168, "circulate frame-stamp request");
static_assert(offsetof(CirculateFrameStampRequest, stamp) == 40, "circulate frame-stamp request");

static_assert(sizeof(CirculateTransferRecord) == kRequestLayout.transferRecordSize, "transfer record");

struct CirculateTransferRequest {
    BoardRequestHeader header;
    uint32_t command;
    CirculateTransferRecord transfer;
    uint32_t unused[41];
};
static_assert(sizeof(CirculateTransferRequest) == kRequestLayout.transferSize, "circulate transfer request");
static_assert(offsetof(CirculateTransferRequest, transfer) == kRequestLayout.transferRecord,
              "circulate transfer request");
static_assert(offsetof(CirculateTransferRequest, transfer.audioAddress) == kRequestLayout.transferAudioAddress,
              "circulate transfer request");
static_assert(offsetof(CirculateTransferRequest, transfer.audioSize) == kRequestLayout.transferAudioSize,
              "circulate transfer request");

struct CirculateTransferExRequest {
    CirculateTransferRequest transfer;
    uint32_t extra[kCirculateExtraWords];
    uint32_t unused;
};
static_assert(sizeof(CirculateTransferExRequest) == kRequestLayout.transferExSize, "circulate transfer request");
static_assert(offsetof(CirculateTransferExRequest, extra) == kRequestLayout.transferExtra,
              "circulate transfer request");

struct CirculateTransferStatus {
    uint32_t words[kCirculateTransferStatusWords];
};
static_assert(sizeof(CirculateTransferStatus) == 160, "circulate transfer status");
