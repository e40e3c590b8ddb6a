#pragma once

#include "app/serviceports.h"

class QKapsMsgIO;
class QObject;
class ViewHistory;
class ViewParam;

// The parameter service's link: the window's message service while the
// window is online.
class MessageServiceLink : public DeviceLink
{
public:
    MessageServiceLink(QKapsMsgIO& messageService, const bool& online)
        : m_messageService(messageService)
        , m_online(online)
    {
    }

    bool isOnline() const override { return m_online; }
    bool isUsable() const override;
    bool requestData(int first, int second) override;
    bool requestRecords(int number) override;
    bool writeParam(int id, const char* value, int length) override;

private:
    QKapsMsgIO& m_messageService;
    const bool& m_online;
};

// Single-shot timers whose work dies with the context object.
class TimerScheduler : public Scheduler
{
public:
    explicit TimerScheduler(QObject* context)
        : m_context(context)
    {
    }

    void schedule(int delayMs, std::function<void()> work) override;

private:
    QObject* m_context;
};

// The window's two views as the parameter service sees them.
class WindowViews : public ServiceViews
{
public:
    void setViews(ViewHistory* history, ViewParam* param);

    bool sendHistoryWrite() override;
    int nextHistoryRead() override;
    bool sendParamWrite() override;
    void resetHistoryQueues() override;
    void prepareHistoryReadList() override;
    void historyParamValue(int id, const QByteArray& value) override;
    void setHistoryProgress(int percent) override;
    void showHistoryProcessing() override;
    void historyData(const QByteArray& block) override;
    void paramInfo(const QByteArray& record) override;
    void showParamProgress(bool visible) override;
    void setParamProgressMaximum(int maximum) override;
    void stepParamProgress() override;
    void setParamFileName(const QString& name) override;
    void uncheckRefreshButtons() override;

private:
    ViewHistory* m_history = nullptr;
    ViewParam* m_param = nullptr;
};
