#pragma once
// What the board driver and the module agree on: board types, the identifier
// of each type (device-interface class and property set at once), the
// request code, the property ids and the registers the module uses.
#include <windows.h>

#include <cstdint>

constexpr uint32_t BOARDTYPE_MVQRA = 1;
constexpr uint32_t BOARDTYPE_QA = 2;
constexpr uint32_t BOARDTYPE_QB = 4;
constexpr uint32_t BOARDTYPE_QC = 8;
constexpr uint32_t BOARDTYPE_TREL2 = 16;
constexpr uint32_t BOARDTYPE_TRELX = 32;
constexpr uint32_t BOARDTYPE_DEFAULT = BOARDTYPE_QB;

// One identifier per enumerable type; null for any other type.
const GUID* BoardTypeGuid(uint32_t boardType);

// IOCTL_KS_PROPERTY: device type 0x2F, function 0, method neither, any access.
constexpr DWORD kBoardRequestCode = 0x2F0003;

constexpr uint32_t kPropertyRegister = 0;
constexpr uint32_t kPropertyMapping = 2;
constexpr uint32_t kPropertyInterrupt = 3;
// Interrupt count, and the subscription form that carries the address of the
// caller's event variable.
constexpr uint32_t kPropertyInterruptCount = 4;
constexpr uint32_t kPropertyDma = 5;
constexpr uint32_t kPropertyCirculateCommand = 6;
constexpr uint32_t kPropertyCirculateStatus = 7;
constexpr uint32_t kPropertyCirculateFrameStamp = 8;
constexpr uint32_t kPropertyCirculateTransfer = 9;
// The subscription form that carries the event handle itself.
constexpr uint32_t kPropertySubscription = 11;
constexpr uint32_t kPropertyCirculateTransferEx = 12;
constexpr uint32_t kPropertyBitFileInformation = 17;

constexpr uint32_t kFlagGet = 1;
constexpr uint32_t kFlagSet = 2;

// An interrupt-count request names this "type" where a subscription names
// the interrupt; no interrupt has it.
constexpr uint32_t kInterruptCountMarker = 12;

constexpr uint32_t kRegisterControl = 0; // bits 3 to 6: frame-buffer format
constexpr uint32_t kFrameBufferFormatMask = 0x78;
constexpr uint32_t kFrameBufferFormatShift = 3;
constexpr uint32_t kRegisterAudioControl = 24; // bit 21: AES input present
constexpr uint32_t kAudioAesInputBit = 0x200000;
constexpr uint32_t kRegisterBoardId = 50;
constexpr uint32_t kRegisterUartTransmit = 70;
constexpr uint32_t kRegisterUartReceive = 71;
constexpr uint32_t kRegisterUartControl = 72;
constexpr uint32_t kUartHasRs422 = 0x100;
constexpr uint32_t kUartReceiveReady = 0x10;
constexpr uint32_t kUartOnBits = 0xC9;
// Values kept by the driver itself.
constexpr uint32_t kRegisterDriverFlags = 10002;
constexpr uint32_t kDriverFlagEventHandles = 0x2000; // subscriptions carry the handle
constexpr uint32_t kRegisterBitFileLoad = 10050;

constexpr uint32_t kInterruptUartTransmit = 14;
constexpr uint32_t kInterruptUartReceive = 15;
