#include "cli/clisession.h"

#include "app/portproblem.h"
#include "cli/clilog.h"
#include "comm/comevents.h"
#include "params/accesslevel.h"
#include "params/paramattr.h"
#include "params/paramids.h"
#include "protocol/frame/view.h"
#include "protocol/kapsmessage.h"
#include "protocol/toolconversation.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

const QString noAnswer = QStringLiteral("no answer from the wrench");

// The report as the window's box shows it, on one line.
QString reportLine(const QString& report)
{
    return QStringLiteral("error report, ")
        + report.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral(", "));
}

} // namespace

CliSession::CliSession(QObject* parent)
    : QObject(parent)
{
    toolconversation::identifyAsTool(m_engine);
    m_ticker.setInterval(DeviceService::TickMs);
    connect(&m_ticker, &QTimer::timeout, this, &CliSession::tick);
    connect(&m_service, &DeviceService::requestTimedOut, this, &CliSession::onRequestTimedOut);
    connect(&m_service, &DeviceService::setTimedOut, this,
            [this] { failWaiting(ExitCode::NoAnswer, noAnswer); });
    connect(&m_service, &DeviceService::transferTimedOut, this, [this] {
        if (m_step == Step::Describing || m_step == Step::Command)
            failWaiting(ExitCode::NoAnswer, noAnswer);
    });
    connect(&m_service, &DeviceService::wrenchRefused, this, &CliSession::onRefused);
    connect(&m_service, &DeviceService::parameterWritten, this, [this] {
        if (m_afterWrite)
            std::exchange(m_afterWrite, nullptr)();
    });
}

CliSession::~CliSession()
{
    close();
}

void CliSession::start(const Request& request)
{
    m_request = request;
    m_result = Result();
    m_engine.setDownloadDirectory(request.downloadDirectory);
    const int timeoutTicks = std::max(1, request.timeoutMs / DeviceService::TickMs);
    m_service.setTimeoutTicks(timeoutTicks);
    if (!m_engine.open(this, request.portNumber, request.baudRate)) {
        m_step = Step::Done;
        m_result.code = ExitCode::NoPort;
        const QString reason = portProblemText(m_engine.openError());
        m_result.error = QStringLiteral("the port cannot be opened");
        if (!reason.isEmpty())
            m_result.error += QStringLiteral(": ") + reason;
        emit finished();
        return;
    }
    m_online = true;
    m_step = Step::Identifying;
    m_waitingFor = QStringLiteral("identification");
    m_identifyTicksLeft = timeoutTicks;
    m_ticker.start();
}

void CliSession::tick()
{
    if (m_step == Step::Done || m_step == Step::Idle)
        return;
    m_service.tick();
    if (m_step == Step::Identifying && --m_identifyTicksLeft <= 0) {
        failWaiting(ExitCode::NoAnswer, noAnswer);
        return;
    }
    // The command waits until the last identity read has ended, whatever
    // way, as a Read in the window waits for them.
    if (m_step == Step::ReadingIdentity && !m_queues.readsPending() && m_service.requestTimeout() == 0)
        runCommand();
}

void CliSession::fail(ExitCode code, const QString& error)
{
    if (m_step == Step::Done)
        return;
    m_result.code = code;
    m_result.error = error;
    close();
    emit finished();
}

// The error line names what the run was waiting for.
void CliSession::failWaiting(ExitCode code, const QString& why)
{
    fail(code, m_waitingFor + QStringLiteral(": ") + why);
}

void CliSession::succeed()
{
    if (m_step == Step::Done)
        return;
    m_result.identity = m_service.identity();
    close();
    emit finished();
}

void CliSession::close()
{
    m_step = Step::Done;
    m_ticker.stop();
    m_afterWrite = nullptr;
    if (m_engine.isOpen()) {
        // A port that failed would only make the goodbye wait for its time-out.
        if (m_engine.connected() && !m_portFailed)
            toolconversation::sayGoodbye(m_engine);
        m_engine.close();
    }
    m_online = false;
    m_service.onLinkClosed();
}

