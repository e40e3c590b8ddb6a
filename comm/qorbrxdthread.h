#pragma once

#include "comm/comevents.h"
#include "platform/serial.h"
#include "protocol/frame/parser.h"

#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>

class QObject;

// Where received bytes go: the callback runs on the receive thread for every
// byte, with the parser that files frames into the slot pool and posts events
// to target, tagged with value.
struct ReceiveConfig {
    QObject* target = nullptr;
    void* pool = nullptr; // caller's block, or null for the thread's own
    std::uint16_t slotCount = 4;
    std::uint16_t slotDataSize = 256;
    ByteCallback callback = nullptr;
    int value = 0;
};

// The receive loop of one serial port. The thread object lives as long as its
// port, and so does its own slot pool: posted events may still point into it
// after a receive run has ended.
class QorbRxdThread : public QThread {
    Q_OBJECT
public:
    explicit QorbRxdThread(QObject* parent = nullptr);
    ~QorbRxdThread() override;

    // Starts receiving on handle; does nothing while already receiving.
    // False when the receive run could not be set up.
    bool begin(platform::SerialHandle handle, const ReceiveConfig& config);
    // Stops the loop and waits for it; harmless when not receiving.
    void end();
    bool isReceiving() const { return m_reader != nullptr; }

protected:
    void run() override;

private:
    void receive();
    void* poolFor(const ReceiveConfig& config);
    void deliver(const std::uint8_t* bytes, std::size_t count);

    // Released when run() ends, acquired by end() after wait(): wait()
    // synchronises through Qt's futex-based mutex, which ThreadSanitizer
    // cannot see, so the hand-over back to the owner is made explicit.
    std::atomic<bool> m_runEnded{false};

    ReceiveConfig m_config;
    ComEventTarget m_eventTarget;
    FrameParser m_parser;
    std::unique_ptr<std::uint64_t[]> m_ownPool;
    std::size_t m_ownPoolBytes = 0;
    std::size_t m_bytesToSkip = 0;
    std::unique_ptr<platform::SerialReader> m_reader;
};
