#pragma once

#include <cstdint>

// The percentage a history readout shows, from the announced size and the
// bytes received so far (unsigned integer arithmetic): 1 as soon as the first
// block is in, 101 when the last record has arrived.
namespace historyprogress {

constexpr std::uint32_t LastBlockPercent = 101;

// Whole 64-byte records in an announced size.
std::uint32_t recordsIn(int announcedBytes);
// totalRecords must not be 0.
std::uint32_t percent(int receivedBytes, std::uint32_t totalRecords);

} // namespace historyprogress
