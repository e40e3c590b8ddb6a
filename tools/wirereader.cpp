#include "tools/wirereader.h"

#include "protocol/frame/parser.h"

namespace wrench {

namespace {

// Frames are copied out as soon as they complete, so two slots are plenty;
// the data size leaves room for the largest frame either kind can carry.
constexpr std::uint16_t SlotCount = 2;
constexpr std::uint16_t SlotDataSize = 1040;

} // namespace

WireReader::WireReader()
    : m_pool(std::make_unique<unsigned char[]>(poolBytes(SlotCount, SlotDataSize)))
    , m_parser(std::make_unique<FrameParser>())
{
    reset();
}

WireReader::~WireReader() = default;

void WireReader::reset()
{
    initParser(m_pool.get(), SlotCount, SlotDataSize, m_parser.get(), &WireReader::sink, this);
    m_raw.clear();
}

void WireReader::sink(frame::ParseReport report, void* context, RxSlot* slot)
{
    auto* reader = static_cast<WireReader*>(context);
    Event event;
    event.frame.wire = reader->m_raw;
    if (report == frame::ParseReport::Frame && slot != nullptr) {
        event.frame.bytes = QByteArray(reinterpret_cast<const char*>(slot->data()),
                                       static_cast<qsizetype>(slot->length));
        slot->release();
    } else {
        event.kind = report == frame::ParseReport::CheckFailed ? Event::CheckFailed : Event::Abandoned;
    }
    reader->m_completed.append(event);
}

QList<WireReader::Event> WireReader::feed(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        const bool startsFrame = !m_parser->escaped
            && (byte == frame::StartXor || byte == frame::StartCrc);
        // A start byte inside a frame abandons the old one before the new
        // one begins: report the old bytes first.
        if (startsFrame && !m_parser->waitingForStart) {
            feedByte(byte, m_parser.get());
            m_raw = QByteArray(1, c);
            continue;
        }
        if (startsFrame)
            m_raw.clear();
        if (startsFrame || !m_parser->waitingForStart)
            m_raw.append(c);
        feedByte(byte, m_parser.get());
    }
    QList<Event> done;
    done.swap(m_completed);
    return done;
}

quint32 WireReader::goodFrames() const
{
    return m_parser->frameCount;
}

quint32 WireReader::checkFailures() const
{
    return m_parser->checksumErrorCount;
}

quint32 WireReader::abandonedFrames() const
{
    return m_parser->dataErrorCount;
}

} // namespace wrench
