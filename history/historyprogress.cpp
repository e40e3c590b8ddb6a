#include "history/historyprogress.h"

namespace historyprogress {

namespace {
constexpr std::uint32_t RecordBytes = 64;
} // namespace

std::uint32_t recordsIn(int announcedBytes)
{
    return static_cast<std::uint32_t>(announcedBytes) / RecordBytes;
}

std::uint32_t percent(int receivedBytes, std::uint32_t totalRecords)
{
    return static_cast<std::uint32_t>(receivedBytes) / RecordBytes * 100U / totalRecords + 1U;
}

} // namespace historyprogress
