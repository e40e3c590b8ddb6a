#pragma once

#include "protocol/qkapsmsgio.h"
#include "protocol/qorbpiderror.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

class KaPSMessage;

// One exchange at a time with the wrench through the window's engine: the
// identification, a parameter read or write, a record download. Each ends
// exactly once, with the answer, the wrench's refusal, the port's loss, or a
// time-out. The time-out counts ticks of TickMs; a timer ticks while an
// exchange is open, and tests may call tick() themselves.
class WrenchClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int TickMs = 50;

    enum class Outcome { Answered, TimedOut, Refused, PortLost };
    struct Reply {
        Outcome outcome = Outcome::Answered;
        QByteArray bytes;         // a value, the history block
        QList<QByteArray> blocks; // the description records
        QString text;             // the identification, or what the refusal says
    };
    using Done = std::function<void(const Reply&)>;
    using Progress = std::function<void(int percent)>;

    // timeoutMs: the longest wait for any answer, and between two messages
    // of a download.
    explicit WrenchClient(int timeoutMs, QObject* parent = nullptr);
    ~WrenchClient() override;

    // Opens the port and identifies the tool until the wrench answers; false,
    // and done is never called, when the port cannot be opened.
    bool open(int portNumber, int baudRate, Done identified);
    // Says goodbye when connected, then closes.
    void close();

    void readParam(int id, Done done);
    // Answered when the wrench acknowledges the write.
    void writeParam(int id, const QByteArray& value, Done done);
    // kaps::HistoryTransfer: one block, progress in the window's percent.
    // kaps::DescriptionList: every record until the list's end.
    void readRecords(int number, Progress progress, Done done);

    void tick();
    bool busy() const { return m_pending != Pending::None; }

protected:
    void customEvent(QEvent* event) override;

private:
    enum class Pending { None, Identification, Read, Write, Records };

    void begin(Pending pending, Done done, bool sent);
    void finish(Reply reply);
    void fail(Outcome outcome, const QString& text);
    void restartTimeout();
    void onMessage(const KaPSMessage& message);
    void onTransferStart(int number, int size);
    void onTransferEnd(const QByteArray& block);
    QString errorReportText(const KaPSMessage& message);

    QKapsMsgIO m_engine;
    QorbPIDError m_errorTexts;
    QTimer m_ticker;
    int m_timeoutTicks;
    int m_ticksLeft = 0;

    Pending m_pending = Pending::None;
    Done m_done;
    Progress m_progress;
    int m_id = 0;
    int m_transfer = 0;
    int m_currentTransfer = -1;
    std::uint32_t m_totalRecords = 0;
    bool m_listEnding = false;
    QList<QByteArray> m_blocks;
};
