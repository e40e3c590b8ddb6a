#include "app/qorbinifile.h"

#include "app/paths.h"
#include "platform/profile.h"
#include "app/settingslog.h"

#include <QFile>

#include <climits>

namespace {

constexpr std::size_t profileBufferSize = 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Like the C library's decimal conversion, but held to the int range where
// the library's would overflow.
int leadingDecimal(const QByteArray& text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isBlank(text.at(pos)))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text.at(pos) == '+' || text.at(pos) == '-')) {
        negative = text.at(pos) == '-';
        ++pos;
    }
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; pos < text.size() && isDigit(text.at(pos)); ++pos) {
        magnitude = magnitude * 10 + (text.at(pos) - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::string fileArgument(const QString& fileName)
{
    return QFile::encodeName(fileName).toStdString();
}

std::string textArgument(const QString& text)
{
    return text.toLatin1().toStdString();
}

} // namespace

QorbInifile::QorbInifile()
    : m_strTempFile(paths::settingsFileInUse(paths::startPath()))
{
    qCDebug(lcSettings).noquote().nospace() << "QorbInifile::m_strTempFile = " << m_strTempFile;
}

void QorbInifile::setFileName(const QString& name, bool absolute)
{
    m_strTempFile = absolute ? name : paths::writableFolder(paths::startPath()) + name;
}

QByteArray QorbInifile::readRaw(const QString& section, const QString& key) const
{
    const std::string value = platform::readProfileString(
        fileArgument(m_strTempFile), textArgument(section), textArgument(key), std::string(),
        profileBufferSize);
    return QByteArray::fromStdString(value);
}

QString QorbInifile::readString(const QString& section, const QString& key,
                                const QString& defaultValue, bool writeIfMissing)
{
    const QByteArray value = readRaw(section, key);
    if (!value.isEmpty())
        return QString::fromLatin1(value);
    if (writeIfMissing)
        writeString(section, key, defaultValue);
    return defaultValue;
}

int QorbInifile::readInt(const QString& section, const QString& key, int defaultValue,
                         bool writeIfMissing)
{
    const QByteArray value = readRaw(section, key);
    if (!value.isEmpty())
        return leadingDecimal(value);
    if (writeIfMissing)
        writeInt(section, key, defaultValue);
    return defaultValue;
}

bool QorbInifile::writeString(const QString& section, const QString& key, const QString& value)
{
    const bool written = platform::writeProfileString(
        fileArgument(m_strTempFile), textArgument(section), textArgument(key), textArgument(value));
    if (!written)
        qCWarning(lcSettings) << "Cannot write" << section << key << "to" << m_strTempFile;
    return written;
}

bool QorbInifile::writeInt(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}
