#include "history/csvreport.h"

namespace {

const QString degrees = QStringLiteral("\u00B0");

constexpr const char* csvColumns[] = {
    QT_TRANSLATE_NOOP("ViewHistory", "MEASUREMENT"),
    QT_TRANSLATE_NOOP("ViewHistory", "Firmware version"),
    QT_TRANSLATE_NOOP("ViewHistory", "Hardware version"),
    QT_TRANSLATE_NOOP("ViewHistory", "Device serial number"),
    QT_TRANSLATE_NOOP("ViewHistory", "Measurement mode"),
    QT_TRANSLATE_NOOP("ViewHistory", "Torque mode"),
    QT_TRANSLATE_NOOP("ViewHistory", "Measured torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Target torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Measured angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Target angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Snug torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Date of measurement"),
    QT_TRANSLATE_NOOP("ViewHistory", "Time of measurement"),
    QT_TRANSLATE_NOOP("ViewHistory", "Duration of measurement"),
    QT_TRANSLATE_NOOP("ViewHistory", "Evaluation"),
    QT_TRANSLATE_NOOP("ViewHistory", "Tolerance"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Reference working length"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Schedule"),
    QT_TRANSLATE_NOOP("ViewHistory", "Parameter set"),
    QT_TRANSLATE_NOOP("ViewHistory", "Torque check"),
    QT_TRANSLATE_NOOP("ViewHistory", "Angle check"),
    QT_TRANSLATE_NOOP("ViewHistory", "Lower torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Upper torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Lower angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Upper angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "unit"),
    QT_TRANSLATE_NOOP("ViewHistory", "Verification"),
};
static_assert(std::size(csvColumns) == 37, "the CSV report has 37 columns");

// An identity text from the wire must not shift the CSV columns: one that
// holds the separator, a quote or a line end is quoted. Nor may a
// spreadsheet take it for a formula: a leading apostrophe keeps it text.
QString csvText(const QString& wireText)
{
    static const QString formulaStart = QStringLiteral("=+-@\t\r");
    const QString text = !wireText.isEmpty() && formulaStart.contains(wireText.front()) ? u'\'' + wireText : wireText;
    static const QString special = QStringLiteral(";\"\r\n");
    for (const QChar c : text) {
        if (special.contains(c)) {
            QString quoted = text;
            quoted.replace(u'"', QStringLiteral("\"\""));
            return u'"' + quoted + u'"';
        }
    }
    return text;
}

} // namespace

CsvReportWriter::CsvReportWriter(QString& out, const ReportSettings& settings)
    : m_out(out)
    , m_format(settings.decimalSeparator, settings.translator)
    , m_identity(csvText(settings.identity.firmwareVersion) + u';' + csvText(settings.identity.hardwareVersion)
                 + u';' + csvText(settings.identity.serialNumber) + u';')
    , m_overloaded(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "(overloaded)")))
    , m_degreesUnit(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "°")))
    , m_percentUnit(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "%")))
    , m_withChecks(settings.historyMode == 2)
{
}

void CsvReportWriter::addHeader(const HistoryTranslate& translator)
{
    for (const char* column : csvColumns)
        m_out += translator(column) + u';';
    m_out += u'\n';
}

void CsvReportWriter::add(const MeasurementRecord& r)
{
    const bool torque = r.isTorqueMeasurement();
    const bool angle = r.isAngleMeasurement();
    const bool targets = r.hasTargets();
    const bool values = r.hasCheckValues();
    const bool measuredAngle = angle || (torque && targets && values);
    const bool snug = angle || (torque && values);

    field(true, r, RecordField::Number);
    m_out += m_identity;
    field(true, r, RecordField::MeasurementMode);
    field(torque, r, RecordField::TorqueMode);
    field(true, r, RecordField::MeasuredTorque);
    m_out += u' ';
    m_format.append(m_out, r, RecordField::Unit);
    if (r.overloaded != 0)
        m_out += u' ' + m_overloaded;
    m_out += u';';
    field(torque && targets, r, RecordField::TargetTorque);
    unit(torque && targets, r);
    field(measuredAngle, r, RecordField::MeasuredAngle);
    text(measuredAngle, degrees);
    field(angle, r, RecordField::TargetAngle);
    text(angle, degrees);
    field(snug, r, angle ? RecordField::SnugTorque : RecordField::CheckSnugTorque);
    unit(snug, r);
    field(true, r, RecordField::Date);
    field(true, r, RecordField::Time);
    field(true, r, RecordField::Duration);
    field(angle || (torque && targets), r, RecordField::Evaluation);
    field(!torque || targets, r, RecordField::Tolerance);
    text(!torque || targets, torque ? m_percentUnit : m_degreesUnit);
    field(true, r, RecordField::ReferenceLength);
    m_out += u"mm;";
    if (!m_withChecks) {
        m_out += u'\n';
        return;
    }
    field(true, r, RecordField::Schedule);
    field(true, r, RecordField::ParameterSet);
    field(angle && targets, r, RecordField::Check);
    field(torque && targets, r, RecordField::Check);
    field(angle && values, r, RecordField::LowerTorque);
    unit(angle && values, r);
    field(angle && values, r, RecordField::UpperTorque);
    unit(angle && values, r);
    field(torque && values, r, RecordField::LowerAngle);
    text(torque && values, degrees);
    field(torque && values, r, RecordField::UpperAngle);
    text(torque && values, degrees);
    if (values)
        m_format.append(m_out, r, RecordField::Verification);
    m_out += u'\n';
}

void CsvReportWriter::field(bool shown, const MeasurementRecord& r, RecordField which)
{
    if (shown)
        m_format.append(m_out, r, which);
    m_out += u';';
}

void CsvReportWriter::text(bool shown, const QString& value)
{
    if (shown)
        m_out += value;
    m_out += u';';
}

void CsvReportWriter::unit(bool shown, const MeasurementRecord& r)
{
    if (shown) {
        m_out += u' ';
        m_format.append(m_out, r, RecordField::Unit);
    }
    m_out += u';';
}
