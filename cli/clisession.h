#pragma once

#include "cli/exitcode.h"
#include "cli/paramdescriptions.h"
#include "cli/wrenchclient.h"
#include "params/identityvalues.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// One run of tolvo-cli against the wrench, in the order the window talks to
// it: identification, the description download, the identity parameters
// (access level, history mode, device texts), then what the command wants.
// Any failure ends the run with its exit code and one line saying why.
class CliSession : public QObject
{
    Q_OBJECT

public:
    enum class Command { Identify, History, Get, Set };
    struct Request {
        Command command = Command::Identify;
        int portNumber = 0;
        int baudRate = 57600;
        int paramId = 0;
        QString value; // Set: the text to write
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

    explicit CliSession(WrenchClient& client, QObject* parent = nullptr);

    void start(const Request& request);
    const Result& result() const { return m_result; }

signals:
    void progress(int percent);
    void finished();

private:
    using Reply = WrenchClient::Reply;

    // Each step's answer either goes on or ends the run.
    bool failed(const Reply& reply, const QString& what);
    void fail(ExitCode code, const QString& error);
    void succeed();

    void readListHeader();
    void readDescriptions();
    void readIdentity(int index);
    void keepIdentity(int id, const QByteArray& value);
    void runCommand();
    void readHistory();
    void requestHistory();
    void readValue(int id);
    void writeValue();
    // Raises the access level as the window does on connecting, then goes on.
    void raiseAccessLevel(std::function<void()> then);

    bool atServiceLevel() const;
    const ParamRecord* describedOrFail(int id);

    WrenchClient& m_client;
    Request m_request;
    Result m_result;
    ParamDescriptions m_descriptions;
    QString m_accessLevel;
};
