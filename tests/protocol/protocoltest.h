#pragma once

#include "comm/comevents.h"
#include "platform/pseudoterminal.h"
#include "protocol/frame/parser.h"
#include "protocol/kapsmessage.h"
#include "tests/support/eventrecorder.h"
#include "tests/support/framehelpers.h"
#include "tests/support/wrenchprocess.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>


using testsupport::EventRecorder;
using testsupport::RecordedEvent;

// A receive pool and parser as the receive thread has them, fed on the
// calling thread: frames reach the target as the same posted events.
class SlotFeeder {
public:
    SlotFeeder(QObject* target, int tag);

    void feedWire(const QByteArray& wire);
    void feed(const QByteArray& payload, std::uint8_t kind, std::uint8_t control, std::uint8_t sequence);
    int freeSlots();

private:
    std::vector<std::uint64_t> m_pool;
    FrameParser m_parser;
    ComEventTarget m_target;
};

// Delivers every posted event of this thread (the engine's, then what it
// posted to the receiver).
void deliverPostedEvents();

// An engine with a receiver but no port (a failed open keeps the receiver),
// fed frames through the parser on this thread.
template <typename Engine>
struct EngineLink {
    EventRecorder receiver;
    Engine io;
    SlotFeeder feeder{&io, 5};

    EngineLink() { io.open(&receiver, 0, 115200); }

    void send(const QByteArray& payload, std::uint8_t sequence = 1, std::uint8_t control = 0x20,
              std::uint8_t kind = frame::StartXor)
    {
        feeder.feed(payload, kind, control, sequence);
        deliverPostedEvents();
    }
    QList<QByteArray> forwardedMnemonics() const
    {
        QList<QByteArray> mnemonics;
        for (const RecordedEvent& event : receiver.ofType(comevent::Receive))
            mnemonics.append(event.frame.mid(3, 3));
        return mnemonics;
    }
    QList<int> progress() const
    {
        QList<int> values;
        for (const RecordedEvent& event : receiver.ofType(kaps::Progress))
            values.append(event.progress);
        return values;
    }
};


// Writes a settings file with a "PORTS" section that maps COMport to path
// and makes it the port mapping of this process.
bool mapPort(int port, const QString& path, const QString& settingsFile, QString& error);

// A frame as the far end parsed it.
struct ParsedFrame {
    std::uint8_t kind = 0;
    std::uint8_t control = 0;
    std::uint8_t sequence = 0;
    QByteArray payload; // mnemonic and command data
    QByteArray wire;    // bytes as they came, escapes included
};

// The wrench's end of a pseudo-terminal that the tool opens as COMn through
// the "PORTS" mapping of a temporary settings file.
class PtyPeer {
public:
    static constexpr int PortNumber = 77;

    bool open();
    void close() { m_pty.close(); }
    bool send(const QByteArray& payload, std::uint8_t kind, std::uint8_t control, std::uint8_t sequence);
    bool sendRaw(const QByteArray& wire);
    // Reads what the tool has written so far (non-blocking) and returns all
    // frames received since the start.
    const QList<ParsedFrame>& frames();
    QList<ParsedFrame> framesWith(const char* mnemonic, int control = -1);
    const QString& error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    platform::PseudoTerminal m_pty;
    QByteArray m_pending;
    QList<ParsedFrame> m_frames;
    QString m_error;
};

// Starts the simulated wrench without its command input, waits until it is
// ready and maps its link as COM77.
constexpr int WrenchPort = 77;
bool startMappedWrench(testsupport::WrenchProcess& wrench, const QStringList& options,
                       const QString& binDir = QString());
