#pragma once

#include "protocol/frame.h"
#include "tests/support/framehelpers.h"
#include "tests/support/guardedpool.h"

#include <QByteArray>
#include <QList>
#include <QObject>

// A parser over a guarded pool whose reports are recorded in place of posted
// events, with the copy of every completed frame.
struct SinkReport {
    int code = 0;
    int value = 0;
    RxSlot* slot = nullptr;
    QByteArray frame;
};

class ParserHarness : public QObject {
public:
    static constexpr int Tag = 42;

    ParserHarness(std::uint16_t slotCount, std::uint16_t slotDataSize) : pool(slotCount, slotDataSize)
    {
        initParser(pool.pool(), slotCount, slotDataSize, &parser, this, Tag);
        parser.sink = &ParserHarness::record;
    }

    void feed(const QByteArray& bytes)
    {
        for (const char byte : bytes)
            feedByte(static_cast<std::uint8_t>(byte), &parser);
    }

    QList<int> codes() const
    {
        QList<int> result;
        for (const SinkReport& report : reports)
            result.append(report.code);
        return result;
    }

    int slotsInState(std::uint16_t state)
    {
        int count = 0;
        for (std::uint16_t i = 0; i < pool.slotCount(); ++i)
            count += pool.slot(i)->state.load() == state ? 1 : 0;
        return count;
    }

    testsupport::GuardedPool pool;
    FrameParser parser;
    QList<SinkReport> reports;

private:
    static void record(int code, QObject* target, int value, RxSlot* slot)
    {
        SinkReport report{code, value, slot, {}};
        if (slot != nullptr)
            report.frame = testsupport::slotFrame(slot);
        static_cast<ParserHarness*>(target)->reports.append(report);
    }
};
