#pragma once
// Where the driver finds each field of the requests whose layout depends on
// the target: a record that carries a caller's address carries it as a
// pointer-sized field on the natural bound, so the 64-bit records grow. The
// other records are the same on both targets. Written down here, once, for
// the module's records to be checked against and for the simulated driver
// to decode by.
#include <cstddef>
#include <cstdint>

struct RequestLayout {
    size_t addressBytes; // width of a caller's address in a request
    // Subscription (ids 4 and 11): the event or the address of its variable.
    size_t subscriptionSize, subscriptionEvent, subscriptionType;
    // Memory mapping (id 2).
    size_t mappingSize, mappingAddress, mappingKind;
    // DMA (id 5).
    size_t dmaSize, dmaEngine, dmaHostAddress, dmaFrame, dmaByteCount, dmaOffset, dmaSynchronous;
    // Circulate transfer (ids 9 and 12): the caller's transfer record is
    // copied whole; the audio buffer's address and size are read from it.
    size_t transferRecordSize;
    size_t transferSize, transferRecord, transferAudioAddress, transferAudioSize;
    size_t transferExSize, transferExtra;
};

#ifdef _WIN64
constexpr RequestLayout kRequestLayout = {8,  48, 24, 32,  48,  24, 36, 72, 24,  32, 40,
                                          44, 48, 64, 152, 352, 32, 48, 56, 600, 352};
#else
constexpr RequestLayout kRequestLayout = {4,  40, 24, 28,  40,  24, 32, 64, 24,  28, 32,
                                          36, 40, 56, 144, 336, 28, 44, 48, 584, 336};
#endif
