#include "tools/wrenchsession.h"

#include "protocol/frame/wire.h"
#include "tools/wireframe.h"

namespace wrench {

Q_LOGGING_CATEGORY(lcWrench, "tolvo.wrench")

namespace {

constexpr quint16 Goodbye = 0xFFFF;
constexpr int MaxBlock = frame::MaxPayload - 3;

QByteArray payload(const char* mnemonic)
{
    return QByteArray(mnemonic, 3);
}

FrameLogEntry receivedEntry(const WireReader::Event& event, qint64 now)
{
    FrameLogEntry entry;
    entry.timeUs = now;
    entry.wire = event.frame.wire;
    switch (event.kind) {
    case WireReader::Event::Good:
        entry.direction = FrameLogEntry::Received;
        entry.control = event.frame.control();
        entry.sequence = event.frame.sequence();
        entry.mnemonic = event.frame.mnemonic();
        entry.payloadLength = event.frame.payloadLength();
        break;
    case WireReader::Event::CheckFailed:
        entry.direction = FrameLogEntry::CheckFailed;
        break;
    case WireReader::Event::Abandoned:
        entry.direction = FrameLogEntry::Abandoned;
        break;
    }
    return entry;
}

} // namespace

WrenchSession::WrenchSession(const WrenchConfig& config, WrenchLink::Clock clock, QObject* parent)
    : QObject(parent)
    , m_config(config)
    , m_clock(std::move(clock))
    , m_link(config.link, m_clock)
    , m_parameters(config.identity, config.settings)
{
    connect(&m_link, &WrenchLink::logged, this, &WrenchSession::logged);
    connect(&m_link, &WrenchLink::gaveUp, this, [](const QByteArray& mnemonic) {
        qCWarning(lcWrench) << "no acknowledge for" << mnemonic << "after every retry; dropped";
    });
}

WrenchSession::~WrenchSession() = default;

void WrenchSession::receive(const QByteArray& bytes)
{
    const QList<WireReader::Event> events = m_reader.feed(bytes);
    for (const WireReader::Event& event : events)
        handle(event, m_clock());
}

void WrenchSession::handle(const WireReader::Event& event, qint64 now)
{
    emit logged(receivedEntry(event, now));
    if (event.kind != WireReader::Event::Good) {
        m_link.sendNak();
        return;
    }
    const Frame& received = event.frame;
    // Deaf to the identification: not even the link acknowledges it.
    if (received.mnemonic() == "VER" && !m_config.answerIdentification)
        return;
    m_link.handleControl(received.control(), received.sequence());
    if (!received.mnemonic().isEmpty())
        dispatch(received);
}

void WrenchSession::dispatch(const Frame& received)
{
    const QByteArray mnemonic = received.mnemonic();
    const QByteArray data = received.data();
    if (mnemonic == "VER") {
        onIdentification(received);
    } else if (mnemonic == "DRQ") {
        onDataRequest(data);
    } else if (mnemonic == "DSP") {
        onDataSet(data);
    } else if (mnemonic == "RRQ") {
        onRecordRequest(data);
    } else if (mnemonic == "RBR") {
        m_link.abortTransfers();
    } else if (mnemonic == "MGC") {
        if (data.size() >= 4)
            emit messageAnswered(wire::be16(data, 0), wire::be16(data, 2));
    } else if (mnemonic != "ACK") {
        qCInfo(lcWrench) << "ignored" << mnemonic;
    }
}

void WrenchSession::onIdentification(const Frame& received)
{
    QByteArray text = received.data();
    if (const qsizetype end = text.indexOf('\0'); end >= 0)
        text.truncate(end);
    if ((received.control() & frame::ControlAckRequested) == 0) {
        // The tool's answer to our identification: it is connected now.
        emit toolIdentified(text);
        return;
    }
    // The tool repeats its identification until an answer reaches it; it is
    // answered as often as the wrench is told, once by default.
    if (m_identificationAnswers < m_config.identificationAnswers) {
        ++m_identificationAnswers;
        m_link.send(payload("VER") + m_config.identification);
    }
}

void WrenchSession::onDataRequest(const QByteArray& data)
{
    if (data.size() < 4) {
        refuse(paramerror::ContentSize);
        return;
    }
    const quint16 id = wire::be16(data, 0);
    if (id == Goodbye) {
        m_link.abortTransfers();
        emit toolSaidGoodbye();
        return;
    }
    if (m_config.silentIds.contains(id))
        return;
    QByteArray value;
    if (!m_parameters.read(id, &value)) {
        reportUnknown(id);
        return;
    }
    QByteArray answer = payload("DTM");
    wire::appendBe16(answer, id);
    wire::appendBe16(answer, static_cast<quint16>(value.size()));
    m_link.send(answer + value);
}

void WrenchSession::onDataSet(const QByteArray& data)
{
    const quint16 id = wire::be16(data, 0);
    const int length = wire::be16(data, 2);
    if (data.size() < 4 || data.size() < 4 + length) {
        refuse(paramerror::ContentSize);
        return;
    }
    const quint16 error = m_parameters.write(id, data.mid(4, length));
    if (error == paramerror::NotAvailable)
        reportUnknown(id);
    else if (error != 0)
        refuse(error);
}

void WrenchSession::onRecordRequest(const QByteArray& data)
{
    const quint16 number = wire::be16(data, 0);
    if (data.size() < 2) {
        refuse(paramerror::ContentSize);
    } else if (number == DescriptionList) {
        // One download per description record, then an empty one numbered 0
        // that ends the list.
        QList<WrenchLink::Outgoing> frames;
        const QList<QByteArray> records = m_parameters.descriptionRecords();
        for (qsizetype i = 0; i < records.size(); ++i)
            frames.append(recordDownload(descriptionNumber(i), records[i]));
        frames.append(recordDownload(0, QByteArray()));
        m_link.sendTransfer(frames);
    } else if (number == History) {
        m_link.sendTransfer(recordDownload(History, m_config.history));
    } else {
        refuse(paramerror::WrongIndex);
    }
}

quint16 WrenchSession::descriptionNumber(qsizetype index) const
{
    // A list never reaches 65535 descriptions, so the own numbers never
    // meet the list's or the end's.
    return m_config.numberDescriptions ? static_cast<quint16>(index + 1) : DescriptionList;
}

void WrenchSession::reportUnknown(quint32 id)
{
    if (m_config.unknownAsErx)
        m_link.send(errorReport(paramerror::NotAvailable, 0,
                                QByteArray("not available\\nID = #1@@") + QByteArray::number(id)));
    else
        refuse(paramerror::NotAvailable);
}

void WrenchSession::refuse(quint16 code)
{
    m_link.send(errorCode(code));
}

QByteArray WrenchSession::errorCode(quint16 code)
{
    QByteArray report = payload("ERR");
    wire::appendBe16(report, code);
    return report;
}

QByteArray WrenchSession::errorReport(quint32 code, quint32 errorClass, const QByteArray& text)
{
    QByteArray report = payload("ERX");
    wire::appendBe32(report, code);
    wire::appendBe32(report, errorClass);
    return report + text.left(MaxBlock - 8);
}

void WrenchSession::announce(const QByteArray& message)
{
    // What the wrench says on its own waits behind a running transfer: the
    // tool passes on no message that arrives in the middle of one.
    m_link.sendTransfer({{message, false}});
}

QList<WrenchLink::Outgoing> WrenchSession::recordDownload(quint16 number, const QByteArray& data) const
{
    QByteArray start = payload("RST");
    wire::appendBe16(start, number);
    wire::appendBe32(start, static_cast<quint32>(data.size()));
    QList<WrenchLink::Outgoing> frames{{start, false}};
    appendBlocks(frames, "RRN", data);
    frames.append({payload("RFI"), false});
    return frames;
}

void WrenchSession::appendBlocks(QList<WrenchLink::Outgoing>& frames, const char* mnemonic,
                                 const QByteArray& data) const
{
    const int blockSize = qBound(1, m_config.blockSize, MaxBlock);
    for (qsizetype offset = 0; offset < data.size(); offset += blockSize)
        frames.append({payload(mnemonic) + data.mid(offset, blockSize), true});
}

void WrenchSession::sendMessageRequest(quint16 id, quint16 type, const QByteArray& text)
{
    QByteArray message = payload("MGD");
    wire::appendBe16(message, id);
    wire::appendBe16(message, type);
    announce(message + text.left(MaxBlock - 4));
}

void WrenchSession::sendError(quint16 code)
{
    announce(errorCode(code));
}

void WrenchSession::sendErrorReport(quint32 code, quint32 errorClass, const QByteArray& text)
{
    announce(errorReport(code, errorClass, text));
}

void WrenchSession::sendFile(const QByteArray& name, const QByteArray& content)
{
    QByteArray start = payload("FST") + name.left(MaxBlock - 5) + '\0';
    wire::appendBe32(start, static_cast<quint32>(content.size()));
    QList<WrenchLink::Outgoing> frames{{start, false}};
    appendBlocks(frames, "FRN", content);
    frames.append({payload("FFI"), false});
    m_link.sendTransfer(frames);
}

void WrenchSession::resetLink()
{
    m_link.reset();
    m_reader.reset();
    m_identificationAnswers = 0;
}

void WrenchSession::powerCycle()
{
    resetLink();
    m_parameters = ParameterTable(m_config.identity, m_config.settings);
}

} // namespace wrench
