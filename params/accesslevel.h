#pragma once

#include <QByteArray>
#include <QString>

// The wrench's access level (parameter 5) and the two codes the tool writes
// to it.
namespace accesslevel {

constexpr int ServiceLevel = 3;

// Raises the level to service level; text, encoded by parameter 5's own
// description.
QString textCode();
// Opens the stored history: 583019 as a 32-bit number, least significant
// byte first.
QByteArray readoutCode();

// levelText: parameter 5's value as its description shows it.
bool isServiceLevel(const QString& levelText);

} // namespace accesslevel
