#pragma once

#include "comm/qorbrxdthread.h"
#include "platform/serial.h"
#include "protocol/frame/parser.h"

#include <QObject>

#include <cstdint>
#include <memory>

namespace platform { class SerialPort; }

// One serial port: opens it by COM number with fixed line settings, receives
// on a thread of its own (frames reach the target as posted events), writes
// with a bounded wait and closes on a thread of its own so that a vanished
// device cannot freeze the GUI.
class QorbComIO : public QObject {
    Q_OBJECT
public:
    explicit QorbComIO(QObject* parent = nullptr);
    ~QorbComIO() override;

    // Must be called before open. pool may be null (the receive thread then
    // allocates slotCount slots of slotDataSize bytes once per port object).
    void setReceiver(QObject* target, void* pool, std::uint16_t slotCount,
                     std::uint16_t slotDataSize, ByteCallback callback, int value);
    bool open(int portNumber, int baudRate, int parity, bool dtrOn, bool rtsOn);
    // Why the last open failed (NotFound for a port name without a device).
    platform::SerialError openError() const { return m_openError; }
    bool isOpen() const;
    // False when the receive thread could not be started.
    bool startReceiver();
    void stopReceiver();
    bool write(const std::uint8_t* data, int length);
    void close();

protected:
    int writeTimeoutMs = -1; // -1: wait without limit
    int closeWaitMs = -1;    // -1: close directly on the calling thread

private:
    void postError(int type);
    void discardStaleEvents();

    std::unique_ptr<platform::SerialPort> m_port;
    std::unique_ptr<QorbRxdThread> m_rxThread;
    ReceiveConfig m_receiveConfig;
    int m_portNumber = 0;
    platform::SerialError m_openError = platform::SerialError::None;
    bool m_usable = false; // false after a failed write, until reopened
};
