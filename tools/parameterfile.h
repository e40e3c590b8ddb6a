#pragma once

#include "tools/parametertable.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace wrench::parameterfile {

// The format, for --help.
QString formatHelp();

// Reads the settings of a parameter file (UTF-8, one parameter a line, see
// formatHelp()). False with "line <n>: <reason>" in error for the first line
// that does not fit; nothing is half read.
bool parse(const QByteArray& text, QList<Parameter>& parameters, QString& error);

} // namespace wrench::parameterfile
