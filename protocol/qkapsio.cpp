#include "protocol/qkapsio.h"

#include "comm/comevents.h"
#include "protocol/frame/view.h"
#include "protocol/kapsmessage.h"
#include "protocol/protocollog.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

constexpr int WriteTimeoutMs = 3000;
constexpr int CloseWaitMs = 3000;

// Start, control, sequence, check and end: anything shorter carries no
// control or sequence byte worth reading.
constexpr std::uint32_t minimumFrameLength(std::uint8_t kind)
{
    return kind == frame::StartCrc ? 6 : 5;
}

// Frames up to this length (at most one payload byte) carry no mnemonic.
constexpr std::uint32_t ShortFrameLength = 6;

} // namespace

QKapsIO::QKapsIO(QObject* parent)
    : QorbComIO(parent), m_identifyTimer(new QTimer(this))
{
    setIdentification(QStringLiteral("DUMMY"), QStringLiteral("0.900"), QString());
    connect(m_identifyTimer, &QTimer::timeout, this, &QKapsIO::slotTimer);
}

QKapsIO::~QKapsIO()
{
    close();
}

bool QKapsIO::open(QObject* receiver, int portNumber, int baudRate)
{
    // The receive side of a port that is open is never reconfigured.
    if (isOpen())
        return false;
    m_connected = false;
    m_downloadActive = false;
    m_lastRxSequence = 0;
    m_txSequence = 1;
    m_txAwaitingAck = false;
    m_portNumber = 0;
    m_receiver = receiver;
    setReceiver(this, nullptr, SlotCount, SlotDataSize, feedByte, portNumber);
    if (!QorbComIO::open(portNumber, baudRate, 0, true, true))
        return false;
    writeTimeoutMs = WriteTimeoutMs;
    closeWaitMs = CloseWaitMs;
    // A port that cannot be listened to is no connection.
    if (!startReceiver()) {
        QorbComIO::close();
        return false;
    }
    sendIdentification(true);
    m_identifyTimer->start(IdentifyIntervalMs);
    m_portNumber = portNumber;
    return true;
}

void QKapsIO::close()
{
    m_identifyTimer->stop();
    stopReceiver();
    // What this connection queued for the window must not act on the next
    // one; the port drops what is still queued for the engine itself.
    dropQueuedEvents();
    connectionClosed();
    QorbComIO::close();
    m_portNumber = 0;
}

void QKapsIO::dropQueuedEvents()
{
    if (!m_receiver)
        return;
    for (int type = comevent::Receive; type <= comevent::CloseTimeout; ++type)
        QCoreApplication::removePostedEvents(m_receiver, type);
    for (int type = kaps::Progress; type <= kaps::ParamValue; ++type)
        QCoreApplication::removePostedEvents(m_receiver, type);
}

void QKapsIO::setIdentification(const QString& name, const QString& version, const QString& extra)
{
    QString text = name + QLatin1Char(';') + version;
    if (!extra.isEmpty())
        text += QLatin1Char(';') + extra;
    text.truncate(IdentificationLength);
    m_identification = text;
}

bool QKapsIO::sendFrame(const std::uint8_t* payload, int length, std::uint8_t kind,
                        std::uint8_t control, std::uint8_t sequence)
{
    if (!isOpen())
        return false;
    const int frameLength = buildFrame(m_transmitBuffer.data(), payload, length, kind, control, sequence);
    return frameLength > 0 && write(m_transmitBuffer.data(), frameLength);
}

std::uint8_t QKapsIO::requestSequence(bool repeat)
{
    if (m_txAwaitingAck && !repeat)
        ++m_txSequence;
    m_txAwaitingAck = true;
    return m_txSequence;
}

bool QKapsIO::handleMessage(const std::uint8_t*, std::uint32_t, bool)
{
    return true;
}

bool QKapsIO::sendAck(std::uint8_t)
{
    return false;
}

bool QKapsIO::sendNak(std::uint8_t)
{
    return false;
}

bool QKapsIO::sendIdentification(bool)
{
    return false;
}

void QKapsIO::slotTimer()
{
    if (m_connected)
        m_identifyTimer->stop();
    else
        sendIdentification(true);
}

void QKapsIO::postToReceiver(std::unique_ptr<QEvent> event)
{
    if (m_receiver)
        QCoreApplication::postEvent(m_receiver, event.release());
}

void QKapsIO::customEvent(QEvent* event)
{
    const int type = event->type();
    switch (type) {
    case comevent::Receive:
        if (auto* received = dynamic_cast<ComReceiveEvent*>(event))
            handleFrame(received->slot(), received->value());
        break;
    case comevent::ChecksumError:
    case comevent::DataError:
    case comevent::Overrun: {
        static const char* const names[] = {"Checksum Error", "Data Error", "Overrun Error"};
        qCWarning(lcProtocol, "%s", names[type - comevent::ChecksumError]);
        sendNak(m_lastRxSequence);
        break;
    }
    case comevent::ReadError:
    case comevent::WriteError:
    case comevent::CloseTimeout: {
        static const char* const names[] = {"Com Error", "Write Error", "Close Error"};
        qCWarning(lcProtocol, "%s", names[type - comevent::ReadError]);
        if (auto* error = dynamic_cast<ComErrorEvent*>(event))
            postToReceiver(std::make_unique<ComErrorEvent>(type, error->value()));
        break;
    }
    default:
        break;
    }
}

void QKapsIO::handleFrame(RxSlot* slot, int tag)
{
    if (slot == nullptr || slot->state.load(std::memory_order_acquire) != RxSlot::Complete)
        return;
    const std::uint8_t* frameBytes = slot->data();
    const std::uint32_t length = slot->length;
    if (length < minimumFrameLength(frameBytes[0])) {
        slot->release();
        return;
    }
    const frame::View received(frameBytes, length);
    const std::uint8_t control = received.control();
    const std::uint8_t sequence = received.sequence();
    const bool ackRequested = received.ackRequested();

    if (received.isAck()) {
        postToReceiver(std::make_unique<KaPSMessage>(kaps::Acknowledge, m_txSequence, 0, QString()));
        ++m_txSequence; // wraps from 255 to 0
        m_txAwaitingAck = false;
    }
    if (ackRequested)
        sendAck(sequence);
    m_lastRxSequence = sequence;

    bool freeSlot = true;
    if (length > ShortFrameLength) {
        freeSlot = handleMessage(frameBytes, length, ackRequested);
        // Blocks of a download ask for acknowledges and stay with the engine.
        if ((control == 0 || !m_downloadActive) && m_receiver) {
            postToReceiver(std::make_unique<ComReceiveEvent>(slot, tag));
            freeSlot = false;
        }
    }
    if (freeSlot)
        slot->release();
}
