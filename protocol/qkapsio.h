#pragma once

#include "comm/qorbcomio.h"

#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QEvent;
class QTimer;

// The link-level conversation with the wrench: opens the port with the frame
// parser installed, identifies the tool until the wrench answers, numbers
// outgoing frames, acknowledges what asks for it, answers damaged frames with
// a negative acknowledge, and hands good frames to handleMessage and, by the
// forwarding rules, to the receiver (the main window) as posted events.
class QKapsIO : public QorbComIO {
    Q_OBJECT
public:
    static constexpr std::uint16_t SlotCount = 128;
    static constexpr std::uint16_t SlotDataSize = 1033;
    static constexpr int IdentificationLength = 128;
    static constexpr int IdentifyIntervalMs = 500;

    explicit QKapsIO(QObject* parent = nullptr);
    ~QKapsIO() override;

    // Starts a new conversation: connected false, txSequence 1. False when the
    // port cannot be opened (the receiver is told nothing).
    bool open(QObject* receiver, int portNumber, int baudRate);
    // Stops receiving, closes the port and drops the events still queued for
    // this connection, so that none of them acts on the next one.
    void close();

    // name;version[;extra], cut to 128 characters.
    void setIdentification(const QString& name, const QString& version, const QString& extra);
    const QString& identification() const { return m_identification; }

    // Builds one frame and writes it; false when the port is not open or the
    // write failed.
    bool sendFrame(const std::uint8_t* payload, int length, std::uint8_t kind,
                   std::uint8_t control, std::uint8_t sequence);

    bool connected() const { return m_connected; }
    bool downloadActive() const { return m_downloadActive; }
    std::uint8_t txSequence() const { return m_txSequence; }
    // The sequence byte for a frame that asks for an acknowledge. A new
    // request never carries the number of one still waiting for its
    // acknowledge: the wrench would take it for a repeat and drop it. A
    // repeat takes the last number again: the identification, which is
    // repeated before anything else is sent.
    std::uint8_t requestSequence(bool repeat);
    std::uint8_t lastRxSequence() const { return m_lastRxSequence; }
    std::uint32_t downloadCount() const { return m_downloadCount; }
    int portNumber() const { return m_portNumber; }
    QObject* receiver() const { return m_receiver; }

    // Interprets one good frame longer than 6 bytes; true when its slot may be
    // freed. The engine itself understands no mnemonic.
    virtual bool handleMessage(const std::uint8_t* frame, std::uint32_t frameLength, bool ackRequested);
    virtual bool sendAck(std::uint8_t sequence);
    virtual bool sendNak(std::uint8_t sequence);
    virtual bool sendIdentification(bool ackRequested);

protected slots:
    void slotTimer();

protected:
    // Called by close once nothing is received any more.
    virtual void connectionClosed() {}
    void customEvent(QEvent* event) override;
    // Posts to the receiver; without one the event is dropped.
    void postToReceiver(std::unique_ptr<QEvent> event);

    bool m_connected = false;
    bool m_downloadActive = false;
    std::uint32_t m_downloadCount = 0;

private:
    void handleFrame(RxSlot* slot, int tag);
    void dropQueuedEvents();

    QPointer<QObject> m_receiver;
    QString m_identification;
    std::array<std::uint8_t, frame::MaxWireFrame> m_transmitBuffer{};
    QTimer* m_identifyTimer;
    std::uint8_t m_lastRxSequence = 0;
    std::uint8_t m_txSequence = 1;
    // A frame numbered m_txSequence has gone out and is not acknowledged yet.
    bool m_txAwaitingAck = false;
    int m_portNumber = 0;
};
