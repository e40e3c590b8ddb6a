#pragma once

#include "comm/comevents.h"
#include "protocol/frame/parser.h"
#include "protocol/kapsmessage.h"
#include "tests/support/framehelpers.h"

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace testsupport {

// One posted event as its receiver saw it.
struct RecordedEvent {
    int type = 0;
    int value = 0;                  // the serial events' tag
    RxSlot* slot = nullptr;
    QByteArray frame;               // the slot's frame (1001 only)
    std::uint16_t slotState = 0;    // the slot's state on arrival (1001 only)
    bool onReceiverThread = false;  // delivered on the thread the receiver lives in
    // A protocol result's (1150..1164) numbers, text and bytes.
    int value1 = 0;
    int value2 = 0;
    int progress = 0;
    QByteArray bytes;
    QString text;
};

// Receives the posted events of the serial layer (1001..1007) like the
// protocol engine does, reading a complete slot and freeing it, and the
// protocol results like the main window does.
class EventRecorder : public QObject {
public:
    bool freeSlots = true;
    QList<RecordedEvent> events;

    QList<RecordedEvent> ofType(int type) const
    {
        QList<RecordedEvent> found;
        std::copy_if(events.cbegin(), events.cend(), std::back_inserter(found),
                     [type](const RecordedEvent& e) { return e.type == type; });
        return found;
    }
    int count(int type) const { return static_cast<int>(ofType(type).size()); }
    QList<QByteArray> frames() const
    {
        QList<QByteArray> result;
        for (const RecordedEvent& e : ofType(comevent::Receive))
            result.append(e.frame);
        return result;
    }
    // Runs an event loop until count events of the type have arrived (true)
    // or timeoutMs have passed (false); it answers every frame as it comes.
    bool waitFor(int type, int wanted, int timeoutMs)
    {
        if (count(type) >= wanted)
            return true;
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        m_loop = &loop;
        m_awaitedType = type;
        m_awaitedCount = wanted;
        loop.exec();
        m_loop = nullptr;
        return count(type) >= wanted;
    }

protected:
    void customEvent(QEvent* event) override
    {
        RecordedEvent record;
        record.type = event->type();
        record.onReceiverThread = QThread::currentThread() == thread();
        if (auto* received = dynamic_cast<ComReceiveEvent*>(event)) {
            record.value = received->value();
            record.slot = received->slot();
            record.slotState = record.slot->state.load(std::memory_order_acquire);
            record.frame = slotFrame(record.slot);
            if (freeSlots)
                record.slot->release();
        } else if (auto* error = dynamic_cast<ComErrorEvent*>(event)) {
            record.value = error->value();
        } else if (auto* message = dynamic_cast<KaPSMessage*>(event)) {
            record.value1 = message->value1;
            record.value2 = message->value2;
            record.progress = message->progress;
            record.bytes = message->bytes();
            record.text = message->text;
        }
        events.append(record);
        if (m_loop != nullptr && record.type == m_awaitedType && count(m_awaitedType) >= m_awaitedCount)
            m_loop->quit();
    }

private:
    QEventLoop* m_loop = nullptr;
    int m_awaitedType = 0;
    int m_awaitedCount = 0;
};

} // namespace testsupport
