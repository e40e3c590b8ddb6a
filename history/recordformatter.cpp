#include "history/recordformatter.h"

#include <QCoreApplication>

namespace {

// Integers are written digit by digit: the reports format some forty values
// per record, and a temporary string for each would dominate the build.
void appendInteger(QString& out, qint64 value, int width = 0)
{
    char16_t digits[24];
    int start = 24;
    quint64 magnitude = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    do {
        digits[--start] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--start] = u'-';
    // Zeros go in front of the whole text, sign included, and nothing is cut.
    for (int length = 24 - start; length < width; ++length)
        out += u'0';
    out.append(reinterpret_cast<const QChar*>(digits + start), 24 - start);
}

// value / 10^decimals with exactly that many decimals, as fixed-point
// formatting of the quotient gives it.
void appendFixed(QString& out, qint64 scaled, int decimals, QChar separator)
{
    qint64 unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    const quint64 magnitude = scaled < 0 ? 0 - static_cast<quint64>(scaled) : static_cast<quint64>(scaled);
    if (scaled < 0)
        out += u'-';
    appendInteger(out, static_cast<qint64>(magnitude / static_cast<quint64>(unit)));
    out += separator;
    appendInteger(out, static_cast<qint64>(magnitude % static_cast<quint64>(unit)), decimals);
}

// Tenths in the general format with six significant digits: no trailing
// ".0" (90.0 gives 90); an unsigned 16-bit value never needs an exponent.
void appendGeneralTenths(QString& out, quint16 tenths, QChar separator)
{
    appendInteger(out, tenths / 10);
    if (tenths % 10 != 0) {
        out += separator;
        appendInteger(out, tenths % 10);
    }
}

// Three counters like a time of day: two digits each, joined by ":".
void appendClock(QString& out, int first, int second, int third)
{
    appendInteger(out, first, 2);
    out += u':';
    appendInteger(out, second, 2);
    out += u':';
    appendInteger(out, third, 2);
}

const QString& noText()
{
    static const QString empty;
    return empty;
}

} // namespace

const QString& unitName(quint8 torqueUnit)
{
    static const QString names[] = {QStringLiteral("Nm"), QStringLiteral("Lbf ft"),
                                    QStringLiteral("Lbf in"), QStringLiteral("Kgf m"), QString()};
    return names[qMin<int>(torqueUnit, 4)];
}

QString translateHistoryText(const char* sourceText)
{
    return QCoreApplication::translate("ViewHistory", sourceText);
}

RecordFormatter::RecordFormatter(QChar decimalSeparator, const HistoryTranslate& translator)
    : m_separator(decimalSeparator)
    , m_minus(translator(QT_TRANSLATE_NOOP("ViewHistory", "-")))
    , m_torque(translator(QT_TRANSLATE_NOOP("ViewHistory", "Torque")))
    , m_angle(translator(QT_TRANSLATE_NOOP("ViewHistory", "Angle")))
    , m_displaying(translator(QT_TRANSLATE_NOOP("ViewHistory", "displaying")))
    , m_triggering(translator(QT_TRANSLATE_NOOP("ViewHistory", "triggering")))
    , m_notOk(translator(QT_TRANSLATE_NOOP("ViewHistory", "n.OK")))
    , m_ok(translator(QT_TRANSLATE_NOOP("ViewHistory", "OK")))
    , m_unknown(translator(QT_TRANSLATE_NOOP("ViewHistory", "unknown")))
    , m_yes(translator(QT_TRANSLATE_NOOP("ViewHistory", "YES")))
    , m_no(translator(QT_TRANSLATE_NOOP("ViewHistory", "NO")))
    , m_noSchedule(translator(QT_TRANSLATE_NOOP("ViewHistory", "No schedule")))
    , m_noPreset(translator(QT_TRANSLATE_NOOP("ViewHistory", "No preset")))
    , m_noParameter(translator(QT_TRANSLATE_NOOP("ViewHistory", "No parameter")))
{
}

const QString& RecordFormatter::choice(int value, const QString& zero, const QString& one) const
{
    return value == 0 ? zero : value == 1 ? one : m_unknown;
}

