#pragma once

#include "app/serviceports.h"

class QKapsMsgIO;
class QObject;

// The parameter service's link: a message service while its owner is online.
// The window and tolvo-cli each hold one.
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
