#include "comm/comevents.h"

#include <QCoreApplication>

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
    QCoreApplication::postEvent(receiver, new QEvent(static_cast<QEvent::Type>(comevent::PortListChanged)));
}

void postComError(const ComEventTarget& target, int type)
{
    if (target.receiver != nullptr)
        QCoreApplication::postEvent(target.receiver, new ComErrorEvent(type, target.value));
}

void postParseReport(frame::ParseReport report, void* context, RxSlot* slot)
{
    const auto* target = static_cast<const ComEventTarget*>(context);
    if (target == nullptr || target->receiver == nullptr)
        return;
    if (report == frame::ParseReport::Frame)
        QCoreApplication::postEvent(target->receiver, new ComReceiveEvent(slot, target->value));
    else
        postComError(*target, comevent::Receive + static_cast<int>(report));
}
