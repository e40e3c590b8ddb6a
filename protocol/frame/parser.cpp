#include "protocol/frame/parser.h"

#include <new>

namespace {

void report(FrameParser* parser, frame::ParseReport what, RxSlot* slot)
{
    if (parser->sink != nullptr)
        parser->sink(what, parser->context, slot);
}

void abandonFrame(FrameParser* parser)
{
    parser->current->release();
    ++parser->dataErrorCount;
    report(parser, frame::ParseReport::Abandoned, nullptr);
}

} // namespace

RxSlot* slotAt(void* pool, std::uint16_t slotDataSize, std::uint16_t index)
{
    auto* bytes = static_cast<std::uint8_t*>(pool);
    return std::launder(reinterpret_cast<RxSlot*>(bytes + std::size_t{index} * slotStride(slotDataSize)));
}

void initParser(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize,
                FrameParser* parser, FrameSink sink, void* context)
{
    *parser = FrameParser{};
    parser->pool = pool;
    parser->slotCount = slotCount;
    parser->slotDataSize = slotDataSize;
    parser->sink = sink;
    parser->context = context;
    auto* bytes = static_cast<std::uint8_t*>(pool);
    for (std::uint16_t i = 0; i < slotCount; ++i)
        new (bytes + std::size_t{i} * slotStride(slotDataSize)) RxSlot{};
    parser->current = slotCount > 0 ? slotAt(pool, slotDataSize, 0) : nullptr;
}

RxSlot* findFreeSlot(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize)
{
    for (std::uint16_t i = 0; i < slotCount; ++i) {
        RxSlot* slot = slotAt(pool, slotDataSize, i);
        if (slot->state.load(std::memory_order_acquire) == RxSlot::Free)
            return slot;
    }
    return nullptr;
}

namespace {

// Start, escape and end bytes, bytes outside a frame, and a frame at the slot
// size. Kept out of line so that the data path needs no stack frame.
[[gnu::noinline]] void feedSteeringByte(std::uint8_t byte, FrameParser* p)
{
    if (!p->escaped && (byte == frame::StartXor || byte == frame::StartCrc)) {
        p->kind = byte;
        if (p->waitingForStart) {
            RxSlot* slot = findFreeSlot(p->pool, p->slotCount, p->slotDataSize);
            if (slot == nullptr) {
                ++p->dropCount;
                return;
            }
            p->current = slot;
        } else {
            abandonFrame(p);
        }
        p->waitingForStart = false;
        p->current->state.store(RxSlot::Filling, std::memory_order_relaxed);
        p->current->data()[0] = byte;
        p->position = 1;
        return;
    }
    if (p->waitingForStart)
        return;
    if (!p->escaped && byte == frame::Escape) {
        p->escaped = true;
        return;
    }
    if (p->position >= p->slotDataSize) {
        p->waitingForStart = true;
        p->escaped = false;
        abandonFrame(p);
        return;
    }
    RxSlot* slot = p->current;
    slot->data()[p->position++] = byte;

    if (!p->escaped && byte == frame::End) {
        p->waitingForStart = true;
        if (checkPasses(p->kind, slot->data() + 1, p->position - 2)) {
            slot->data()[p->position] = 0;
            slot->length = p->position;
            ++p->frameCount;
            slot->state.store(RxSlot::Complete, std::memory_order_release);
            report(p, frame::ParseReport::Frame, slot);
        } else {
            slot->release();
            ++p->checksumErrorCount;
            report(p, frame::ParseReport::CheckFailed, nullptr);
        }
        return;
    }
    p->escaped = false;
}

} // namespace

void feedByte(std::uint8_t byte, FrameParser* p)
{
    // Most bytes are plain data inside a frame; the check runs once over the
    // whole frame when its end byte arrives.
    if (!p->waitingForStart && !p->escaped && !frame::needsEscape(byte) && p->position < p->slotDataSize) {
        p->current->data()[p->position++] = byte;
        return;
    }
    feedSteeringByte(byte, p);
}

void discardOpenFrame(FrameParser* p)
{
    // Only an open frame owns its slot; without one there is nothing to free
    // (and the current slot may already belong to the consumer).
    if (!p->waitingForStart && p->current != nullptr
        && p->current->state.load(std::memory_order_relaxed) == RxSlot::Filling) {
        p->current->release();
        ++p->dropCount;
    }
    p->escaped = false;
    p->waitingForStart = true;
}
