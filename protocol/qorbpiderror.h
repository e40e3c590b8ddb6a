#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

// User texts for the error codes of the wrench's error reports: 100-113 for a
// parameter request, 200-204 for the link and the identification. "#1" in a
// text is filled by the caller from the report.
class QorbPIDError : public QObject {
    Q_OBJECT
public:
    explicit QorbPIDError(QObject* parent = nullptr);

    // The translated text of code, or "" for a code without one (also after a
    // lookup that found one).
    QString errorText(int code);

    // What an error report says beyond its numbers: its own text up to "@@",
    // else the text of its code; "\n" (backslash, n) as a line break and
    // "#n" filled with the n-th "@@" item of the report's text.
    QString reportDetail(std::uint32_t groupAndCode, const QString& reportText);

private:
    QString m_text;
};
