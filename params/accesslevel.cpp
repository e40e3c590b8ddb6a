#include "params/accesslevel.h"

#include <QtEndian>

namespace accesslevel {

namespace {
constexpr quint32 ReadoutCodeNumber = 583019;
} // namespace

QString textCode()
{
    return QStringLiteral("720356");
}

QByteArray readoutCode()
{
    char code[4];
    qToLittleEndian(ReadoutCodeNumber, code);
    return QByteArray(code, sizeof code);
}

bool isServiceLevel(const QString& levelText)
{
    return levelText.toInt() >= ServiceLevel;
}

} // namespace accesslevel