const QString& RecordFormatter::signPrefix(const MeasurementRecord& record) const
{
    return record.negative != 0 ? m_minus : noText();
}

void RecordFormatter::appendTenths(QString& out, const MeasurementRecord& record, qint64 tenths) const
{
    out += signPrefix(record);
    appendFixed(out, tenths, 1, m_separator);
}

void RecordFormatter::appendSchedule(QString& out, const MeasurementRecord& record) const
{
    const int schedule = record.schedule();
    if (schedule >= 1 && schedule <= 10) {
        out += u'A';
        appendInteger(out, schedule);
    } else {
        out += m_noSchedule;
    }
    if (schedule == 0)
        return;
    const int preset = record.presetField();
    if (preset <= 9) {
        out += u'.';
        appendInteger(out, preset + 1);
    } else {
        out += m_noPreset;
    }
}

void RecordFormatter::append(QString& out, const MeasurementRecord& record, RecordField field) const
{
    switch (field) {
    case RecordField::Number:
        appendInteger(out, record.number);
        break;
    case RecordField::MeasuredTorque:
        appendFixed(out, record.measuredTorque, 2, m_separator);
        break;
    case RecordField::TargetTorque:
        appendTenths(out, record, record.targetTorque);
        break;
    case RecordField::MeasuredAngle:
        out += signPrefix(record);
        appendGeneralTenths(out, record.measuredAngle, m_separator);
        break;
    case RecordField::TargetAngle:
        appendTenths(out, record, qint64{record.targetAngle} * 10);
        break;
    case RecordField::SnugTorque:
        appendTenths(out, record, record.snugTorque);
        break;
    case RecordField::CheckSnugTorque:
        appendTenths(out, record, record.checkSnugTorque);
        break;
    case RecordField::LowerTorque:
        appendTenths(out, record, record.lowerTorque);
        break;
    case RecordField::UpperTorque:
        appendTenths(out, record, record.upperTorque);
        break;
    case RecordField::LowerAngle:
        out += signPrefix(record);
        appendInteger(out, record.lowerAngle);
        break;
    case RecordField::UpperAngle:
        out += signPrefix(record);
        appendInteger(out, record.upperAngle);
        break;
    case RecordField::Tolerance:
        appendFixed(out, record.isTorqueMeasurement() ? qint64{record.tolerance} : qint64{record.tolerance} * 10, 1,
                    m_separator);
        break;
    case RecordField::ReferenceLength:
        appendFixed(out, record.referenceLength, 1, m_separator);
        break;
    case RecordField::Date:
        appendInteger(out, record.day, 2);
        out += u'.';
        appendInteger(out, record.month, 2);
        out += u".2";
        appendInteger(out, record.year, 3);
        break;
    case RecordField::Time:
        appendClock(out, record.hour, record.minute, record.second);
        break;
    case RecordField::Duration:
        appendClock(out, record.duration[0], record.duration[1], record.duration[2]);
        break;
    case RecordField::Schedule:
        appendSchedule(out, record);
        break;
    case RecordField::ParameterSet:
        if (record.parameterSet >= 1 && record.parameterSet <= 10) {
            out += u'P';
            appendInteger(out, record.parameterSet);
        } else {
            out += m_noParameter;
        }
        break;
    case RecordField::MeasurementMode:
        out += choice(record.measurementMode(), m_torque, m_angle);
        break;
    case RecordField::TorqueMode:
        out += choice(record.torqueMode(), m_displaying, m_triggering);
        break;
    case RecordField::Evaluation:
        out += choice(record.evaluation, m_notOk, m_ok);
        break;
    case RecordField::Verification:
        out += choice(record.verification, m_notOk, m_ok);
        break;
    case RecordField::Check:
        out += record.isCheckShown() ? m_yes : m_no;
        break;
    case RecordField::Unit:
        out += unitName(record.torqueUnit);
        break;
    }
}

QString RecordFormatter::text(const MeasurementRecord& record, RecordField field) const
{
    QString out;
    append(out, record, field);
    return out;
}
