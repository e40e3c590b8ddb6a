#pragma once

#include "platform/pseudoterminal.h"
#include "tools/framelog.h"
#include "tools/waketimer.h"
#include "tools/wrenchconfig.h"
#include "tools/wrenchcontrol.h"
#include "tools/wrenchsession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <memory>

class QLocalServer;
class QSocketNotifier;

namespace wrench {

// The simulated wrench on its pseudo-terminal: moves bytes between the port
// and the session, keeps the session's timers, writes the frame log and takes
// commands from stdin and the control socket.
class WrenchDevice : public QObject {
    Q_OBJECT
public:
    explicit WrenchDevice(const WrenchConfig& config, QObject* parent = nullptr);
    ~WrenchDevice() override;

    // Opens the log, the control socket and the pseudo-terminal, then prints
    // "ready <path>". False with a reason if any of them fails.
    bool start(QString& error);

private:
    bool plug(QString& error);
    void replug();
    void renewPort();
    void openPort();
    void unplug();
    void waitForPeer();
    void checkPeer();
    void detachPeer();
    void readPort();
    void writePort();
    // Runs the session's time-outs, moves its output to the port and sets
    // the timer for its next deadline.
    void service();
    bool listen(QString& error);
    void acceptControlClient();
    void readStdin();
    QString runCommand(const QString& line);
    void say(const QString& line);
    void writeLog(const FrameLogEntry& entry);
    QString shownPath() const;

    WrenchConfig m_config;
    QElapsedTimer m_clock;
    WrenchSession m_session;
    WrenchControl m_control;
    platform::PseudoTerminal m_port;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    std::unique_ptr<QSocketNotifier> m_stopNotifier;
    std::unique_ptr<QSocketNotifier> m_stdinNotifier;
    std::unique_ptr<QLocalServer> m_server;
    WakeTimer m_wakeTimer;
    QTimer m_peerTimer;
    QTimer m_replugTimer;
    QTimer m_unplugTimer;
    QByteArray m_unwritten;
    bool m_peer = false;
    QFile m_log;
    QFile m_stdout;
    QFile m_stdin;
    QByteArray m_stdinLine;
};

} // namespace wrench
