#pragma once

#include <QString>

// What tolvo-cli tells a script through its exit status.
enum class ExitCode : int {
    Ok = 0,
    Usage = 2,
    NoPort = 3,
    NoAnswer = 4,
    Refused = 5,
    WriteError = 6,
    // The wrench holds no measurements: no report written, none left stale.
    NoHistory = 7,
};

constexpr int exitStatus(ExitCode code)
{
    return static_cast<int>(code);
}

// The table for --help: one line per code, the number and its meaning.
QString exitCodeHelp();
