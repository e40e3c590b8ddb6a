#include "comm/qorbrxdthread.h"

#include "comm/comevents.h"
#include "comm/commlog.h"

#include <algorithm>

namespace {
constexpr std::size_t ReadSize = 64;
// Pause before retrying a read that failed for an unknown reason, so that a
// lasting failure cannot turn the loop into a busy one.
constexpr int RetryPauseMs = 50;
} // namespace

QorbRxdThread::QorbRxdThread(QObject* parent) : QThread(parent) {}

QorbRxdThread::~QorbRxdThread()
{
    end();
}

void* QorbRxdThread::poolFor(const ReceiveConfig& config)
{
    if (config.pool != nullptr)
        return config.pool;
    // Allocated once and kept; only a new size replaces it (the port is
    // closed then, and its posted events are gone).
    const std::size_t bytes = poolBytes(config.slotCount, config.slotDataSize);
    if (!m_ownPool || m_ownPoolBytes != bytes) {
        m_ownPool = std::make_unique<std::uint64_t[]>(bytes / sizeof(std::uint64_t));
        m_ownPoolBytes = bytes;
    }
    return m_ownPool.get();
}

bool QorbRxdThread::begin(platform::SerialHandle handle, const ReceiveConfig& config)
{
    if (isReceiving())
        return true;
    auto reader = std::make_unique<platform::SerialReader>(handle);
    if (!reader->isValid()) {
        qCWarning(lcComm) << "Receive thread could not be set up";
        return false;
    }
    m_config = config;
    m_eventTarget = ComEventTarget{config.target, config.value};
    initParser(poolFor(config), config.slotCount, config.slotDataSize, &m_parser, postParseReport,
               &m_eventTarget);
    m_bytesToSkip = 0;
    // Before the thread runs, so that nothing sent after this call is lost.
    reader->discardInput();
    m_reader = std::move(reader);
    m_runEnded.store(false, std::memory_order_relaxed);
    start();
    return true;
}

void QorbRxdThread::end()
{
    if (!isReceiving())
        return;
    m_reader->requestStop();
    wait();
    static_cast<void>(m_runEnded.load(std::memory_order_acquire));
    m_reader.reset();
}

void QorbRxdThread::deliver(const std::uint8_t* bytes, std::size_t count)
{
    const std::size_t skipped = std::min(count, m_bytesToSkip);
    m_bytesToSkip -= skipped;
    if (m_config.callback == nullptr)
        return;
    for (std::size_t i = skipped; i < count; ++i)
        m_config.callback(bytes[i], &m_parser);
}

void QorbRxdThread::run()
{
    receive();
    m_runEnded.store(true, std::memory_order_release);
}

void QorbRxdThread::receive()
{
    std::uint8_t buffer[ReadSize];
    for (;;) {
        const platform::SerialLineStatus line = m_reader->takeLineStatus();
        if (line.framingOrParityErrors != 0)
            qCDebug(lcComm) << "Line errors:" << line.framingOrParityErrors;
        if (line.overrun) {
            // The bytes queued behind the overrun belong to broken frames.
            discardOpenFrame(&m_parser);
            m_bytesToSkip = line.queuedBytes;
            postParseReport(frame::ParseReport::Overrun, &m_eventTarget, nullptr);
        }

        const platform::SerialReadResult result = m_reader->read(buffer, sizeof buffer);
        switch (result.status) {
        case platform::SerialReadResult::Data:
            deliver(buffer, result.count);
            break;
        case platform::SerialReadResult::Stopped:
            return;
        case platform::SerialReadResult::DeviceGone:
            qCWarning(lcComm) << "Serial device gone";
            postComError(m_eventTarget, comevent::ReadError);
            m_reader->waitForStop(-1);
            return;
        case platform::SerialReadResult::Failed:
            qCDebug(lcComm) << "Read failed:" << platform::serialErrorText(result.error);
            if (m_reader->waitForStop(RetryPauseMs))
                return;
            break;
        }
    }
}
