#pragma once

#include "history/historyreports.h"

#include <QByteArray>
#include <QByteArrayView>

// The records of a readout in the quality-data transfer format (".dfq"), as
// statistics programs import it: one key per line, "Kxxxx/i value" or
// "K0100 n", each line ending in "\r\n" as the Windows programs that read
// these files write them. The bytes are Latin-1; a character Latin-1 lacks,
// and any control character of a text, reads "?", so that no text ends its
// line. The file's own texts are plain ASCII: angles are in "deg".
//
// A characteristic is one unit with one pair of limits (or one unit without
// limits), numbered from 1 in the order the records first show it:
//   K2001/i number, K2002/i "Torque <unit>" or "Angle deg", K2022/i decimals,
//   K2101/i target, K2110/i lower and K2111/i upper limit (only with limits),
//   K2142/i unit (none for a torque unit the wrench does not name).
// Then every record with a number other than 0, in block order:
//   K0001/i value, K0002/i attribute, K0004/i "DD.MM.YYYY/HH:MM:SS" (none for
//   a date the calendar lacks), K0012/i the wrench's serial number (none
//   while it is unknown).
// Values have the record's precision: torques two decimals, angles one;
// limits as many more, up to four, as a percentage of a target needs.
//
// The attribute is 0 for a value of the characteristic the capability study
// uses (computeStats over the whole readout) and 129, shown but not
// calculated, for every other characteristic's values: each characteristic
// holds only values of its own unit and limits, so "outside the sample" can
// only mean outside the one sample the readout's study takes.
QByteArray aqdefFile(QByteArrayView block, const ReportIdentity& identity);
