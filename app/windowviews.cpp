#include "app/windowviews.h"

#include "app/deviceservice.h"
#include "history/viewhistory.h"
#include "params/qorbpidman.h"
#include "params/viewparam.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QSignalBlocker>

// The model encodes no value that could not be sent.
static_assert(DeviceService::MaxValueBytes == QorbPIDMan::MaxValueBytes);

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

void WindowViews::historyTooLarge()
{
    m_history->onHistoryTooLarge();
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

void WindowViews::firmwareKnown()
{
    m_history->onFirmwareKnown();
}
