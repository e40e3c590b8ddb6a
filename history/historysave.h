#pragma once

#include "history/historyreports.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QString>

// The history save without its dialogs: the proposed name, the report a
// chosen name gets, and the write that never leaves half a file.
namespace historysave {

// folder (with or without its trailing separator; empty for none), then
// protocolWord_serial_dd_MM_yyyy_hh'u'mm'm'; "/" and "\" are taken out of
// the serial number, which would otherwise name folders.
QString proposedFileName(const QString& folder, const QString& protocolWord, const QString& serialNumber,
                         const QDateTime& now);

// A name that does not end in ".txt", ".csv" or the chosen filter's suffix
// ("... (*.csv)"), letter case ignored, gets the filter's suffix.
QString withFilterSuffix(const QString& fileName, const QString& selectedFilter);

// The CSV report only for a suffix of exactly "csv": ".CSV" gets the text.
const QString& reportFor(const QString& fileName, const HistoryReports& reports);

// The folder of fileName with a trailing separator, native separators.
QString folderOf(const QString& fileName);

// Replaces fileName's contents with bytes, opened with WriteOnly and
// extraMode. The old file stays whole when anything fails; error then says
// why.
bool writeFile(const QString& fileName, const QByteArray& bytes, QIODevice::OpenMode extraMode, QString& error);

// Replaces fileName's contents with text in the system's 8-bit encoding
// (UTF-8 here, no byte-order mark), line ends as the system writes text.
// The old file stays whole when anything fails; error then says why.
bool writeReport(const QString& fileName, const QString& text, QString& error);

} // namespace historysave
