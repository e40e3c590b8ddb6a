#include "comm/comevents.h"

#include <QCoreApplication>

namespace {

// The other threads reach Qt's event queues only through here. The queue's
// mutex is invisible to the thread sanitizer, and a frame of our own between
// the posting function and Qt keeps that function's name on the sanitizer's
// stack, where its suppressions look for it.
[[gnu::noinline]] void postFromThread(QObject* receiver, QEvent* event)
{
    QCoreApplication::postEvent(receiver, event);
}

} // namespace

ComReceiveEvent::ComReceiveEvent(RxSlot* slot, int value)
    : QEvent(static_cast<QEvent::Type>(comevent::Receive)), m_slot(slot), m_value(value)
{
}

ComErrorEvent::ComErrorEvent(int type, int value)
    : QEvent(static_cast<QEvent::Type>(type)), m_value(value)
{
}

void postPortListChanged(QObject* receiver)
{
    postFromThread(receiver, new QEvent(static_cast<QEvent::Type>(comevent::PortListChanged)));
}

void postComError(const ComEventTarget& target, int type)
{
    if (target.receiver != nullptr)
        postFromThread(target.receiver, new ComErrorEvent(type, target.value));
}

void postParseReport(frame::ParseReport report, void* context, RxSlot* slot)
{
    const auto* target = static_cast<const ComEventTarget*>(context);
    if (target == nullptr || target->receiver == nullptr)
        return;
    if (report == frame::ParseReport::Frame)
        postFromThread(target->receiver, new ComReceiveEvent(slot, target->value));
    else
        postComError(*target, comevent::Receive + static_cast<int>(report));
}
