#pragma once

#include <QChar>
#include <QString>

// The settings file's "SETUP" section as every program of the tool reads it:
// the same keys' defaults, whoever reads them first.
namespace setupdefaults {

inline const QString Section = QStringLiteral("SETUP");
constexpr int BaudRate = 57600;
inline const QString Language = QStringLiteral("GERMAN");
inline const QString DecimalSeparator = QStringLiteral(",");

// The reports' separator from the stored text: its first character, none for
// an empty text.
inline QChar separatorOf(const QString& stored)
{
    return stored.isEmpty() ? QChar() : stored.front();
}

} // namespace setupdefaults
