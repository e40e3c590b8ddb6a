#include "history/textreport.h"

namespace {

constexpr int LabelWidth = 25;
constexpr int RuleWidth = 47;

constexpr const char* lineTexts[] = {
    QT_TRANSLATE_NOOP("ViewHistory", "Measurement mode"),
    QT_TRANSLATE_NOOP("ViewHistory", "Torque mode"),
    QT_TRANSLATE_NOOP("ViewHistory", "Measured torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "Target torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "Measured angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "Target angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "Snug torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "Date of measurement"),
    QT_TRANSLATE_NOOP("ViewHistory", "Time of measurement"),
    QT_TRANSLATE_NOOP("ViewHistory", "Duration of measurement"),
    QT_TRANSLATE_NOOP("ViewHistory", "Evaluation"),
    QT_TRANSLATE_NOOP("ViewHistory", "Tolerance"),
    QT_TRANSLATE_NOOP("ViewHistory", "Reference working length"),
    QT_TRANSLATE_NOOP("ViewHistory", "Schedule"),
    QT_TRANSLATE_NOOP("ViewHistory", "Parameter set"),
    QT_TRANSLATE_NOOP("ViewHistory", "Torque check"),
    QT_TRANSLATE_NOOP("ViewHistory", "Angle check"),
    QT_TRANSLATE_NOOP("ViewHistory", "Lower torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "Upper torque"),
    QT_TRANSLATE_NOOP("ViewHistory", "Lower angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "Upper angle"),
    QT_TRANSLATE_NOOP("ViewHistory", "Verification"),
};

// Header label: two spaces and the text, padded to the label width.
QString headerLabel(const HistoryTranslate& translator, const char* text)
{
    return QString(QStringLiteral("  ") + translator(text)).leftJustified(LabelWidth);
}

} // namespace

TextReportWriter::TextReportWriter(QString& out, const ReportSettings& settings)
    : m_out(out)
    , m_format(settings.decimalSeparator, settings.translator)
    , m_measurement(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "MEASUREMENT")).leftJustified(LabelWidth))
    , m_rule(u'\n' + QString(RuleWidth, u'-') + u'\n')
    , m_overloaded(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "(overloaded)")))
    , m_withChecks(settings.historyMode == 2)
{
    static_assert(std::size(lineTexts) == static_cast<std::size_t>(Line::Count), "one text per line");
    for (std::size_t i = 0; i < m_labels.size(); ++i)
        m_labels[i] = QString(u' ' + settings.translator(lineTexts[i])).leftJustified(LabelWidth) + QStringLiteral(": ");
}

void TextReportWriter::add(const MeasurementRecord& r)
{
    const bool torque = r.isTorqueMeasurement();
    const bool angle = r.isAngleMeasurement();
    const bool targets = r.hasTargets();

    m_out += m_measurement;
    m_format.append(m_out, r, RecordField::Number);
    m_out += m_rule;

    line(Line::MeasurementMode, r, RecordField::MeasurementMode);
    if (torque)
        line(Line::TorqueMode, r, RecordField::TorqueMode);
    if (torque || (angle && r.checkFlag == 0))
        measuredTorqueLine(r);
    if (torque && targets)
        torqueLine(Line::TargetTorque, r, RecordField::TargetTorque);
    if (angle) {
        angleLine(Line::MeasuredAngle, r, RecordField::MeasuredAngle);
        angleLine(Line::TargetAngle, r, RecordField::TargetAngle);
        torqueLine(Line::SnugTorque, r, RecordField::SnugTorque);
    }
    line(Line::Date, r, RecordField::Date);
    line(Line::Time, r, RecordField::Time);
    line(Line::Duration, r, RecordField::Duration);
    if (angle || (torque && targets))
        line(Line::Evaluation, r, RecordField::Evaluation);
    if (!torque)
        line(Line::Tolerance, r, RecordField::Tolerance, u" \u00B0");
    else if (targets)
        line(Line::Tolerance, r, RecordField::Tolerance, u" %");
    line(Line::ReferenceLength, r, RecordField::ReferenceLength, u" mm");
    if (m_withChecks)
        addChecks(r);
    m_out += u"\n\n\n";
}