void CliSession::customEvent(QEvent* event)
{
    switch (static_cast<int>(event->type())) {
    case comevent::Receive:
        if (auto* received = dynamic_cast<ComReceiveEvent*>(event); received && received->slot()) {
            RxSlot* slot = received->slot();
            if (slot->state.load(std::memory_order_acquire) == RxSlot::Complete) {
                const frame::View frame(slot->data(), slot->length);
                if (frame.isAck())
                    m_service.onAcknowledgeFrame(frame.hasMnemonic("VER"));
            }
            slot->release();
        }
        return;
    case comevent::ReadError:
        m_portFailed = true;
        failWaiting(ExitCode::NoPort, QStringLiteral("the port went away"));
        return;
    case comevent::WriteError:
        m_portFailed = true;
        failWaiting(ExitCode::NoPort, QStringLiteral("the port cannot be written"));
        return;
    case kaps::Acknowledge:
        m_service.onAcknowledgeAnnounced();
        return;
    default:
        break;
    }
    const auto* message = dynamic_cast<const KaPSMessage*>(event);
    if (message == nullptr)
        return;
    qCDebug(lcCli) << "message" << message->type() << message->value1 << message->value2 << message->progress;
    if (static_cast<int>(message->type()) == kaps::Identification)
        onIdentification(message->text);
    else
        m_service.handleMessage(*message);
}

void CliSession::onIdentification(const QString& text)
{
    if (m_step == Step::Done)
        return;
    // Another wrench on the port mid-run: nothing read so far may be mixed
    // with what it would answer.
    if (m_step != Step::Identifying && text != m_result.identification) {
        fail(ExitCode::Refused, QStringLiteral("another wrench answered on the port: %1").arg(text));
        return;
    }
    m_service.onIdentification(text);
    if (m_step != Step::Identifying)
        return;
    m_result.identification = text;
    m_step = Step::Describing;
    m_waitingFor = QStringLiteral("parameter descriptions");
}

// As in the window, an identity parameter that is not answered stays empty
// and the others are read on; anything else waited for ends the run.
void CliSession::onRequestTimedOut(int id)
{
    if (m_step == Step::Command && id == m_valueId)
        failWaiting(ExitCode::NoAnswer, noAnswer);
    else
        qCInfo(lcCli) << "parameter" << id << "not answered";
}

void CliSession::onRefused(const QString& report)
{
    if (m_step == Step::Command)
        failWaiting(ExitCode::Refused, reportLine(report));
    else
        qCInfo(lcCli) << "parameter" << m_service.lastRequestedId() << "refused:" << reportLine(report);
}

void CliSession::paramInfo(const QByteArray& record)
{
    if (!record.isEmpty()) {
        m_descriptions.add({record});
        return;
    }
    // The list's end: the service reads the identity parameters again, now
    // that they can be decoded.
    qCInfo(lcCli) << m_descriptions.count() << "parameter descriptions";
    if (m_step == Step::Describing) {
        m_step = Step::ReadingIdentity;
        m_waitingFor = QStringLiteral("identity parameters");
    }
}

void CliSession::prepareHistoryReadList()
{
    m_queues.setReadIds(QList<int>(std::begin(paramid::IdentityReads), std::end(paramid::IdentityReads)));
}

int CliSession::nextHistoryRead()
{
    return m_queues.nextRead();
}

void CliSession::historyParamValue(int id, const QByteArray& value)
{
    if (m_step == Step::Command && id == m_valueId) {
        const ParamRecord* description = m_descriptions.find(id);
        if (description == nullptr || !ParamDescriptions::format(*description, value, m_result.value)) {
            fail(ExitCode::Refused, QStringLiteral("parameter %1: the value is shorter than described").arg(id));
            return;
        }
        succeed();
        return;
    }
    keepIdentityText(id, value);
}

