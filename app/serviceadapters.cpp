#include "app/serviceadapters.h"

#include "history/viewhistory.h"
#include "params/viewparam.h"
#include "protocol/qkapsmsgio.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QSignalBlocker>
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

void WindowViews::setViews(ViewHistory* history, ViewParam* param)
{
    m_history = history;
    m_param = param;
}

bool WindowViews::sendHistoryWrite()
{
    return m_history->sendNextWrite();
}

int WindowViews::nextHistoryRead()
{
    const int id = m_history->nextRead();
    return id != -1 ? id : m_history->nextCyclicRead();
}

bool WindowViews::sendParamWrite()
{
    return m_param->sendNextWrite();
}

void WindowViews::resetHistoryQueues()
{
    m_history->resetQueues();
}

void WindowViews::prepareHistoryReadList()
{
    m_history->prepareReadList();
}

void WindowViews::historyParamValue(int id, const QByteArray& value)
{
    m_history->onParamValue(id, value.constData(), static_cast<int>(value.size()));
}

void WindowViews::setHistoryProgress(int percent)
{
    m_history->setProgress(percent);
}

void WindowViews::showHistoryProcessing()
{
    m_history->showProgress(false);
    m_history->showProcessing();
}

void WindowViews::historyData(const QByteArray& block)
{
    m_history->onHistoryData(block.constData(), static_cast<int>(block.size()));
}

void WindowViews::paramInfo(const QByteArray& record)
{
    m_param->onParamInfo(record.constData(), static_cast<int>(record.size()));
}

void WindowViews::showParamProgress(bool visible)
{
    m_param->setProgress(visible, false);
}

void WindowViews::setParamProgressMaximum(int maximum)
{
    m_param->progressBar()->setMaximum(maximum);
    m_param->progressBar()->setValue(0);
}

void WindowViews::stepParamProgress()
{
    QProgressBar* bar = m_param->progressBar();
    bar->setValue(bar->value() + 1);
}

void WindowViews::setParamFileName(const QString& name)
{
    m_param->setFileName(name);
}

// Quietly: unchecking must not start or stop anything.
void WindowViews::uncheckRefreshButtons()
{
    for (QCheckBox* box : {m_param->checkBoxAuto(), m_param->checkBoxCyclicRefresh()}) {
        const QSignalBlocker quiet(box);
        box->setChecked(false);
    }
}
