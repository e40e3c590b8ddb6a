#include "protocol/frame.h"

#include "protocol/comevents.h"

#include <array>
#include <new>

namespace {

// Table of the CRC-16 polynomial 0x1021, MSB first: entry i is the register
// after shifting i << 8 through the polynomial eight times.
constexpr std::array<std::uint16_t, 256> makeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reg = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x8000U) ? (reg << 1) ^ 0x1021U : reg << 1;
        table[i] = static_cast<std::uint16_t>(reg);
    }
    return table;
}
constexpr auto crcTable = makeCrcTable();

// The receiver keeps its register complemented; a good frame (check bytes
// included) leaves the residue 0x1D0F, i.e. 0xE2F0 complemented.
constexpr std::uint16_t crcResidueComplemented = 0xE2F0;

inline std::uint16_t crcStep(std::uint16_t reg, std::uint8_t byte)
{
    return static_cast<std::uint16_t>((reg << 8) ^ crcTable[((reg >> 8) ^ byte) & 0xFFU]);
}

inline bool needsEscape(std::uint8_t byte)
{
    return byte == frame::StartXor || byte == frame::StartCrc || byte == frame::End
        || byte == frame::Escape;
}

inline std::uint8_t* emitStuffed(std::uint8_t* out, std::uint8_t byte)
{
    if (needsEscape(byte))
        *out++ = frame::Escape;
    *out++ = byte;
    return out;
}

void report(FrameParser* parser, int code, RxSlot* slot)
{
    if (parser->sink != nullptr)
        parser->sink(code, parser->target, parser->value, slot);
}

void abandonFrame(FrameParser* parser)
{
    parser->current->release();
    ++parser->dataErrorCount;
    report(parser, 3, nullptr);
}

} // namespace

RxSlot* slotAt(void* pool, std::uint16_t slotDataSize, std::uint16_t index)
{
    auto* bytes = static_cast<std::uint8_t*>(pool);
    return std::launder(reinterpret_cast<RxSlot*>(bytes + std::size_t{index} * slotStride(slotDataSize)));
}

std::uint16_t crc16(const std::uint8_t* bytes, std::size_t length)
{
    std::uint16_t reg = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i)
        reg = crcStep(reg, bytes[i]);
    return static_cast<std::uint16_t>(reg ^ 0xFFFFU);
}

std::uint8_t xorSum(const std::uint8_t* bytes, std::size_t length)
{
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum ^= bytes[i];
    return sum;
}

int buildFrame(std::uint8_t* buffer, const std::uint8_t* payload, int payloadLength,
               std::uint8_t kind, std::uint8_t control, std::uint8_t sequence)
{
    std::uint8_t* out = buffer;
    *out++ = kind;
    if (kind != frame::StartXor && kind != frame::StartCrc)
        return 1;
    if (payloadLength < 0 || payload == nullptr)
        payloadLength = 0;
    if (payloadLength > frame::MaxPayload)
        payloadLength = frame::MaxPayload;

    std::uint8_t sum = 0;
    std::uint16_t reg = 0xFFFF;
    auto put = [&](std::uint8_t byte) {
        sum ^= byte;
        reg = crcStep(reg, byte);
        out = emitStuffed(out, byte);
    };
    put(control);
    put(sequence);
    for (int i = 0; i < payloadLength; ++i)
        put(payload[i]);

    if (kind == frame::StartXor) {
        out = emitStuffed(out, sum);
    } else {
        reg ^= 0xFFFFU;
        out = emitStuffed(out, static_cast<std::uint8_t>(reg >> 8));
        out = emitStuffed(out, static_cast<std::uint8_t>(reg & 0xFFU));
    }
    *out++ = frame::End;
    return static_cast<int>(out - buffer);
}

int payloadDataLength(const std::uint8_t* frameBytes, std::uint32_t frameLength)
{
    if (frameBytes == nullptr || frameLength <= 6)
        return 0;
    if (frameBytes[0] == frame::StartXor)
        return static_cast<int>(frameLength) - 8;
    if (frameBytes[0] == frame::StartCrc)
        return static_cast<int>(frameLength) - 9;
    return 0;
}

void initParser(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize,
                FrameParser* parser, QObject* target, int value)
{
    *parser = FrameParser{};
    parser->pool = pool;
    parser->slotCount = slotCount;
    parser->slotDataSize = slotDataSize;
    parser->target = target;
    parser->value = value;
    parser->sink = postComEvent;
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

void feedByte(std::uint8_t byte, FrameParser* p)
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
        p->xorSum = 0;
        p->crc = 0;
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
        const bool good = p->kind == frame::StartXor ? p->xorSum == 0
                                                     : p->crc == crcResidueComplemented;
        if (good) {
            slot->data()[p->position] = 0;
            slot->length = p->position;
            ++p->frameCount;
            slot->state.store(RxSlot::Complete, std::memory_order_release);
            report(p, 1, slot);
        } else {
            slot->release();
            ++p->checksumErrorCount;
            report(p, 2, nullptr);
        }
        return;
    }
    p->xorSum ^= byte;
    p->crc = static_cast<std::uint16_t>(~crcStep(static_cast<std::uint16_t>(~p->crc), byte));
    p->escaped = false;
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
