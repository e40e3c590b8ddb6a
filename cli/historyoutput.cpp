#include "cli/historyoutput.h"

#include "history/recordformatter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace historyoutput {

namespace {

struct JsonField {
    RecordField field;
    const char* key;
};

constexpr JsonField jsonFields[] = {
    {RecordField::Number, "number"},
    {RecordField::Date, "date"},
    {RecordField::Time, "time"},
    {RecordField::MeasurementMode, "measurementMode"},
    {RecordField::TorqueMode, "torqueMode"},
    {RecordField::Unit, "unit"},
    {RecordField::MeasuredTorque, "measuredTorque"},
    {RecordField::TargetTorque, "targetTorque"},
    {RecordField::LowerTorque, "lowerTorque"},
    {RecordField::UpperTorque, "upperTorque"},
    {RecordField::SnugTorque, "snugTorque"},
    {RecordField::MeasuredAngle, "measuredAngle"},
    {RecordField::TargetAngle, "targetAngle"},
    {RecordField::LowerAngle, "lowerAngle"},
    {RecordField::UpperAngle, "upperAngle"},
    {RecordField::Tolerance, "tolerance"},
    {RecordField::ReferenceLength, "referenceLength"},
    {RecordField::Duration, "duration"},
    {RecordField::Schedule, "schedule"},
    {RecordField::ParameterSet, "parameterSet"},
    {RecordField::Evaluation, "evaluation"},
    {RecordField::Verification, "verification"},
    {RecordField::Check, "check"},
    {RecordField::CheckSnugTorque, "checkSnugTorque"},
};

} // namespace

ReportSettings reportSettings(const IdentityValues& identity, QChar decimalSeparator)
{
    ReportSettings settings;
    settings.identity = {identity.deviceName, identity.firmwareVersion, identity.hardwareVersion,
                         identity.serialNumber};
    settings.historyMode = identity.historyMode;
    settings.decimalSeparator = decimalSeparator;
    return settings;
}

QByteArray recordsJson(QByteArrayView block)
{
    const RecordFormatter formatter(QLatin1Char('.'), translateHistoryText);
    QJsonArray records;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        if (record.isEmpty())
            continue;
        QJsonObject object;
        for (const JsonField& field : jsonFields)
            object.insert(QLatin1String(field.key), formatter.text(record, field.field));
        records.append(object);
    }
    return QJsonDocument(records).toJson(QJsonDocument::Indented);
}

} // namespace historyoutput
