#include "history/historyreports.h"

#include <array>

namespace {

constexpr int LabelWidth = 25;
constexpr int RuleWidth = 47;
const QString degrees = QStringLiteral("\u00B0");

// Labels of the text report's record lines.
enum class Line {
    MeasurementMode,
    TorqueMode,
    MeasuredTorque,
    TargetTorque,
    MeasuredAngle,
    TargetAngle,
    SnugTorque,
    Date,
    Time,
    Duration,
    Evaluation,
    Tolerance,
    ReferenceLength,
    Schedule,
    ParameterSet,
    TorqueCheck,
    AngleCheck,
    LowerTorque,
    UpperTorque,
    LowerAngle,
    UpperAngle,
    Verification,
    Count
};

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
static_assert(std::size(lineTexts) == static_cast<std::size_t>(Line::Count), "one text per line");

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

// Header label: two spaces and the text, padded to the label width.
QString headerLabel(const HistoryTranslate& translator, const char* text)
{
    return QString(QStringLiteral("  ") + translator(text)).leftJustified(LabelWidth);
}

// An identity text from the wire must not shift the CSV columns: one that
// holds the separator, a quote or a line end is quoted.
QString csvText(const QString& text)
{
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

// One block per record, the text report's body.
class TextReportWriter
{
public:
    TextReportWriter(QString& out, const ReportSettings& settings)
        : m_out(out)
        , m_format(settings.decimalSeparator, settings.translator)
        , m_measurement(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "MEASUREMENT")).leftJustified(LabelWidth))
        , m_rule(u'\n' + QString(RuleWidth, u'-') + u'\n')
        , m_overloaded(settings.translator(QT_TRANSLATE_NOOP("ViewHistory", "(overloaded)")))
        , m_withChecks(settings.historyMode == 2)
    {
        for (std::size_t i = 0; i < m_labels.size(); ++i)
            m_labels[i] = QString(u' ' + settings.translator(lineTexts[i])).leftJustified(LabelWidth) + QStringLiteral(": ");
    }

    void add(const MeasurementRecord& r)
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

private:
    void addChecks(const MeasurementRecord& r)
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

    const QString& label(Line which) const { return m_labels[static_cast<std::size_t>(which)]; }

    void line(Line which, const MeasurementRecord& r, RecordField field, QStringView suffix = {})
    {
        m_out += label(which);
        m_format.append(m_out, r, field);
        m_out += suffix;
        m_out += u'\n';
    }

    void angleLine(Line which, const MeasurementRecord& r, RecordField field)
    {
        line(which, r, field, u" \u00B0");
    }

    void torqueLine(Line which, const MeasurementRecord& r, RecordField field)
    {
        m_out += label(which);
        m_format.append(m_out, r, field);
        m_out += u' ';
        m_format.append(m_out, r, RecordField::Unit);
        m_out += u'\n';
    }

    void measuredTorqueLine(const MeasurementRecord& r)
    {
        m_out += label(Line::MeasuredTorque);
        m_format.append(m_out, r, RecordField::MeasuredTorque);
        m_out += u' ';
        m_format.append(m_out, r, RecordField::Unit);
        if (r.overloaded != 0)
            m_out += u' ' + m_overloaded;
        m_out += u'\n';
    }

    QString& m_out;
    RecordFormatter m_format;
    QString m_measurement;
    QString m_rule;
    QString m_overloaded;
    std::array<QString, static_cast<std::size_t>(Line::Count)> m_labels;
    bool m_withChecks;
};

// One row per record, the CSV report's body.
class CsvReportWriter
{
public:
    CsvReportWriter(QString& out, const ReportSettings& settings)
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

    void addHeader(const HistoryTranslate& translator)
    {
        for (const char* column : csvColumns)
            m_out += translator(column) + u';';
        m_out += u'\n';
    }

    void add(const MeasurementRecord& r)
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

private:
    void field(bool shown, const MeasurementRecord& r, RecordField which)
    {
        if (shown)
            m_format.append(m_out, r, which);
        m_out += u';';
    }

    void text(bool shown, const QString& value)
    {
        if (shown)
            m_out += value;
        m_out += u';';
    }

    // A blank and the torque unit.
    void unit(bool shown, const MeasurementRecord& r)
    {
        if (shown) {
            m_out += u' ';
            m_format.append(m_out, r, RecordField::Unit);
        }
        m_out += u';';
    }

    QString& m_out;
    RecordFormatter m_format;
    QString m_identity;
    QString m_overloaded;
    QString m_degreesUnit;
    QString m_percentUnit;
    bool m_withChecks;
};

// Typical sizes of one record's text, so that a long history grows its
// strings only a few times.
constexpr qsizetype TextPerRecord = 640;
constexpr qsizetype CsvPerRecord = 160;

template<typename Visit>
void forEachRecord(QByteArrayView block, Visit visit)
{
    const qsizetype count = MeasurementRecord::countIn(block);
    for (qsizetype i = 0; i < count; ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        if (!record.isEmpty())
            visit(record);
    }
}

} // namespace

QString buildReportHeader(qsizetype blockLength, const ReportSettings& settings, const QDateTime& reportTime)
{
    const HistoryTranslate& translator = settings.translator;
    const DeviceIdentity& id = settings.identity;
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

QString buildTextReport(QByteArrayView block, const ReportSettings& settings, const QDateTime& reportTime)
{
    QString text = buildReportHeader(block.size(), settings, reportTime);
    text.reserve(text.size() + MeasurementRecord::countIn(block) * TextPerRecord);
    TextReportWriter writer(text, settings);
    forEachRecord(block, [&](const MeasurementRecord& r) { writer.add(r); });
    return text;
}

QString buildCsvReport(QByteArrayView block, const ReportSettings& settings)
{
    QString csv;
    csv.reserve((MeasurementRecord::countIn(block) + 1) * CsvPerRecord);
    CsvReportWriter writer(csv, settings);
    writer.addHeader(settings.translator);
    forEachRecord(block, [&](const MeasurementRecord& r) { writer.add(r); });
    return csv;
}

HistoryReports buildReports(QByteArrayView block, const ReportSettings& settings, const QDateTime& reportTime)
{
    HistoryReports reports;
    reports.text = buildReportHeader(block.size(), settings, reportTime);
    reports.text.reserve(reports.text.size() + MeasurementRecord::countIn(block) * TextPerRecord);
    reports.csv.reserve((MeasurementRecord::countIn(block) + 1) * CsvPerRecord);
    TextReportWriter text(reports.text, settings);
    CsvReportWriter csv(reports.csv, settings);
    csv.addHeader(settings.translator);
    forEachRecord(block, [&](const MeasurementRecord& r) {
        text.add(r);
        csv.add(r);
    });
    return reports;
}
