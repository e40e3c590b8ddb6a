// Arbitrary byte streams into the receive parser over a small guarded pool.
// The first bytes choose the pool shape and when the consumer frees slots or
// an overrun discards the open frame. After every byte the slot states must
// be consistent and nothing may be written outside the pool; a complete slot
// must hold a valid frame when it is reported, when it is freed and at the end.

#include "protocol/frame/parser.h"

#include "tests/support/guardedpool.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Stands in for the posted events: a reported slot must be complete and valid.
struct Reports {
    std::uint16_t slotDataSize = 0;
};
Reports reports;

void checkReport(frame::ParseReport report, void*, RxSlot* slot)
{
    const bool isFrame = report == frame::ParseReport::Frame;
    if (report == frame::ParseReport::Overrun)
        fail("the parser reports no overrun");
    if (isFrame != (slot != nullptr))
        fail("slot on the wrong report");
    if (isFrame && (slot->state.load() != RxSlot::Complete || !testsupport::completeSlotIsValid(slot, reports.slotDataSize)))
        fail("reported frame is not complete and valid");
}

void checkPool(testsupport::GuardedPool& pool, const FrameParser& parser)
{
    int filling = 0;
    for (std::uint16_t i = 0; i < pool.slotCount(); ++i) {
        RxSlot* slot = pool.slot(i);
        switch (slot->state.load()) {
        case RxSlot::Free:
            break;
        case RxSlot::Filling:
            if (parser.waitingForStart || slot != parser.current)
                fail("a filling slot that is not the open frame's");
            ++filling;
            break;
        case RxSlot::Complete:
            break;
        default:
            fail("slot state outside 0..2");
        }
    }
    if (filling > 1)
        fail("more than one slot filling");
    if (!parser.waitingForStart && (parser.current == nullptr || parser.current->state.load() != RxSlot::Filling))
        fail("open frame without its slot");
    if (parser.position > pool.slotDataSize())
        fail("write position beyond the slot");
    if (!pool.guardsIntact())
        fail("write outside the pool");
}

void checkCompleteSlots(testsupport::GuardedPool& pool, bool release)
{
    for (std::uint16_t i = 0; i < pool.slotCount(); ++i) {
        RxSlot* slot = pool.slot(i);
        if (slot->state.load() != RxSlot::Complete)
            continue;
        if (!testsupport::completeSlotIsValid(slot, pool.slotDataSize()))
            fail("complete slot without a valid frame");
        if (release)
            slot->release();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const auto slotCount = static_cast<std::uint16_t>(1 + data[0] % 4);
    const auto slotDataSize = static_cast<std::uint16_t>(data[1] < 8 ? 1033 : 2 + data[1] % 48);
    const unsigned actionMask = data[2];
    data += 3;
    size -= 3;

    testsupport::GuardedPool pool(slotCount, slotDataSize);
    FrameParser parser;
    initParser(pool.pool(), slotCount, slotDataSize, &parser, checkReport, nullptr);
    reports.slotDataSize = slotDataSize;

    unsigned lcg = actionMask * 2654435761U + 1;
    for (std::size_t i = 0; i < size; ++i) {
        feedByte(data[i], &parser);
        checkPool(pool, parser);

        lcg = lcg * 1103515245U + 12345U;
        const unsigned roll = (lcg >> 16) & 0x3F;
        if ((actionMask & 1U) != 0 && roll == 0)
            discardOpenFrame(&parser);
        if ((actionMask & 2U) != 0 && roll < 8)
            checkCompleteSlots(pool, true);
        checkPool(pool, parser);
    }
    checkCompleteSlots(pool, false);
    return 0;
}
