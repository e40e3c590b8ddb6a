#pragma once

#include "comm/comevents.h"
#include "protocol/frame/parser.h"
#include "tests/support/framehelpers.h"

#include <QList>
#include <QObject>
#include <QThread>

#include <algorithm>

namespace testsupport {

// One serial-layer event as its receiver saw it.
struct RecordedEvent {
    int type = 0;
    int value = 0;
    RxSlot* slot = nullptr;
    QByteArray frame;               // the slot's frame (1001 only)
    std::uint16_t slotState = 0;    // the slot's state on arrival (1001 only)
    bool onReceiverThread = false;  // delivered on the thread the receiver lives in
};

// Receives the posted events of the serial layer (1001..1007) like the
// protocol engine does: it reads a complete slot and frees it.
class EventRecorder : public QObject {
public:
    bool freeSlots = true;
    QList<RecordedEvent> events;

    int count(int type) const
    {
        return static_cast<int>(std::count_if(events.cbegin(), events.cend(),
                                               [type](const RecordedEvent& e) { return e.type == type; }));
    }
    QList<QByteArray> frames() const
    {
        QList<QByteArray> result;
        for (const RecordedEvent& e : events) {
            if (e.type == comevent::Receive)
                result.append(e.frame);
        }
        return result;
    }

protected:
    void customEvent(QEvent* event) override
    {
        RecordedEvent record;
        record.type = event->type();
        record.onReceiverThread = QThread::currentThread() == thread();
        if (record.type == comevent::Receive) {
            const auto* received = static_cast<ComReceiveEvent*>(event);
            record.value = received->value();
            record.slot = received->slot();
            record.slotState = record.slot->state.load(std::memory_order_acquire);
            record.frame = slotFrame(record.slot);
            if (freeSlots)
                record.slot->release();
        } else if (record.type > comevent::Receive && record.type <= comevent::CloseTimeout) {
            record.value = static_cast<ComErrorEvent*>(event)->value();
        }
        events.append(record);
    }
};

} // namespace testsupport
