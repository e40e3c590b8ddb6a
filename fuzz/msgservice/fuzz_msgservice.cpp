// Frames built from the fuzzer's bytes, checked and parsed into a receive
// slot as the receive thread does, then handed to the message service with no
// port open. The bytes of the slot after the frame are poisoned while the
// frame is handled, so that any read beyond the frame is reported.
//
// Input: records of [selector, sequence, length high, length low, bytes...].
// The selector's low 5 bits pick a mnemonic (or none, or raw wire bytes), bit
// 5 the kind, bits 6-7 the control byte.

#include "comm/comevents.h"

#include "protocol/frame/parser.h"
#include "protocol/qkapsmsgio.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const char* const mnemonics[] = {"VER", "ERR", "ERX", "RST", "RRN", "RFI", "RRQ", "RBR",
                                 "FST", "FRN", "FFI", "FRQ", "FDL", "FBR", "FLS", "FLR",
                                 "FLF", "FLQ", "FLB", "DTM", "ACK", "MGD"};
constexpr unsigned MnemonicCount = sizeof mnemonics / sizeof mnemonics[0];
constexpr unsigned RawWire = 31;
constexpr std::uint8_t controls[] = {0, frame::ControlAckRequested, frame::ControlAck,
                                     frame::ControlAck | frame::ControlAckRequested};

// The window's part: frees the slots forwarded to it.
class Window : public QObject {
protected:
    void customEvent(QEvent* event) override
    {
        if (auto* received = dynamic_cast<ComReceiveEvent*>(event))
            received->slot()->release();
    }
};

struct Fixture {
    int argc = 1;
    char name[16] = "fuzz_msgservice";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QTemporaryDir downloads;

    Fixture() { QLoggingCategory::setFilterRules(QStringLiteral("tolvo.*=false")); }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

// One slot in a block of its own: the parser writes it, the engine reads it.
class OneSlotPool {
public:
    OneSlotPool() : m_block(poolBytes(1, QKapsIO::SlotDataSize)) {}

    void attach(QObject* target)
    {
        m_target = ComEventTarget{target, 1};
        initParser(m_block.data(), 1, QKapsIO::SlotDataSize, &m_parser, postParseReport, &m_target);
    }
    void feed(const std::uint8_t* bytes, std::size_t length)
    {
        ASAN_UNPOISON_MEMORY_REGION(m_block.data(), m_block.size());
        for (std::size_t i = 0; i < length; ++i)
            feedByte(bytes[i], &m_parser);
        RxSlot* slot = slotAt(m_block.data(), QKapsIO::SlotDataSize, 0);
        if (slot->state.load() == RxSlot::Complete) {
            std::uint8_t* end = slot->data() + slot->length;
            ASAN_POISON_MEMORY_REGION(end, m_block.data() + m_block.size() - end);
        }
    }
    void unpoison() { ASAN_UNPOISON_MEMORY_REGION(m_block.data(), m_block.size()); }

private:
    std::vector<std::uint8_t> m_block;
    FrameParser m_parser;
    ComEventTarget m_target;
};

void deliver(OneSlotPool& pool)
{
    // The engine's handling, then what it posted to the window.
    QCoreApplication::sendPostedEvents();
    pool.unpoison();
    QCoreApplication::sendPostedEvents();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return fixture().downloads.isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Window window;
    OneSlotPool pool;
    {
        QKapsMsgIO io;
        io.setDownloadDirectory(fixture().downloads.path());
        io.open(&window, 0, 115200); // no such port: the window is kept as receiver
        pool.attach(&io);

        std::vector<std::uint8_t> payload;
        std::vector<std::uint8_t> wire(frame::MaxWireFrame);
        std::size_t at = 0;
        while (at + 4 <= size) {
            const std::uint8_t selector = data[at];
            const std::uint8_t sequence = data[at + 1];
            std::size_t length = static_cast<std::size_t>((data[at + 2] << 8) | data[at + 3]) % 1100;
            at += 4;
            length = std::min(length, size - at);
            const std::uint8_t* bytes = data + at;
            at += length;

            const unsigned pick = selector & 0x1FU;
            if (pick == RawWire) {
                pool.feed(bytes, length);
            } else {
                payload.clear();
                if (pick < MnemonicCount)
                    payload.insert(payload.end(), mnemonics[pick], mnemonics[pick] + 3);
                payload.insert(payload.end(), bytes, bytes + length);
                const std::uint8_t kind = (selector & 0x20U) ? frame::StartCrc : frame::StartXor;
                const int wireLength = buildFrame(wire.data(), payload.data(), static_cast<int>(payload.size()),
                                                  kind, controls[selector >> 6], sequence);
                pool.feed(wire.data(), static_cast<std::size_t>(wireLength));
            }
            deliver(pool);
        }
    }
    QCoreApplication::sendPostedEvents();
    // Files the wrench sent stay in the download directory only for this input.
    QDir downloads(fixture().downloads.path());
    for (const QString& entry : downloads.entryList(QDir::Files | QDir::Hidden | QDir::System))
        downloads.remove(entry);
    return 0;
}
