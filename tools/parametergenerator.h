#pragma once

#include "tools/parametertable.h"

#include <QList>

namespace wrench::parametergenerator {

// The generated settings cycle through this many shapes: every value type,
// hex display, decimals, signed and unsigned, limits or none, scalars, row,
// column and two-dimensional tables, text tables, a description without a
// value and one with a skipped block.
int shapeCount();
// IDs of generated settings start here, clear of the fixed parameters.
constexpr quint32 FirstId = 1000;
// The most a 16-bit ID leaves room for.
constexpr int MaxCount = 0xFFFF - static_cast<int>(FirstId);

// count settings with IDs from FirstId, in groups of twenty per module.
// Values lie within the limits they describe.
QList<Parameter> generate(int count);

} // namespace wrench::parametergenerator
