#include "history/historyprogress.h"

#include "history/measurementrecord.h"

namespace historyprogress {

namespace {
constexpr auto RecordBytes = static_cast<std::uint32_t>(MeasurementRecord::Size);
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