void TextReportWriter::addChecks(const MeasurementRecord& r)
{
    const bool torque = r.isTorqueMeasurement();
    const bool angle = r.isAngleMeasurement();
    const bool targets = r.hasTargets();
    const bool values = r.hasCheckValues();

    line(Line::Schedule, r, RecordField::Schedule);
    if (r.schedule() != 0)
        line(Line::ParameterSet, r, RecordField::ParameterSet);
    if (angle && targets)
        line(Line::TorqueCheck, r, RecordField::Check);
    if (angle && values)
        measuredTorqueLine(r);
    if (torque && targets)
        line(Line::AngleCheck, r, RecordField::Check);
    if (torque && targets && values) {
        angleLine(Line::MeasuredAngle, r, RecordField::MeasuredAngle);
        torqueLine(Line::SnugTorque, r, RecordField::CheckSnugTorque);
    }
    if (angle && values) {
        torqueLine(Line::LowerTorque, r, RecordField::LowerTorque);
        torqueLine(Line::UpperTorque, r, RecordField::UpperTorque);
    }
    if (torque && targets && values) {
        angleLine(Line::LowerAngle, r, RecordField::LowerAngle);
        angleLine(Line::UpperAngle, r, RecordField::UpperAngle);
    }
    if (targets && values) {
        // No line end of its own: the block's closing line ends follow.
        m_out += label(Line::Verification);
        m_format.append(m_out, r, RecordField::Verification);
    }
}

void TextReportWriter::line(Line which, const MeasurementRecord& r, RecordField field, QStringView suffix)
{
    m_out += label(which);
    m_format.append(m_out, r, field);
    m_out += suffix;
    m_out += u'\n';
}

void TextReportWriter::angleLine(Line which, const MeasurementRecord& r, RecordField field)
{
    line(which, r, field, u" \u00B0");
}

void TextReportWriter::torqueLine(Line which, const MeasurementRecord& r, RecordField field)
{
    m_out += label(which);
    m_format.append(m_out, r, field);
    m_out += u' ';
    m_format.append(m_out, r, RecordField::Unit);
    m_out += u'\n';
}

void TextReportWriter::measuredTorqueLine(const MeasurementRecord& r)
{
    m_out += label(Line::MeasuredTorque);
    m_format.append(m_out, r, RecordField::MeasuredTorque);
    m_out += u' ';
    m_format.append(m_out, r, RecordField::Unit);
    if (r.overloaded != 0)
        m_out += u' ' + m_overloaded;
    m_out += u'\n';
}
QString buildReportHeader(qsizetype blockLength, const ReportSettings& settings, const QDateTime& reportTime)
{
    const HistoryTranslate& translator = settings.translator;
    const ReportIdentity& id = settings.identity;
    const QString hashes(19, u'#');
    return u'\n' + hashes + QStringLiteral("  TOLVO  ") + hashes + u'\n'
           + headerLabel(translator, QT_TRANSLATE_NOOP("ViewHistory", "Total measurements:"))
           + QString::number(static_cast<quint64>(blockLength) / MeasurementRecord::Size) + u'\n'
           + headerLabel(translator, QT_TRANSLATE_NOOP("ViewHistory", "Report date:"))
           + reportTime.toString(QStringLiteral("dd/MM/yyyy  hh:mm")) + u'\n'
           + headerLabel(translator, QT_TRANSLATE_NOOP("ViewHistory", "Device name:")) + id.deviceName + u'\n'
           + headerLabel(translator, QT_TRANSLATE_NOOP("ViewHistory", "Firmware version:")) + id.firmwareVersion + u'\n'
           + headerLabel(translator, QT_TRANSLATE_NOOP("ViewHistory", "Hardware version:")) + id.hardwareVersion + u'\n'
           + headerLabel(translator, QT_TRANSLATE_NOOP("ViewHistory", "Device serial number:")) + id.serialNumber + u'\n'
           + QString(RuleWidth, u'#') + QStringLiteral("\n\n\n\n\n");
}

