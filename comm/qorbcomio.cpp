#include "comm/qorbcomio.h"

#include "comm/comevents.h"
#include "comm/commlog.h"
#include "comm/qorbclosethread.h"
#include "platform/ports.h"
#include "platform/serial.h"

#include <QCoreApplication>

QorbComIO::QorbComIO(QObject* parent)
    : QObject(parent),
      m_port(std::make_unique<platform::SerialPort>()),
      m_rxThread(std::make_unique<QorbRxdThread>())
{
}

QorbComIO::~QorbComIO()
{
    close();
}

void QorbComIO::setReceiver(QObject* target, void* pool, std::uint16_t slotCount,
                            std::uint16_t slotDataSize, ByteCallback callback, int value)
{
    // An open connection keeps its receiver: its events must stay traceable.
    if (isOpen())
        return;
    m_receiveConfig = ReceiveConfig{target, pool, slotCount, slotDataSize, callback, value};
}

bool QorbComIO::open(int portNumber, int baudRate, int parity, bool dtrOn, bool rtsOn)
{
    if (m_receiveConfig.target == nullptr || isOpen())
        return false;
    const std::string path = platform::devicePathForPort(portNumber);
    m_openError = platform::SerialError::NotFound;
    if (path.empty())
        return false;
    if (!m_port->open(path, platform::SerialLineSettings{baudRate, parity, dtrOn, rtsOn})) {
        m_openError = m_port->lastError();
        qCInfo(lcComm) << "Cannot open COM" << portNumber << "at" << path.c_str() << ":"
                       << platform::serialErrorText(m_openError);
        return false;
    }
    m_openError = platform::SerialError::None;
    qCDebug(lcComm) << "COM" << portNumber << "at" << path.c_str()
                    << (m_port->hasLowLatency() ? "passes bytes on at once (low latency)"
                                                : "keeps the driver's latency (low latency refused)");
    m_portNumber = portNumber;
    m_usable = true;
    return true;
}

bool QorbComIO::isOpen() const
{
    return m_port->isOpen();
}

bool QorbComIO::startReceiver()
{
    return isOpen() && m_rxThread->begin(m_port->handle(), m_receiveConfig);
}

void QorbComIO::stopReceiver()
{
    m_rxThread->end();
}

bool QorbComIO::write(const std::uint8_t* data, int length)
{
    if (!isOpen() || !m_usable || data == nullptr || length <= 0)
        return false;
    const platform::SerialError error =
        m_port->write(data, static_cast<std::size_t>(length), writeTimeoutMs);
    if (error == platform::SerialError::None)
        return true;
    qCWarning(lcComm) << "Write to COM" << m_portNumber << "failed:" << platform::serialErrorText(error);
    m_usable = false;
    // An unplugged device is the port lost, whichever side notices it first.
    postError(error == platform::SerialError::DeviceGone ? comevent::ReadError : comevent::WriteError);
    return false;
}

void QorbComIO::close()
{
    // The receive thread must never read a handle that is being closed.
    stopReceiver();
    discardStaleEvents();
    m_usable = false;
    const platform::SerialHandle handle = m_port->release();
    if (handle == platform::InvalidSerialHandle)
        return;
    if (closeWaitMs < 0) {
        platform::closeSerialHandle(handle);
    } else if (!QorbCloseThread::closeWithin(handle, closeWaitMs)) {
        qCWarning(lcComm) << "Closing COM" << m_portNumber << "did not finish in time";
        postError(comevent::CloseTimeout);
    }
}

void QorbComIO::postError(int type)
{
    postComError(ComEventTarget{m_receiveConfig.target, m_receiveConfig.value}, type);
}

// Events of a connection must not act on the next one (a stale 1005 would
// close it); their slots return to the pool when reception starts again.
void QorbComIO::discardStaleEvents()
{
    if (m_receiveConfig.target == nullptr)
        return;
    for (int type = comevent::Receive; type <= comevent::CloseTimeout; ++type)
        QCoreApplication::removePostedEvents(m_receiveConfig.target, type);
}
