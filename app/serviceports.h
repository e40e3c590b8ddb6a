#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// What the parameter service needs around it, each part small enough to be
// played by a test: the link to the wrench, the two device views, and time.

class DeviceLink
{
public:
    virtual ~DeviceLink() = default;

    // The user has connected the wrench.
    virtual bool isOnline() const = 0;
    // Online, port open, and the wrench has answered the identification.
    virtual bool isUsable() const = 0;
    virtual bool requestData(int first, int second) = 0;
    virtual bool requestRecords(int number) = 0;
    virtual bool writeParam(int id, const char* value, int length) = 0;
};

class ServiceViews
{
public:
    virtual ~ServiceViews() = default;

    // Queued work, the history view's before the parameter view's.
    virtual bool sendHistoryWrite() = 0;
    // The history view's next read-once ID, else its next cyclic one; -1 for none.
    virtual int nextHistoryRead() = 0;
    virtual bool sendParamWrite() = 0;
    virtual void resetHistoryQueues() = 0;
    virtual void prepareHistoryReadList() = 0;

    // The history readout.
    virtual void historyParamValue(int id, const QByteArray& value) = 0;
    virtual void setHistoryProgress(int percent) = 0;
    // The last block is in: the progress goes, the processing note comes.
    virtual void showHistoryProcessing() = 0;
    virtual void historyData(const QByteArray& block) = 0;
    // The announced history was more than the message service accepts.
    virtual void historyTooLarge() = 0;

    // The parameter view: an empty record ends the description list.
    virtual void paramInfo(const QByteArray& record) = 0;
    // Shown or hidden, and reset.
    virtual void showParamProgress(bool visible) = 0;
    virtual void setParamProgressMaximum(int maximum) = 0;
    virtual void stepParamProgress() = 0;
    virtual void setParamFileName(const QString& name) = 0;
    virtual void uncheckRefreshButtons() = 0;
    // The firmware kind of this conversation is known now: parameter 101
    // was answered, or its read failed (then the kind is "unknown").
    virtual void firmwareKnown() = 0;
};

class Scheduler
{
public:
    virtual ~Scheduler() = default;

    // Runs work once on this thread, delayMs later; with 0, after the events
    // already posted.
    virtual void schedule(int delayMs, std::function<void()> work) = 0;
};
