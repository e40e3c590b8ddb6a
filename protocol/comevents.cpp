#include "protocol/comevents.h"

#include <QCoreApplication>

ComReceiveEvent::ComReceiveEvent(RxSlot* slot, int value)
    : QEvent(static_cast<QEvent::Type>(comevent::Receive)), m_slot(slot), m_value(value)
{
}

ComErrorEvent::ComErrorEvent(int type, int value)
    : QEvent(static_cast<QEvent::Type>(type)), m_value(value)
{
}

void postComEvent(int code, QObject* target, int value, RxSlot* slot)
{
    if (target == nullptr)
        return;
    if (code == 1)
        QCoreApplication::postEvent(target, new ComReceiveEvent(slot, value));
    else
        QCoreApplication::postEvent(target, new ComErrorEvent(QEvent::User + code, value));
}
