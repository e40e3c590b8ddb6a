#include "protocol/qorbpiderror.h"

#include <QStringList>

namespace {

struct CodeText {
    int code;
    const char* text;
};

const CodeText codeTexts[] = {
    {100, QT_TRANSLATE_NOOP("QorbPIDError", "no error")},
    {101, QT_TRANSLATE_NOOP("QorbPIDError", "not writable, cause value exceeds max value\nID = #1")},
    {102, QT_TRANSLATE_NOOP("QorbPIDError", "not writable, cause value under-runs min value\nID = #1")},
    {103, QT_TRANSLATE_NOOP("QorbPIDError", "not writable at the moment\nID = #1")},
    {104, QT_TRANSLATE_NOOP("QorbPIDError", "error wrong message content size\nID = #1")},
    {105, QT_TRANSLATE_NOOP("QorbPIDError", "not available\nID = #1")},
    {106, QT_TRANSLATE_NOOP("QorbPIDError", "not writable, because of Service level (value is read-only)\nID = #1")},
    {107, QT_TRANSLATE_NOOP("QorbPIDError", "general error\nID = #1")},
    {108, QT_TRANSLATE_NOOP("QorbPIDError", "wrong index for parameter\nID = #1")},
    {109, QT_TRANSLATE_NOOP("QorbPIDError", "parameter temporarily not readable\nID = #1")},
    {110, QT_TRANSLATE_NOOP("QorbPIDError", "parameter temporarily not writable\nID = #1")},
    {111, QT_TRANSLATE_NOOP("QorbPIDError", "internal buffer too small for transmission\nID = #1")},
    {112, QT_TRANSLATE_NOOP("QorbPIDError", "wrong type\nID = #1")},
    {113, QT_TRANSLATE_NOOP("QorbPIDError", "not readable\nID = #1")},
    {200, QT_TRANSLATE_NOOP("QorbPIDError", "general COM error")},
    {201, QT_TRANSLATE_NOOP("QorbPIDError", "unknown")},
    {202, QT_TRANSLATE_NOOP("QorbPIDError", "wrong terminal name")},
    {203, QT_TRANSLATE_NOOP("QorbPIDError", "wrong terminal version")},
    {204, QT_TRANSLATE_NOOP("QorbPIDError", "not connected")},
};

} // namespace

QorbPIDError::QorbPIDError(QObject* parent)
    : QObject(parent)
{
}

QString QorbPIDError::errorText(int code)
{
    m_text.clear();
    for (const CodeText& entry : codeTexts) {
        if (entry.code == code) {
            m_text = tr(entry.text);
            break;
        }
    }
    return m_text;
}

QString QorbPIDError::reportDetail(std::uint32_t groupAndCode, const QString& reportText)
{
    const QStringList parts = reportText.split(QStringLiteral("@@"));
    QString detail = parts.first();
    if (detail.isEmpty())
        detail = errorText(static_cast<int>(groupAndCode));
    detail.replace(QLatin1String("\\n"), QLatin1String("\n"));
    for (qsizetype i = 1; i < parts.size(); ++i)
        detail.replace(QLatin1Char('#') + QString::number(i), parts[i]);
    return detail;
}
