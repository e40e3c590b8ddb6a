#include "cli/wrenchclient.h"

#include "cli/clilog.h"
#include "comm/comevents.h"
#include "history/historyprogress.h"
#include "protocol/kapsmessage.h"
#include "protocol/toolconversation.h"

#include <QStringList>

#include <algorithm>
#include <utility>

WrenchClient::WrenchClient(int timeoutMs, QObject* parent)
    : QObject(parent)
    , m_timeoutTicks(std::max(1, timeoutMs / TickMs))
{
    toolconversation::identifyAsTool(m_engine);
    m_ticker.setInterval(TickMs);
    connect(&m_ticker, &QTimer::timeout, this, &WrenchClient::tick);
}

WrenchClient::~WrenchClient()
{
    close();
}

bool WrenchClient::open(int portNumber, int baudRate, Done identified)
{
    if (!m_engine.open(this, portNumber, baudRate))
        return false;
    begin(Pending::Identification, std::move(identified), true);
    return true;
}

void WrenchClient::close()
{
    m_pending = Pending::None;
    m_done = nullptr;
    m_ticker.stop();
    if (!m_engine.isOpen())
        return;
    if (m_engine.connected())
        toolconversation::sayGoodbye(m_engine);
    m_engine.close();
}

void WrenchClient::readParam(int id, Done done)
{
    m_id = id;
    begin(Pending::Read, std::move(done), m_engine.requestData(id, 1));
}

void WrenchClient::writeParam(int id, const QByteArray& value, Done done)
{
    begin(Pending::Write, std::move(done),
          m_engine.sendCommand("DSP", value.constData(), id, static_cast<int>(value.size()), true));
}

void WrenchClient::readRecords(int number, Progress progress, Done done)
{
    m_transfer = number;
    m_currentTransfer = -1;
    m_totalRecords = 0;
    m_listEnding = false;
    m_blocks.clear();
    m_progress = std::move(progress);
    begin(Pending::Records, std::move(done), m_engine.requestRecords(number));
}

void WrenchClient::begin(Pending pending, Done done, bool sent)
{
    m_pending = pending;
    m_done = std::move(done);
    if (!sent) {
        fail(Outcome::PortLost, QStringLiteral("the request could not be sent"));
        return;
    }
    restartTimeout();
}

void WrenchClient::restartTimeout()
{
    m_ticksLeft = m_timeoutTicks;
    m_ticker.start();
}

void WrenchClient::tick()
{
    if (m_pending != Pending::None && --m_ticksLeft <= 0)
        fail(Outcome::TimedOut, QStringLiteral("no answer from the wrench"));
}

void WrenchClient::fail(Outcome outcome, const QString& text)
{
    Reply reply;
    reply.outcome = outcome;
    reply.text = text;
    finish(std::move(reply));
}

void WrenchClient::finish(Reply reply)
{
    if (m_pending == Pending::None)
        return;
    m_pending = Pending::None;
    m_ticker.stop();
    m_progress = nullptr;
    // The answer may start the next exchange.
    const Done done = std::exchange(m_done, nullptr);
    if (done)
        done(reply);
}

void WrenchClient::customEvent(QEvent* event)
{
    switch (static_cast<int>(event->type())) {
    case comevent::Receive:
        // Nothing in a frame is needed beyond the messages made of it.
        if (auto* received = dynamic_cast<ComReceiveEvent*>(event); received && received->slot())
            received->slot()->release();
        return;
    case comevent::ReadError:
        fail(Outcome::PortLost, QStringLiteral("the port went away"));
        return;
    case comevent::WriteError:
        fail(Outcome::PortLost, QStringLiteral("the port cannot be written"));
        return;
    default:
        if (const auto* message = dynamic_cast<const KaPSMessage*>(event))
            onMessage(*message);
        return;
    }
}

void WrenchClient::onMessage(const KaPSMessage& message)
{
    const int type = static_cast<int>(message.type());
    qCDebug(lcCli) << "message" << type << message.value1 << message.value2 << message.progress;
    switch (type) {
    case kaps::Identification:
        if (m_pending == Pending::Identification)
            finish(Reply{Outcome::Answered, {}, {}, message.text});
        return;
    case kaps::Acknowledge:
        if (m_pending == Pending::Write)
            finish(Reply{});
        return;
    case kaps::ErrorReport:
        if (m_pending != Pending::Identification)
            fail(Outcome::Refused, errorReportText(message));
        return;
    case kaps::ParamValue:
        if (m_pending == Pending::Read && message.value1 == m_id)
            finish(Reply{Outcome::Answered, message.bytes(), {}, {}});
        return;
    default:
        break;
    }
    if (m_pending != Pending::Records)
        return;
    restartTimeout();
    if (type == kaps::TransferStart)
        onTransferStart(message.value1, message.value2);
    else if (type == kaps::Progress && m_progress && m_currentTransfer == kaps::HistoryTransfer && m_totalRecords != 0)
        m_progress(static_cast<int>(historyprogress::percent(message.progress, m_totalRecords)));
    else if (type == kaps::TransferEnd)
        onTransferEnd(message.bytes());
}

void WrenchClient::onTransferStart(int number, int size)
{
    m_currentTransfer = number;
    if (m_transfer == kaps::HistoryTransfer && number == kaps::HistoryTransfer) {
        if (size == kaps::RefusedSize)
            fail(Outcome::Refused, QStringLiteral("the wrench holds more history than the tool accepts"));
        else
            m_totalRecords = historyprogress::recordsIn(size);
    } else if (m_transfer == kaps::DescriptionList && number == kaps::ListEndTransfer) {
        m_listEnding = true;
    }
}

void WrenchClient::onTransferEnd(const QByteArray& block)
{
    if (m_transfer == kaps::HistoryTransfer) {
        if (m_currentTransfer == kaps::HistoryTransfer)
            finish(Reply{Outcome::Answered, block, {}, {}});
    } else if (m_listEnding) {
        finish(Reply{Outcome::Answered, {}, m_blocks, {}});
    } else if (m_currentTransfer == m_transfer && !block.isEmpty()) {
        m_blocks.append(block);
    }
}

// One line: the numbers, then what the report or its code says.
QString WrenchClient::errorReportText(const KaPSMessage& message)
{
    const auto groupAndCode = static_cast<std::uint32_t>(message.value1);
    QString text = QStringLiteral("error report, group %1 code %2").arg(groupAndCode >> 16).arg(groupAndCode & 0xFFFFU);
    if (message.value2 != 0)
        text += QStringLiteral(" class 0x%1").arg(static_cast<std::uint32_t>(message.value2), 8, 16, QLatin1Char('0'));
    const QString detail = m_errorTexts.reportDetail(groupAndCode, message.text);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral(", "));
    return text;
}
