#pragma once

#include "tools/parametertable.h"
#include "tools/wrenchconfig.h"
#include "tools/wirereader.h"
#include "tools/wrenchlink.h"

#include <QLoggingCategory>
#include <QObject>

namespace wrench {

Q_DECLARE_LOGGING_CATEGORY(lcWrench)

// The simulated wrench without its port: frames from the tool go in, frames
// to the tool come out. It answers the identification, serves parameter reads
// and writes from its table, the description list and the history, and sends
// messages, error reports and files on command.
class WrenchSession : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 DescriptionList = 0xFFFF;
    static constexpr quint16 History = 0xFFF0;

    WrenchSession(const WrenchConfig& config, WrenchLink::Clock clock, QObject* parent = nullptr);
    ~WrenchSession() override;

    // Bytes from the tool, in order.
    void receive(const QByteArray& bytes);
    // Time-outs; call when nextWakeUs() has come.
    void poll() { m_link.poll(); }
    QByteArray takeOutput() { return m_link.takeOutput(); }
    qint64 nextWakeUs() const { return m_link.nextWakeUs(); }
    bool unplugDue() const { return m_link.unplugDue(); }

    // The tool closed its port: nothing in flight survives.
    void resetLink();
    // The device was unplugged: also the parameters start over.
    void powerCycle();

    // Messages the wrench starts on its own; they wait for a running transfer.
    void sendMessageRequest(quint16 id, quint16 type, const QByteArray& text);
    void sendError(quint16 code);
    // code: error group in the high half, error code in the low half.
    void sendErrorReport(quint32 code, quint32 errorClass, const QByteArray& text);
    void sendFile(const QByteArray& name, const QByteArray& content);

    ParameterTable& parameters() { return m_parameters; }
    const WrenchLink& link() const { return m_link; }

signals:
    void logged(const FrameLogEntry& entry);
    // The tool's own identification, sent in answer to the wrench's.
    void toolIdentified(const QByteArray& identification);
    // The tool's answer ("MGC") to a message request.
    void messageAnswered(int id, int result);
    // The tool's farewell request (parameter 0xFFFF, count 0).
    void toolSaidGoodbye();

private:
    void handle(const WireReader::Event& event, qint64 now);
    void dispatch(const Frame& received);
    void onIdentification(const Frame& received);
    void onDataRequest(const QByteArray& data);
    void onDataSet(const QByteArray& data);
    void onRecordRequest(const QByteArray& data);
    void reportUnknown(quint32 id);
    void refuse(quint16 code);
    void announce(const QByteArray& message);
    static QByteArray errorCode(quint16 code);
    static QByteArray errorReport(quint32 code, quint32 errorClass, const QByteArray& text);
    quint16 descriptionNumber(qsizetype index) const;
    QList<WrenchLink::Outgoing> recordDownload(quint16 number, const QByteArray& data) const;
    void appendBlocks(QList<WrenchLink::Outgoing>& frames, const char* mnemonic,
                      const QByteArray& data) const;

    WrenchConfig m_config;
    WrenchLink::Clock m_clock;
    WireReader m_reader;
    WrenchLink m_link;
    ParameterTable m_parameters;
    int m_identificationAnswers = 0; // on this connection
};

} // namespace wrench
