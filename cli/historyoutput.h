#pragma once

#include "history/historyreports.h"
#include "params/identityvalues.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>

// What tolvo-cli makes of a history block besides the window's reports.
namespace historyoutput {

// The settings the window builds its reports with after the same readout.
ReportSettings reportSettings(const IdentityValues& identity, QChar decimalSeparator);

// Every record with a number, in block order, as an array of objects whose
// values are the reports' texts of the fields (numbers with a point).
QByteArray recordsJson(QByteArrayView block);

} // namespace historyoutput
