#include "tools/wrenchdevice.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>

namespace wrench {

namespace {

constexpr int PeerPollMs = 10;
constexpr int UnplugGraceMs = 100;
constexpr int ReadChunk = 4096;

} // namespace

WrenchDevice::WrenchDevice(const WrenchConfig& config, QObject* parent)
    : QObject(parent)
    , m_config(config)
    , m_session(config, [this] { return m_clock.nsecsElapsed() / 1000; })
    , m_control(m_session)
{
    m_clock.start();
    m_peerTimer.setInterval(PeerPollMs);
    m_replugTimer.setSingleShot(true);
    m_unplugTimer.setSingleShot(true);
    connect(&m_wakeTimer, &WakeTimer::timeout, this, &WrenchDevice::service);
    connect(&m_peerTimer, &QTimer::timeout, this, &WrenchDevice::checkPeer);
    connect(&m_replugTimer, &QTimer::timeout, this, &WrenchDevice::replug);
    connect(&m_unplugTimer, &QTimer::timeout, this, &WrenchDevice::unplug);

    connect(&m_session, &WrenchSession::logged, this, &WrenchDevice::writeLog);
    connect(&m_session, &WrenchSession::toolIdentified, this, [this](const QByteArray& text) {
        say(QStringLiteral("identified ") + QString::fromLatin1(text));
    });
    connect(&m_session, &WrenchSession::messageAnswered, this, [this](int id, int result) {
        say(QStringLiteral("answer %1 %2").arg(id).arg(result));
    });
    connect(&m_session, &WrenchSession::toolSaidGoodbye, this, [this] { say(QStringLiteral("goodbye")); });

    connect(&m_control, &WrenchControl::unplugRequested, this, &WrenchDevice::unplug);
    connect(&m_control, &WrenchControl::plugRequested, this, &WrenchDevice::replug);
    connect(&m_control, &WrenchControl::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

WrenchDevice::~WrenchDevice()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_port.close();
}

bool WrenchDevice::start(QString& error)
{
    m_stdout.open(1, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    if (!m_wakeTimer.isValid()) {
        error = QStringLiteral("cannot create the line timer");
        return false;
    }

    const int stopFd = platform::installStopSignalPipe();
    if (stopFd < 0) {
        error = QStringLiteral("cannot watch for termination signals");
        return false;
    }
    m_stopNotifier = std::make_unique<QSocketNotifier>(stopFd, QSocketNotifier::Read);
    connect(m_stopNotifier.get(), &QSocketNotifier::activated, this, [stopFd] {
        const int signalNumber = platform::takeStopSignal(stopFd);
        qCInfo(lcWrench) << "signal" << signalNumber << "- leaving";
        QCoreApplication::quit();
    });

    if (!m_config.logPath.isEmpty()) {
        m_log.setFileName(m_config.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error = QStringLiteral("cannot write the frame log %1: %2").arg(m_config.logPath, m_log.errorString());
            return false;
        }
    }
    if (!m_config.controlPath.isEmpty() && !listen(error))
        return false;
    if (m_config.commandsOnStdin && m_stdin.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered,
                                                 QFileDevice::DontCloseHandle)) {
        m_stdinNotifier = std::make_unique<QSocketNotifier>(0, QSocketNotifier::Read);
        connect(m_stdinNotifier.get(), &QSocketNotifier::activated, this, &WrenchDevice::readStdin);
    }
    return plug(error);
}

bool WrenchDevice::plug(QString& error)
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (!m_port.open(m_config.linkPath.toStdString())) {
        error = QStringLiteral("no pseudo-terminal");
        if (!m_config.linkPath.isEmpty())
            error += QStringLiteral(" at ") + m_config.linkPath;
        error += QStringLiteral(" (") + QString::fromStdString(m_port.error()) + QLatin1Char(')');
        return false;
    }
    m_readNotifier = std::make_unique<QSocketNotifier>(m_port.masterFd(), QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &WrenchDevice::readPort);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_port.masterFd(), QSocketNotifier::Write);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &WrenchDevice::writePort);
    waitForPeer();
    say(QStringLiteral("ready ") + shownPath());
    return true;
}

void WrenchDevice::replug()
{
    if (!m_port.isOpen())
        openPort();
}

void WrenchDevice::renewPort()
{
    // Not when the device was unplugged in the meantime.
    if (m_port.isOpen())
        openPort();
}

void WrenchDevice::openPort()
{
    QString error;
    if (!plug(error)) {
        qCCritical(lcWrench).noquote() << error;
        QCoreApplication::exit(1);
    }
}

void WrenchDevice::unplug()
{
    if (!m_port.isOpen())
        return;
    const QString path = shownPath();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_peerTimer.stop();
    m_wakeTimer.stop();
    m_unplugTimer.stop();
    m_port.close();
    m_peer = false;
    m_unwritten.clear();
    m_session.powerCycle();
    say(QStringLiteral("unplugged ") + path);
    if (m_config.replugAfterMs >= 0)
        m_replugTimer.start(m_config.replugAfterMs);
}

