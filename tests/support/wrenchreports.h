#pragma once

// The reports the tool builds from the simulated wrench's generated history.
#include "history/historyreports.h"
#include "tools/historygenerator.h"

#include <QDateTime>

namespace testsupport {

// The identity the simulated wrench reports unless told otherwise.
inline const ReportIdentity wrenchIdentity{QStringLiteral("TOLVO TW-200"), QStringLiteral("FW 2.14.0"),
                                           QStringLiteral("HW 3.1"), QStringLiteral("TW2000123")};

// The reports of the wrench's first `records` generated records, with the
// identity it reports. Their header names the minute of the readout: the one
// at `started` when shownText is that report, else the present one.
inline HistoryReports wrenchReports(int records, int historyMode, QChar decimalSeparator,
                                    const QDateTime& started, const QString& shownText,
                                    const ReportIdentity& identity = wrenchIdentity)
{
    const QByteArray block = wrench::history::encode(wrench::history::generate(records));
    ReportSettings settings;
    settings.identity = identity;
    settings.historyMode = historyMode;
    settings.decimalSeparator = decimalSeparator;
    const HistoryReports early = buildReports(block, settings, started);
    return early.text == shownText ? early : buildReports(block, settings, QDateTime::currentDateTime());
}

} // namespace testsupport
