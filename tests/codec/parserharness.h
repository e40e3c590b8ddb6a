#pragma once

#include "protocol/frame/parser.h"
#include "tests/support/framehelpers.h"
#include "tests/support/guardedpool.h"

#include <QByteArray>
#include <QList>
#include <QObject>

// A parser over a guarded pool whose reports are recorded in place of posted
// events, with the copy of every completed frame. Codes count as the event
// types do: 1 frame, 2 check failed, 3 abandoned.
struct SinkReport {
    int code = 0;
    void* context = nullptr;
    RxSlot* slot = nullptr;
    QByteArray frame;
};

class ParserHarness : public QObject {
public:
    ParserHarness(std::uint16_t slotCount, std::uint16_t slotDataSize) : pool(slotCount, slotDataSize)
    {
        initParser(pool.pool(), slotCount, slotDataSize, &parser, &ParserHarness::record, this);
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
    static void record(frame::ParseReport what, void* context, RxSlot* slot)
    {
        SinkReport report{static_cast<int>(what) + 1, context, slot, {}};
        if (slot != nullptr)
            report.frame = testsupport::slotFrame(slot);
        static_cast<ParserHarness*>(context)->reports.append(report);
    }
};
