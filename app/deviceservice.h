#pragma once

#include "app/serviceports.h"
#include "history/historyhost.h"
#include "params/identityvalues.h"
#include "protocol/frame/wire.h"
#include "protocol/qorbpiderror.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class KaPSMessage;

// The main window's parameter service: the 50 ms tick that serves the views'
// queues one request at a time, the time-outs of reads and writes, the read
// back after a write, the download of the wrench's parameter descriptions,
// the routing of downloads to the views, the identity parameters and the
// wrench's error reports. The window and tolvo-cli each own one: the window
// shows the messages it asks for, tolvo-cli ends its run on the outcomes.
class DeviceService : public QObject
{
    Q_OBJECT

public:
    static constexpr int TickMs = 50;
    static constexpr int TimeoutTicks = 100;
    static constexpr int ReReadDelayMs = 2000;
    static constexpr int DeferMs = 500;
    // What one "DSP" frame carries after its mnemonic, ID and length.
    static constexpr int MaxValueBytes = frame::MaxPayload - 3 - 2 - 2;

    DeviceService(DeviceLink& link, ServiceViews& views, Scheduler& scheduler, QObject* parent = nullptr);

    void tick();
    // How many ticks a read, a write, or a download between two of its
    // messages may wait for the wrench.
    void setTimeoutTicks(int ticks) { m_timeoutTicks = ticks; }

    // Reads and writes are refused (false, nothing sent) unless the wrench is
    // connected and identified; each is watched by its own time-out. A value
    // longer than one frame carries is refused with a message.
    bool requestParam(int id);
    bool setParam(int id, const char* value, int length, bool reRead);
    // The description download, 500 ms later.
    bool startParamService();
    // Asks for a download ("RRQ"); it times out when the wrench stays silent.
    bool requestRecords(int number);
    void beginParamTransfer(bool quiet);
    void endParamTransfer(bool quiet);
    void showParamProgress(bool show, bool busy);

    // The wrench's identification answer. The first of a connection, or one
    // that names another wrench, starts a new conversation: the identity is
    // forgotten and the parameter service starts. The same answer again (the
    // wrench answered a repeat of the tool's identification) changes nothing.
    void onIdentification(const QString& identification);
    // The port was closed: nothing scheduled may act any more, and the
    // wrench's identity is forgotten.
    void onLinkClosed();
    // Downloads, parameter values and error reports (1150, 1153, 1155, 1156,
    // 1159, 1164); false for any other message.
    bool handleMessage(const KaPSMessage& message);
    // The engine announces each acknowledge (1151) before it hands over the
    // frame that carried it, and hands over none during a download: the
    // frame settles it if it comes, else a check queued behind it does.
    void onAcknowledgeAnnounced();
    void onAcknowledgeFrame(bool identificationFrame);

    int paramServiceState() const { return m_paramServiceState; }
    int historyState() const { return m_historyState; }
    int requestTimeout() const { return m_requestTimeout; }
    int setTimeout() const { return m_setTimeout; }
    int lastRequestedId() const { return m_lastRequestedId; }
    int lastSetId() const { return m_lastSetId; }

    const QString& deviceDesignation() const { return m_identity.deviceName; }
    const QString& firmwareVersion() const { return m_identity.firmwareVersion; }
    const QString& hardwareVersion() const { return m_identity.hardwareVersion; }
    const QString& serialNumber() const { return m_identity.serialNumber; }
    // 1 base version ("B"), 2 full version ("F"), 3 unknown; 0 before parameter 101.
    int firmwareKind() const { return m_identity.firmwareKind; }
    int historyMode() const { return m_identity.historyMode; }
    void setHistoryMode(int mode) { m_identity.historyMode = mode; }
    // This conversation's identity; empty where the wrench has not answered.
    const IdentityValues& identity() const { return m_identity; }
    int paramListCount() const;

signals:
    // For a message box.
    void errorMessage(const QString& title, const QString& text);
    // The outcomes for a caller that waits for them, each as it happens.
    void requestTimedOut(int id);
    void setTimedOut(int id);
    void parameterWritten(int id);
    void transferTimedOut();
    // The wrench's error report, as errorMessage shows it.
    void wrenchRefused(const QString& text);

private:
    void later(int delayMs, std::function<void()> work);
    // True when the count has just run out.
    static bool countDown(int& ticks);
    void showTimeout(int id, const char* what);
    // A read that ended without a value: without parameter 101 the firmware
    // kind is unknown.
    void settleUnanswered(int id);
    void transferAlive();
    void resetCounters();
    void forgetIdentity();
    void paramServiceStart();
    void paramServiceOK();
    void reReadParam(int id);
    void handleAcknowledge();
    void settleAcknowledge();

    void onParamValue(int id, const QByteArray& value);
    void keepIdentity(int id, const QByteArray& value);
    void onTransferStart(int number, int size);
    void onProgress(int received);
    void onTransferEnd(const QByteArray& block);
    void onErrorReport(std::uint32_t groupAndCode, std::uint32_t errorClass, const QString& text);

    DeviceLink& m_link;
    ServiceViews& m_views;
    Scheduler& m_scheduler;
    QorbPIDError m_errorTexts;

    // Scheduled work carries the generation it was scheduled in; a reset
    // starts a new one, so work of an old connection does nothing.
    std::uint64_t m_generation = 0;
    // This connection's identification answer; null before the first.
    QString m_identification;
    int m_acknowledgesAwaitingFrame = 0;
    int m_timeoutTicks = TimeoutTicks;

    int m_paramServiceState = -1;
    int m_historyState = -1;
    // Ticks of 50 ms while a parameter read or write is outstanding.
    int m_requestTimeout = 0;
    int m_setTimeout = 0;
    // Ticks left while a download waits for its next message; 0 for none.
    int m_transferTimeout = 0;
    int m_reReadId = 0;
    int m_lastRequestedId = 0;
    int m_lastSetId = 0;
    // The number of the last download announced; none for a file download.
    int m_currentTransfer = -1;
    std::uint32_t m_historyTotalRecords = 0;
    std::uint32_t m_historyLastPercent = 0;
    // The message service refused the announced history: nothing comes.
    bool m_historyRefused = false;

    std::array<std::uint8_t, 8> m_paramListHeader{};
    IdentityValues m_identity;
};
