#include "app/servicelink.h"

#include "protocol/qkapsmsgio.h"

#include <QTimer>

// After a lost port or a write failure the window stays online with the port
// closed: nothing may then pretend to reach the wrench.
bool MessageServiceLink::isUsable() const
{
    return m_online && m_messageService.isOpen() && m_messageService.connected();
}

bool MessageServiceLink::requestData(int first, int second)
{
    return m_messageService.requestData(first, second);
}

bool MessageServiceLink::requestRecords(int number)
{
    return m_messageService.requestRecords(number);
}

bool MessageServiceLink::writeParam(int id, const char* value, int length)
{
    return m_messageService.sendCommand("DSP", value, id, length, true);
}

void TimerScheduler::schedule(int delayMs, std::function<void()> work)
{
    if (delayMs == 0)
        QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
    else
        QTimer::singleShot(delayMs, m_context, std::move(work));
}
