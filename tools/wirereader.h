#pragma once

#include "protocol/frame/parser.h"
#include "tools/wireframe.h"

#include <QList>
#include <QObject>

#include <memory>


namespace wrench {

// Assembles frames from a byte stream with the project's receive parser and
// keeps, for each, the bytes as they came off the wire. Used on both sides of
// the simulated link: by the wrench for what the tool sends, by the tests for
// what the wrench sends.
class WireReader : public QObject {
public:
    struct Event {
        enum Kind { Good, CheckFailed, Abandoned };
        Kind kind = Good;
        Frame frame; // bytes only for Good; wire for every kind
    };

    WireReader();
    ~WireReader() override;

    // Parses the bytes and returns what completed (frames and damaged frames)
    // in arrival order.
    QList<Event> feed(const QByteArray& bytes);
    // Forgets a half-received frame (the link was reset).
    void reset();

    quint32 goodFrames() const;
    quint32 checkFailures() const;
    quint32 abandonedFrames() const;

private:
    static void sink(frame::ParseReport report, void* context, RxSlot* slot);

    std::unique_ptr<unsigned char[]> m_pool;
    std::unique_ptr<FrameParser> m_parser;
    QByteArray m_raw;
    QList<Event> m_completed;
};

} // namespace wrench