// Decoded by the descriptions, as the history page decodes them; an answer
// that came before its description cannot be, and is read again.
void CliSession::keepIdentityText(int id, const QByteArray& value)
{
    const ParamRecord* description = m_descriptions.find(id);
    QString text;
    if (description == nullptr || !ParamDescriptions::format(*description, value, text))
        return;
    const Result::IdentityText shown{id, description->name, text, description->unit};
    auto& texts = m_result.identityTexts;
    const auto known = std::find_if(texts.begin(), texts.end(), [id](const auto& item) { return item.id == id; });
    if (known != texts.end())
        *known = shown;
    else
        texts.append(shown);
    if (!paramattr::isScalar(description->attr))
        return;
    if (id == paramid::AccessLevel)
        m_accessLevel = text;
    else if (id == paramid::HistoryMode)
        m_service.setHistoryMode(text.toInt());
}

void CliSession::runCommand()
{
    m_step = Step::Command;
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

const ParamRecord* CliSession::describedOrFail(int id)
{
    const ParamRecord* description = m_descriptions.find(id);
    if (description == nullptr)
        fail(ExitCode::Refused, QStringLiteral("the wrench describes no parameter %1").arg(id));
    return description;
}

void CliSession::readHistory()
{
    switch (m_service.firmwareKind()) {
    case IdentityValues::FullVersion:
        break;
    case IdentityValues::BaseVersion:
        fail(ExitCode::Refused, QStringLiteral("a base version keeps no history to read"));
        return;
    default:
        fail(ExitCode::Refused,
             QStringLiteral("firmware version \"%1\" unknown, no readout").arg(m_service.firmwareVersion()));
        return;
    }
    // As the window's first Read of a connection: the 4-byte code whatever
    // the level, then the request.
    raiseAccessLevel([this] {
        write(paramid::AccessLevel, accesslevel::readoutCode(), QStringLiteral("access code"), [this] {
            m_waitingFor = QStringLiteral("history");
            if (!m_service.requestRecords(kaps::HistoryTransfer))
                failWaiting(ExitCode::NoPort, QStringLiteral("the request could not be sent"));
        });
    });
}

void CliSession::historyData(const QByteArray& block)
{
    m_result.history = block;
    succeed();
}

void CliSession::historyTooLarge()
{
    fail(ExitCode::Refused, QStringLiteral("history: the wrench holds more history than the tool accepts"));
}

void CliSession::readValue(int id)
{
    m_valueId = id;
    m_waitingFor = QStringLiteral("parameter %1").arg(id);
    m_queues.setReadIds({id});
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
    if (value.size() > DeviceService::MaxValueBytes) {
        fail(ExitCode::Usage, QStringLiteral("parameter %1: %2 bytes, more than one frame carries (%3)")
                                  .arg(id)
                                  .arg(value.size())
                                  .arg(DeviceService::MaxValueBytes));
        return;
    }
    raiseAccessLevel([this, id, value] {
        write(id, value, QStringLiteral("parameter %1").arg(id), [this, id] { readValue(id); });
    });
}

void CliSession::write(int id, const QByteArray& value, const QString& what, std::function<void()> then)
{
    m_waitingFor = what;
    m_writeId = id;
    m_writeValue = value;
    m_writeQueued = true;
    m_afterWrite = std::move(then);
}

bool CliSession::sendHistoryWrite()
{
    if (!m_writeQueued)
        return false;
    m_writeQueued = false;
    if (!m_service.setParam(m_writeId, m_writeValue.constData(), static_cast<int>(m_writeValue.size()), false))
        failWaiting(ExitCode::NoPort, QStringLiteral("the value could not be sent"));
    return true;
}

void CliSession::raiseAccessLevel(std::function<void()> then)
{
    // The text code, encoded by the access parameter's own description.
    const ParamRecord* access = m_descriptions.find(paramid::AccessLevel);
    QByteArray code;
    QString error;
    if (accesslevel::isServiceLevel(m_accessLevel) || access == nullptr
        || !ParamDescriptions::encode(*access, accesslevel::textCode(), code, error)) {
        then();
        return;
    }
    write(paramid::AccessLevel, code, QStringLiteral("access code"), std::move(then));
}
