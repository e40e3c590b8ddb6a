#pragma once

#include "protocol/frame/wire.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// One entry of the receive pool. The slot's state is the only hand-over
// between the receive thread (publishes 2 with release) and its consumer
// (reads with acquire, frees with 0).
struct RxSlot {
    enum State : std::uint16_t { Free = 0, Filling = 1, Complete = 2 };

    std::atomic<std::uint16_t> state{Free};
    std::uint16_t reserved{0};
    std::uint32_t length{0}; // unescaped frame length, start byte to end byte
    std::uint64_t reserved2{0};

    std::uint8_t* data() { return reinterpret_cast<std::uint8_t*>(this) + sizeof(RxSlot); }
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(this) + sizeof(RxSlot); }
    void release() { state.store(Free, std::memory_order_release); }
};
static_assert(sizeof(RxSlot) == 16, "the slot header is 16 bytes");
static_assert(std::atomic<std::uint16_t>::is_always_lock_free, "slot state must be lock-free");

// Bytes one slot takes in the pool: the header plus a data area that holds
// slotDataSize + 1 bytes, rounded up to a multiple of 8.
constexpr std::size_t slotStride(std::uint16_t slotDataSize)
{
    return (std::size_t{slotDataSize} / 8 + 3) * 8;
}
constexpr std::size_t poolBytes(std::uint16_t slotCount, std::uint16_t slotDataSize)
{
    return std::size_t{slotCount} * slotStride(slotDataSize);
}
RxSlot* slotAt(void* pool, std::uint16_t slotDataSize, std::uint16_t index);

namespace frame {
// What the parser reports. Overrun comes from the port below the parser,
// which reports it through the same sink.
enum class ParseReport { Frame, CheckFailed, Abandoned, Overrun };
} // namespace frame

// Where the parser reports, with the context given to initParser; only a
// complete frame comes with its slot.
using FrameSink = void (*)(frame::ParseReport report, void* context, RxSlot* slot);

// State of the receive parser; touched by the receive thread only. A frame's
// check runs once over its slot when the end byte arrives.
struct FrameParser {
    std::uint32_t dropCount = 0;
    std::uint32_t checksumErrorCount = 0;
    std::uint32_t dataErrorCount = 0;
    std::uint32_t frameCount = 0;
    void* pool = nullptr;
    RxSlot* current = nullptr;
    std::uint16_t slotCount = 0;
    std::uint16_t slotDataSize = 0;
    bool waitingForStart = true;
    std::uint32_t position = 0;
    std::uint8_t kind = 0;
    bool escaped = false;
    FrameSink sink = nullptr;
    void* context = nullptr;
};

using ByteCallback = void (*)(std::uint8_t byte, FrameParser* parser);

void initParser(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize,
                FrameParser* parser, FrameSink sink, void* context);
RxSlot* findFreeSlot(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize);
void feedByte(std::uint8_t byte, FrameParser* parser);
void discardOpenFrame(FrameParser* parser);
