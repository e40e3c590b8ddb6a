#pragma once

// Parameters with a fixed role on every wrench, outside its descriptions.
namespace paramid {
constexpr int ListHeader = 1;
constexpr int AccessLevel = 5;
constexpr int DeviceName = 100;
constexpr int Firmware = 101;
constexpr int Hardware = 103;
constexpr int HistoryMode = 113;
constexpr int SerialNumber = 135;

// What is read on connecting and before each history readout, in this order.
constexpr int IdentityReads[] = {AccessLevel, HistoryMode, DeviceName, Firmware, Hardware, SerialNumber};
} // namespace paramid
