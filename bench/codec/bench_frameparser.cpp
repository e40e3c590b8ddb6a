// Receive parser throughput in MB/s (wire bytes) for random payloads and for
// payloads where every byte is stuffed, each beside memcpy of the same bytes
// in the same run. Also counts heap allocations while parsing (must be 0).
// Goals: >= 300 MB/s plain, >= 150 MB/s all stuffed (Release build).

#include "protocol/frame/parser.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <vector>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

constexpr std::uint16_t SlotCount = 128;
constexpr std::uint16_t SlotDataSize = 1033;
constexpr std::size_t StreamBytes = 32U << 20;
constexpr int Rounds = 7;

long framesReceived = 0;

// The consumer frees every frame at once, as the protocol engine does.
void consume(frame::ParseReport report, void*, RxSlot* slot)
{
    if (report == frame::ParseReport::Frame) {
        ++framesReceived;
        slot->release();
    }
}

std::vector<std::uint8_t> makeStream(bool allStuffed)
{
    std::mt19937 random(20240607);
    static const std::uint8_t stuffed[] = {0x01, 0x02, 0x03, 0x10};
    std::vector<std::uint8_t> stream;
    stream.reserve(StreamBytes + frame::MaxWireFrame);
    std::vector<std::uint8_t> payload(frame::MaxPayload);
    std::vector<std::uint8_t> wire(frame::MaxWireFrame);
    int sequence = 0;
    while (stream.size() < StreamBytes) {
        for (std::uint8_t& byte : payload)
            byte = allStuffed ? stuffed[random() % 4] : static_cast<std::uint8_t>(random());
        const auto kind = sequence % 2 == 0 ? frame::StartCrc : frame::StartXor;
        const auto sequenceByte = static_cast<std::uint8_t>(allStuffed ? stuffed[sequence % 4] : sequence);
        const int length = buildFrame(wire.data(), payload.data(), frame::MaxPayload, kind,
                                      allStuffed ? 0x02 : frame::ControlAckRequested, sequenceByte);
        stream.insert(stream.end(), wire.begin(), wire.begin() + length);
        ++sequence;
    }
    return stream;
}

// Processor time, best of several rounds: the figures stay comparable on a
// machine that other work keeps busy.
template <typename Work>
double bestSeconds(Work work)
{
    double best = 1e30;
    for (int round = 0; round < Rounds; ++round) {
        const std::clock_t start = std::clock();
        work();
        best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    return best;
}

bool run(const char* name, bool allStuffed, double goalMBps)
{
    const std::vector<std::uint8_t> stream = makeStream(allStuffed);
    std::vector<std::uint64_t> pool(poolBytes(SlotCount, SlotDataSize) / sizeof(std::uint64_t));
    std::vector<std::uint8_t> copy(stream.size());
    FrameParser parser;

    framesReceived = 0;
    const long allocationsBefore = allocations.load();
    const double parseSeconds = bestSeconds([&] {
        initParser(pool.data(), SlotCount, SlotDataSize, &parser, consume, nullptr);
        const ByteCallback callback = feedByte; // called through a pointer, as the receive thread does
        for (const std::uint8_t byte : stream)
            callback(byte, &parser);
    });
    const long parseAllocations = allocations.load() - allocationsBefore;
    const double copySeconds = bestSeconds([&] {
        std::memcpy(copy.data(), stream.data(), stream.size());
        asm volatile("" : : "r"(copy.data()) : "memory");
    });

    const double megabytes = static_cast<double>(stream.size()) / 1e6;
    const double parseRate = megabytes / parseSeconds;
    const double copyRate = megabytes / copySeconds;
    const bool good = parseRate >= goalMBps && parseAllocations == 0
        && parser.checksumErrorCount + parser.dataErrorCount + parser.dropCount == 0;
    std::printf("%-13s %7.1f MB of wire bytes, %ld frames per round\n", name, megabytes, framesReceived / Rounds);
    std::printf("  parser  %9.1f MB/s   (goal %.0f MB/s: %s)\n", parseRate, goalMBps, good ? "met" : "MISSED");
    std::printf("  memcpy  %9.1f MB/s\n", copyRate);
    std::printf("  ratio   %9.4f (parser / memcpy), %.2f ns per byte, %ld allocations while parsing\n",
                parseRate / copyRate, parseSeconds * 1e9 / static_cast<double>(stream.size()), parseAllocations);
    return good;
}

} // namespace

int main()
{
    const bool plain = run("random", false, 300);
    const bool stuffed = run("all stuffed", true, 150);
    return plain && stuffed ? EXIT_SUCCESS : EXIT_FAILURE;
}
