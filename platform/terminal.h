#pragma once

#include <cstdio>

namespace platform {

// True when the stream goes to a terminal (or console), where control
// characters in printed text would act instead of showing.
bool isTerminal(std::FILE* stream);

} // namespace platform
