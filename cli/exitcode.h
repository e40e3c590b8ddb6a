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
    // No measurements, on the wrench or in the archive's selection: no
    // report written, none left stale.
    NoHistory = 7,
    ServerUnreachable = 8,
    ServerRefused = 9,
    // Damaged, written by a newer tool, or not to be written.
    ArchiveFailed = 10,
};

constexpr int exitStatus(ExitCode code)
{
    return static_cast<int>(code);
}

// The table for --help: one line per code, the number and its meaning.
QString exitCodeHelp();
