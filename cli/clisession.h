#pragma once

#include "app/deviceservice.h"
#include "app/servicelink.h"
#include "cli/exitcode.h"
#include "cli/paramdescriptions.h"
#include "params/identityvalues.h"
#include "params/paramqueues.h"
#include "protocol/qkapsmsgio.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// One run of tolvo-cli against the wrench. It drives the window's parameter
// service in place of the window's views, so that it talks to the wrench
// exactly as the window does: identification, the description download, the
// identity parameters (access level, history mode, device texts), then what
// the command wants, one exchange after the other. Any failure ends the run
// with its exit code and one line saying why.
class CliSession : public QObject, private ServiceViews
{
    Q_OBJECT

public:
    enum class Command { Identify, History, Get, Set };
    struct Request {
        Command command = Command::Identify;
        int portNumber = 0;
        int baudRate = 57600;
        // The longest wait for the identification, a value, a write, or the
        // next message of a download.
        int timeoutMs = 5000;
        int paramId = 0;
        QString value; // Set: the text to write
        // Where files that the wrench sends are written; none: refused.
        QString downloadDirectory;
    };
    struct Result {
        ExitCode code = ExitCode::Ok;
        QString error;
        QString identification;
        IdentityValues identity;
        // The identity parameters as their descriptions show them, by ID.
        struct IdentityText {
            int id = 0;
            QString name;
            QString value;
            QString unit;
        };
        QList<IdentityText> identityTexts;
        QByteArray history;
        QString value; // Get, Set: the value read (back)
    };

    explicit CliSession(QObject* parent = nullptr);
    ~CliSession() override;

    void start(const Request& request);
    const Result& result() const { return m_result; }
    // One step of the service's clock, every DeviceService::TickMs.
    void tick();

signals:
    void progress(int percent);
    void finished();

protected:
    void customEvent(QEvent* event) override;

private:
    enum class Step { Idle, Identifying, Describing, ReadingIdentity, Command, Done };

    void fail(ExitCode code, const QString& error);
    void failWaiting(ExitCode code, const QString& why);
    void succeed();
    void close();
    void onIdentification(const QString& text);
    void onRequestTimedOut(int id);
    void onRefused(const QString& report);
    void keepIdentityText(int id, const QByteArray& value);

    void runCommand();
    void readHistory();
    void readValue(int id);
    void writeValue();
    // Sent by the service's tick, which serves writes before reads; then
    // follows once the wrench has acknowledged it.
    void write(int id, const QByteArray& value, const QString& what, std::function<void()> then);
    // Raises the access level as the window does on connecting, then goes on.
    void raiseAccessLevel(std::function<void()> then);
    const ParamRecord* describedOrFail(int id);

    // The service's views.
    bool sendHistoryWrite() override;
    int nextHistoryRead() override;
    bool sendParamWrite() override { return false; }
    void resetHistoryQueues() override { m_queues.reset(); }
    void prepareHistoryReadList() override;
    void historyParamValue(int id, const QByteArray& value) override;
    void setHistoryProgress(int percent) override { emit progress(percent); }
    void showHistoryProcessing() override {}
    void historyData(const QByteArray& block) override;
    void historyTooLarge() override;
    void paramInfo(const QByteArray& record) override;
    void showParamProgress(bool) override {}
    void setParamProgressMaximum(int) override {}
    void stepParamProgress() override {}
    void setParamFileName(const QString&) override {}
    void uncheckRefreshButtons() override {}
    void firmwareKnown() override {}

    Request m_request;
    Result m_result;
    Step m_step = Step::Idle;
    // What the run waits for now, for the error line.
    QString m_waitingFor;
    int m_identifyTicksLeft = 0;

    QKapsMsgIO m_engine;
    bool m_online = false;
    // The port reported a read or write failure.
    bool m_portFailed = false;
    MessageServiceLink m_link{m_engine, m_online};
    TimerScheduler m_scheduler{this};
    DeviceService m_service{m_link, *this, m_scheduler};
    QTimer m_ticker;

    ParamQueues m_queues;
    ParamDescriptions m_descriptions;
    QString m_accessLevel;
    // The write the tick sends next, and what follows its acknowledge.
    int m_writeId = 0;
    QByteArray m_writeValue;
    bool m_writeQueued = false;
    std::function<void()> m_afterWrite;
    // Get and Set: the value awaited.
    int m_valueId = 0;
};