QString WrenchDevice::shownPath() const
{
    return QString::fromStdString(m_port.linkPath().empty() ? m_port.ttyPath() : m_port.linkPath());
}

// Without a peer the far end reports a hang-up all the time, so it is not
// watched until the tool has opened the port.
void WrenchDevice::waitForPeer()
{
    m_peer = false;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_peerTimer.start();
}

void WrenchDevice::checkPeer()
{
    if (!m_port.peerAttached())
        return;
    m_peerTimer.stop();
    m_peer = true;
    m_readNotifier->setEnabled(true);
    qCInfo(lcWrench) << "the tool opened the port";
    service();
}

void WrenchDevice::detachPeer()
{
    qCInfo(lcWrench) << "the tool closed the port";
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_peer = false;
    m_unwritten.clear();
    m_session.resetLink();
    // A new pair for the next connection, once out of the notifier's own
    // signal: nothing of this connection can reach the next one, and the
    // tool's exclusive hold on the old pair cannot lock it out.
    QMetaObject::invokeMethod(this, &WrenchDevice::renewPort, Qt::QueuedConnection);
}

void WrenchDevice::readPort()
{
    char buffer[ReadChunk];
    QByteArray received;
    for (;;) {
        unsigned long count = 0;
        const platform::TransferResult result = m_port.readSome(buffer, sizeof buffer, count);
        if (result == platform::TransferResult::Done && count > 0) {
            received.append(buffer, static_cast<qsizetype>(count));
            continue;
        }
        if (!received.isEmpty())
            m_session.receive(received);
        if (result == platform::TransferResult::PeerGone || result == platform::TransferResult::Failed) {
            detachPeer();
            return;
        }
        break;
    }
    service();
}

void WrenchDevice::writePort()
{
    m_writeNotifier->setEnabled(false);
    service();
}

void WrenchDevice::service()
{
    if (!m_port.isOpen())
        return;
    m_session.poll();
    const QByteArray output = m_session.takeOutput();
    // Without a peer the line leads nowhere: what is sent is lost.
    if (m_peer)
        m_unwritten.append(output);
    while (m_peer && !m_unwritten.isEmpty()) {
        unsigned long count = 0;
        const platform::TransferResult result
            = m_port.writeSome(m_unwritten.constData(), static_cast<unsigned long>(m_unwritten.size()), count);
        if (result == platform::TransferResult::Done) {
            m_unwritten.remove(0, static_cast<qsizetype>(count));
        } else if (result == platform::TransferResult::WouldBlock) {
            m_writeNotifier->setEnabled(true);
            break;
        } else {
            detachPeer();
            break;
        }
    }
    if (m_session.unplugDue() && m_unwritten.isEmpty() && !m_unplugTimer.isActive()) {
        // Pulled out a moment after the last frame, so that the tool reads
        // it: closing the far end drops what the near end has not read.
        m_unplugTimer.start(UnplugGraceMs);
        return;
    }
    const qint64 wake = m_session.nextWakeUs();
    if (wake < 0) {
        m_wakeTimer.stop();
        return;
    }
    const qint64 waitUs = wake - m_clock.nsecsElapsed() / 1000;
    m_wakeTimer.start(waitUs);
}

bool WrenchDevice::listen(QString& error)
{
    m_server = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(m_config.controlPath);
    if (!m_server->listen(m_config.controlPath)) {
        error = QStringLiteral("cannot listen on %1: %2").arg(m_config.controlPath, m_server->errorString());
        return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &WrenchDevice::acceptControlClient);
    return true;
}

void WrenchDevice::acceptControlClient()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                const QString reply = runCommand(QString::fromUtf8(client->readLine()));
                if (!reply.isEmpty())
                    client->write(reply.toUtf8() + '\n');
            }
        });
    }
}

void WrenchDevice::readStdin()
{
    // One byte per wake-up: the notifier says at least one is there, and a
    // larger read could block on a terminal or a pipe.
    char byte = 0;
    if (m_stdin.read(&byte, 1) != 1) {
        m_stdinNotifier->setEnabled(false);
        if (!m_stdinLine.isEmpty())
            say(runCommand(QString::fromUtf8(std::exchange(m_stdinLine, QByteArray()))));
        return;
    }
    if (byte != '\n') {
        m_stdinLine.append(byte);
        return;
    }
    const QString reply = runCommand(QString::fromUtf8(std::exchange(m_stdinLine, QByteArray())));
    if (!reply.isEmpty())
        say(reply);
}

QString WrenchDevice::runCommand(const QString& line)
{
    const QString reply = m_control.execute(line);
    service();
    return reply;
}

void WrenchDevice::say(const QString& line)
{
    if (line.isEmpty())
        return;
    m_stdout.write(line.toUtf8() + '\n');
    m_stdout.flush();
}

void WrenchDevice::writeLog(const FrameLogEntry& entry)
{
    if (!m_log.isOpen())
        return;
    m_log.write(formatLogLine(entry).toUtf8() + '\n');
    m_log.flush();
}

} // namespace wrench
