#include "cli/clisession.h"

#include "cli/clilog.h"
#include "params/accesslevel.h"
#include "params/paramattr.h"
#include "params/paramids.h"
#include "protocol/kapsmessage.h"

#include <iterator>

CliSession::CliSession(WrenchClient& client, QObject* parent)
    : QObject(parent)
    , m_client(client)
{
}

void CliSession::start(const Request& request)
{
    m_request = request;
    m_result = Result();
    const bool opened = m_client.open(request.portNumber, request.baudRate, [this](const Reply& reply) {
        if (failed(reply, QStringLiteral("identification")))
            return;
        m_result.identification = reply.text;
        readListHeader();
    });
    if (!opened)
        fail(ExitCode::NoPort, QStringLiteral("the port cannot be opened"));
}

bool CliSession::failed(const Reply& reply, const QString& what)
{
    switch (reply.outcome) {
    case WrenchClient::Outcome::Answered:
        return false;
    case WrenchClient::Outcome::TimedOut:
        fail(ExitCode::NoAnswer, what + QStringLiteral(": ") + reply.text);
        return true;
    case WrenchClient::Outcome::Refused:
        fail(ExitCode::Refused, what + QStringLiteral(": ") + reply.text);
        return true;
    case WrenchClient::Outcome::PortLost:
        fail(ExitCode::NoPort, what + QStringLiteral(": ") + reply.text);
        return true;
    }
    return true;
}

void CliSession::fail(ExitCode code, const QString& error)
{
    m_result.code = code;
    m_result.error = error;
    m_client.close();
    emit finished();
}

void CliSession::succeed()
{
    m_client.close();
    emit finished();
}

// The header announces the list; the list itself comes as one download per
// description.
void CliSession::readListHeader()
{
    m_client.readParam(paramid::ListHeader, [this](const Reply& reply) {
        if (!failed(reply, QStringLiteral("parameter list")))
            readDescriptions();
    });
}

void CliSession::readDescriptions()
{
    m_client.readRecords(kaps::DescriptionList, nullptr, [this](const Reply& reply) {
        if (failed(reply, QStringLiteral("parameter descriptions")))
            return;
        m_descriptions.add(reply.blocks);
        qCInfo(lcCli) << m_descriptions.count() << "parameter descriptions";
        readIdentity(0);
    });
}

// As in the window, a refused identity parameter leaves its value unread and
// the others are read on.
void CliSession::readIdentity(int index)
{
    if (index == static_cast<int>(std::size(paramid::IdentityReads))) {
        runCommand();
        return;
    }
    const int id = paramid::IdentityReads[index];
    m_client.readParam(id, [this, id, index](const Reply& reply) {
        if (reply.outcome == WrenchClient::Outcome::Refused)
            qCInfo(lcCli) << "parameter" << id << "refused:" << reply.text;
        else if (failed(reply, QStringLiteral("parameter %1").arg(id)))
            return;
        else
            keepIdentity(id, reply.bytes);
        readIdentity(index + 1);
    });
}

void CliSession::keepIdentity(int id, const QByteArray& value)
{
    m_result.identity.take(id, value);
    const ParamRecord* description = m_descriptions.find(id);
    QString text;
    if (description == nullptr || !ParamDescriptions::format(*description, value, text))
        return;
    m_result.identityTexts.append({id, description->name, text, description->unit});
    if (!paramattr::isScalar(description->attr))
        return;
    // The history page takes both from the described values.
    if (id == paramid::AccessLevel)
        m_accessLevel = text;
    else if (id == paramid::HistoryMode)
        m_result.identity.historyMode = text.toInt();
}

void CliSession::runCommand()
{
    switch (m_request.command) {
    case Command::Identify:
        succeed();
        return;
    case Command::History:
        readHistory();
        return;
    case Command::Get:
        if (describedOrFail(m_request.paramId) != nullptr)
            readValue(m_request.paramId);
        return;
    case Command::Set:
        writeValue();
        return;
    }
}

bool CliSession::atServiceLevel() const
{
    return accesslevel::isServiceLevel(m_accessLevel);
}

const ParamRecord* CliSession::describedOrFail(int id)
{
    const ParamRecord* description = m_descriptions.find(id);
    if (description == nullptr)
        fail(ExitCode::Refused, QStringLiteral("the wrench describes no parameter %1").arg(id));
    return description;
}

void CliSession::readHistory()
{
    switch (m_result.identity.firmwareKind) {
    case IdentityValues::FullVersion:
        break;
    case IdentityValues::BaseVersion:
        fail(ExitCode::Refused, QStringLiteral("a base version keeps no history to read"));
        return;
    default:
        fail(ExitCode::Refused,
             QStringLiteral("firmware version \"%1\" unknown, no readout").arg(m_result.identity.firmwareVersion));
        return;
    }
    // As the window's first Read of a connection: the 4-byte code whatever
    // the level, then the request.
    raiseAccessLevel([this] {
        m_client.writeParam(paramid::AccessLevel, accesslevel::readoutCode(), [this](const Reply& reply) {
            if (!failed(reply, QStringLiteral("access code")))
                requestHistory();
        });
    });
}

void CliSession::requestHistory()
{
    m_client.readRecords(
        kaps::HistoryTransfer, [this](int percent) { emit progress(percent); },
        [this](const Reply& reply) {
            if (failed(reply, QStringLiteral("history")))
                return;
            m_result.history = reply.bytes;
            succeed();
        });
}

void CliSession::readValue(int id)
{
    m_client.readParam(id, [this, id](const Reply& reply) {
        if (failed(reply, QStringLiteral("parameter %1").arg(id)))
            return;
        if (!ParamDescriptions::format(*m_descriptions.find(id), reply.bytes, m_result.value)) {
            fail(ExitCode::Refused, QStringLiteral("parameter %1: the value is shorter than described").arg(id));
            return;
        }
        succeed();
    });
}

void CliSession::writeValue()
{
    const int id = m_request.paramId;
    const ParamRecord* description = describedOrFail(id);
    if (description == nullptr)
        return;
    QByteArray value;
    QString error;
    if (!ParamDescriptions::encode(*description, m_request.value, value, error)) {
        fail(ExitCode::Usage, error);
        return;
    }
    raiseAccessLevel([this, id, value] {
        m_client.writeParam(id, value, [this, id](const Reply& reply) {
            if (!failed(reply, QStringLiteral("parameter %1").arg(id)))
                readValue(id);
        });
    });
}

void CliSession::raiseAccessLevel(std::function<void()> then)
{
    // The text code, encoded by the access parameter's own description.
    const ParamRecord* access = m_descriptions.find(paramid::AccessLevel);
    QByteArray code;
    QString error;
    if (atServiceLevel() || access == nullptr
        || !ParamDescriptions::encode(*access, accesslevel::textCode(), code, error)) {
        then();
        return;
    }
    m_client.writeParam(paramid::AccessLevel, code, [this, then](const Reply& reply) {
        if (!failed(reply, QStringLiteral("access code")))
            then();
    });
}
