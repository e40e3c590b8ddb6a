// The record's layout and the text of each of its fields, from fixed bytes.

#include "history/recordformatter.h"

#include "recordbytes.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(RecordField)

namespace {

QString untranslated(const char* text)
{
    return QString::fromUtf8(text);
}

MeasurementRecord decoded(const QByteArray& bytes)
{
    return MeasurementRecord::decode(reinterpret_cast<const uchar*>(bytes.constData()));
}

} // namespace

class TestMeasurementRecord : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryFieldLittleEndian();
    void blockHoldsWholeRecordsOnly_data();
    void blockHoldsWholeRecordsOnly();
    void lastWholeRecordIsReadWithinTheBlock();
    void fieldText_data();
    void fieldText();
    void numbersAgreeWithFixedAndGeneralFormatting();
    void enumerationsAndPrefixAreTranslated();
};

void TestMeasurementRecord::decodesEveryFieldLittleEndian()
{
    // Written byte by byte from the layout; unused bytes are 0xFF.
    const QByteArray bytes = QByteArray::fromHex("31"         // modeFlags
                                                 "C7CFFFFF"   // measuredTorque -12345
                                                 "3412"       // targetTorque
                                                 "02"         // torqueUnit
                                                 "8903"       // measuredAngle 905
                                                 "5A00"       // targetAngle 90
                                                 "CDAB"       // number
                                                 "7B0CFF1F"   // year 123, month 12, unused, day 31
                                                 "173BFE"     // 23:59, second -2
                                                 "01807F"     // duration 1, -128, 127
                                                 "02"         // evaluation
                                                 "0201"       // tolerance
                                                 "C409"       // referenceLength 2500
                                                 "0AA301"     // parameterSet, schedulePreset, checkFlag
                                                 "EFBEFFFF"   // checkSnugTorque, unused
                                                 "03020504"   // lowerAngle, upperAngle
                                                 "07060908"   // snugTorque, lowerTorque
                                                 "FFFF010501" // upperTorque, verification, overloaded, negative
                                                 "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    QCOMPARE(bytes.size(), MeasurementRecord::Size);
    const MeasurementRecord r = decoded(bytes);
    QCOMPARE(r.modeFlags, 0x31);
    QCOMPARE(r.measurementMode(), 1);
    QCOMPARE(r.torqueMode(), 3);
    QCOMPARE(r.measuredTorque, -12345);
    QCOMPARE(r.targetTorque, 0x1234);
    QCOMPARE(r.torqueUnit, 2);
    QCOMPARE(r.measuredAngle, 905);
    QCOMPARE(r.targetAngle, 90);
    QCOMPARE(r.number, 0xABCD);
    QCOMPARE(r.year, 123);
    QCOMPARE(r.month, 12);
    QCOMPARE(r.day, 31);
    QCOMPARE(r.hour, 23);
    QCOMPARE(r.minute, 59);
    QCOMPARE(r.second, -2);
    QCOMPARE(r.duration[0], 1);
    QCOMPARE(r.duration[1], -128);
    QCOMPARE(r.duration[2], 127);
    QCOMPARE(r.evaluation, 2);
    QCOMPARE(r.tolerance, 0x0102);
    QCOMPARE(r.referenceLength, 2500);
    QCOMPARE(r.parameterSet, 10);
    QCOMPARE(r.schedulePreset, 0xA3);
    QCOMPARE(r.schedule(), 3);
    QCOMPARE(r.presetField(), 10);
    QCOMPARE(r.checkFlag, 1);
    QCOMPARE(r.checkSnugTorque, 0xBEEF);
    QCOMPARE(r.lowerAngle, 0x0203);
    QCOMPARE(r.upperAngle, 0x0405);
    QCOMPARE(r.snugTorque, 0x0607);
    QCOMPARE(r.lowerTorque, 0x0809);
    QCOMPARE(r.upperTorque, 0xFFFF);
    QCOMPARE(r.verification, 1);
    QCOMPARE(r.overloaded, 5);
    QCOMPARE(r.negative, 1);
}

void TestMeasurementRecord::blockHoldsWholeRecordsOnly_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("records");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("one byte short of a record") << 63 << 0;
    QTest::newRow("one record") << 64 << 1;
    QTest::newRow("one record and a partial one") << 127 << 1;
    QTest::newRow("two records") << 128 << 2;
    QTest::newRow("two records and two bytes") << 130 << 2;
}

void TestMeasurementRecord::blockHoldsWholeRecordsOnly()
{
    QFETCH(int, length);
    QFETCH(int, records);
    const QByteArray block(length, '\x01');
    QCOMPARE(MeasurementRecord::countIn(block), records);
}

void TestMeasurementRecord::lastWholeRecordIsReadWithinTheBlock()
{
    // A heap block of exactly 64 + 63 bytes: the sanitizers catch a read of
    // the partial record's missing byte.
    const QByteArray second = recordBytes({field::number(2), field::negative(1)});
    const std::size_t length = 64 + 63;
    auto block = std::make_unique<char[]>(length);
    std::fill(block.get(), block.get() + length, '\0');
    std::copy(second.begin(), second.begin() + 63, block.get() + 64);
    const QByteArrayView view(block.get(), static_cast<qsizetype>(length));
    QCOMPARE(MeasurementRecord::countIn(view), 1);
    QCOMPARE(MeasurementRecord::at(view, 0).number, 0);
}

void TestMeasurementRecord::fieldText_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<RecordField>("field");
    QTest::addColumn<QString>("text");
    using F = RecordField;
    auto row = [&](const char* name, std::initializer_list<FieldBytes> bytes, F f, const char* text,
                   QChar separator = QChar(u',')) {
        QTest::newRow(name) << recordBytes(bytes) << separator << f << QString::fromUtf8(text);
    };

    // Measured torque: hundredths, its own sign, the flag adds none.
    row("torque -12345", {field::measuredTorque(-12345)}, F::MeasuredTorque, "-123,45");
    row("torque -12345 flagged negative", {field::measuredTorque(-12345), field::negative(1)}, F::MeasuredTorque,
        "-123,45");
    row("torque -5", {field::measuredTorque(-5)}, F::MeasuredTorque, "-0,05");
    row("torque 0", {}, F::MeasuredTorque, "0,00");
    row("torque largest", {field::measuredTorque(2147483647)}, F::MeasuredTorque, "21474836,47");
    row("torque smallest", {field::measuredTorque(-2147483647 - 1)}, F::MeasuredTorque, "-21474836,48");
    row("torque with point", {field::measuredTorque(12345)}, F::MeasuredTorque, "123.45", QChar(u'.'));
    row("torque with semicolon", {field::measuredTorque(100)}, F::MeasuredTorque, "1;00", QChar(u';'));

    // Tenths of the torque unit behind the sign prefix.
    row("target torque", {field::targetTorque(1200)}, F::TargetTorque, "120,0");
    row("target torque negative", {field::targetTorque(1200), field::negative(1)}, F::TargetTorque, "-120,0");
    row("target torque largest", {field::targetTorque(65535)}, F::TargetTorque, "6553,5");
    row("snug torque", {field::snugTorque(250), field::checkSnugTorque(9)}, F::SnugTorque, "25,0");
    row("check snug torque", {field::snugTorque(250), field::checkSnugTorque(5)}, F::CheckSnugTorque, "0,5");
    row("lower torque negative", {field::lowerTorque(400), field::negative(2)}, F::LowerTorque, "-40,0");
    row("upper torque", {field::upperTorque(601)}, F::UpperTorque, "60,1");

    // Angles.
    row("angle 900", {field::measuredAngle(900)}, F::MeasuredAngle, "90");
    row("angle 905", {field::measuredAngle(905)}, F::MeasuredAngle, "90,5");
    row("angle 0", {}, F::MeasuredAngle, "0");
    row("angle 1", {field::measuredAngle(1)}, F::MeasuredAngle, "0,1");
    row("angle largest", {field::measuredAngle(65535)}, F::MeasuredAngle, "6553,5");
    row("angle negative", {field::measuredAngle(905), field::negative(1)}, F::MeasuredAngle, "-90,5");
    row("target angle 90", {field::targetAngle(90)}, F::TargetAngle, "90,0");
    row("target angle negative", {field::targetAngle(90), field::negative(1)}, F::TargetAngle, "-90,0");
    row("target angle with point", {field::targetAngle(45)}, F::TargetAngle, "45.0", QChar(u'.'));
    row("lower angle 90", {field::lowerAngle(90)}, F::LowerAngle, "90");
    row("lower angle negative", {field::lowerAngle(90), field::negative(1)}, F::LowerAngle, "-90");
    row("upper angle 360", {field::upperAngle(360)}, F::UpperAngle, "360");

    // Tolerance: percent tenths for a torque measurement, degrees otherwise.
    row("tolerance torque", {field::tolerance(40)}, F::Tolerance, "4,0");
    row("tolerance angle", {field::modeFlags(0x11), field::tolerance(5)}, F::Tolerance, "5,0");
    row("tolerance unknown mode", {field::modeFlags(0x07), field::tolerance(7)}, F::Tolerance, "7,0");
    row("tolerance has no prefix", {field::tolerance(40), field::negative(1)}, F::Tolerance, "4,0");
    row("reference length", {field::referenceLength(2500)}, F::ReferenceLength, "250,0");
    row("reference length semicolon", {field::referenceLength(2505)}, F::ReferenceLength, "250;5", QChar(u';'));
    row("number largest", {field::number(65535)}, F::Number, "65535");

    // Units, not translated.
    row("unit 0", {field::torqueUnit(0)}, F::Unit, "Nm");
    row("unit 1", {field::torqueUnit(1)}, F::Unit, "Lbf ft");
    row("unit 2", {field::torqueUnit(2)}, F::Unit, "Lbf in");
    row("unit 3", {field::torqueUnit(3)}, F::Unit, "Kgf m");
    row("unit 7", {field::torqueUnit(7)}, F::Unit, "");
    row("unit 255", {field::torqueUnit(255)}, F::Unit, "");

    // Schedule and preset, parameter set.
    row("schedule 0x23", {field::schedulePreset(0x23)}, F::Schedule, "A3.3");
    row("schedule 0x03", {field::schedulePreset(0x03)}, F::Schedule, "A3.1");
    row("schedule 0xA3", {field::schedulePreset(0xA3)}, F::Schedule, "A3No preset");
    row("schedule 0x20", {field::schedulePreset(0x20)}, F::Schedule, "No schedule");
    row("schedule 0x9A", {field::schedulePreset(0x9A)}, F::Schedule, "A10.10");
    row("schedule 0x0B", {field::schedulePreset(0x0B)}, F::Schedule, "No schedule.1");
    row("schedule 0xFF", {field::schedulePreset(0xFF)}, F::Schedule, "No scheduleNo preset");
    row("parameter set 1", {field::parameterSet(1)}, F::ParameterSet, "P1");
    row("parameter set 10", {field::parameterSet(10)}, F::ParameterSet, "P10");
    row("parameter set 0", {}, F::ParameterSet, "No parameter");
    row("parameter set 11", {field::parameterSet(11)}, F::ParameterSet, "No parameter");

    // Date, time and duration: signed bytes, padded on the left, never cut.
    row("date", {field::day(9), field::month(5), field::year(9)}, F::Date, "09.05.2009");
    row("year 12", {field::day(1), field::month(1), field::year(12)}, F::Date, "01.01.2012");
    row("year 123", {field::day(31), field::month(12), field::year(123)}, F::Date, "31.12.2123");
    row("year -1", {field::day(1), field::month(1), field::year(-1)}, F::Date, "01.01.20-1");
    row("negative day", {field::day(-5), field::month(10), field::year(30)}, F::Date, "-5.10.2030");
    row("date keeps its points", {field::day(2), field::month(3), field::year(4)}, F::Date, "02.03.2004",
        QChar(u';'));
    row("time", {field::hour(7), field::minute(5), field::second(9)}, F::Time, "07:05:09");
    row("duration", {field::duration(0, 1, 5)}, F::Duration, "00:01:05");
    row("duration extremes", {field::duration(-128, 127, 100)}, F::Duration, "-128:127:100");

    // Enumerations.
    row("mode torque", {field::modeFlags(0x10)}, F::MeasurementMode, "Torque");
    row("mode angle", {field::modeFlags(0x01)}, F::MeasurementMode, "Angle");
    row("mode 2", {field::modeFlags(0x02)}, F::MeasurementMode, "unknown");
    row("mode 15", {field::modeFlags(0x0F)}, F::MeasurementMode, "unknown");
    row("displaying", {field::modeFlags(0x01)}, F::TorqueMode, "displaying");
    row("triggering", {field::modeFlags(0x10)}, F::TorqueMode, "triggering");
    row("torque mode 2", {field::modeFlags(0x20)}, F::TorqueMode, "unknown");
    row("evaluation 0", {}, F::Evaluation, "n.OK");
    row("evaluation 1", {field::evaluation(1)}, F::Evaluation, "OK");
    row("evaluation 2", {field::evaluation(2)}, F::Evaluation, "unknown");
    row("verification 1", {field::verification(1), field::evaluation(0)}, F::Verification, "OK");
    row("verification 255", {field::verification(255)}, F::Verification, "unknown");
    row("check off", {}, F::Check, "NO");
    row("check on", {field::checkFlag(1)}, F::Check, "YES");
    row("check 2", {field::checkFlag(2)}, F::Check, "YES");
}

void TestMeasurementRecord::fieldText()
{
    QFETCH(QByteArray, record);
    QFETCH(QChar, separator);
    QFETCH(RecordField, field);
    QFETCH(QString, text);
    const RecordFormatter format(separator, untranslated);
    QCOMPARE(format.text(decoded(record), field), text);
}

void TestMeasurementRecord::numbersAgreeWithFixedAndGeneralFormatting()
{
    // Every 16-bit value against Qt's own formatting of the quotient.
    const RecordFormatter format(QChar(u'.'), untranslated);
    for (int value = 0; value <= 0xFFFF; ++value) {
        const MeasurementRecord r = decoded(
            recordBytes({field::measuredAngle(value), field::targetTorque(value), field::targetAngle(value)}));
        QCOMPARE(format.text(r, RecordField::MeasuredAngle), QString::number(value / 10.0, 'g', 6));
        QCOMPARE(format.text(r, RecordField::TargetTorque), QString::number(value / 10.0, 'f', 1));
        QCOMPARE(format.text(r, RecordField::TargetAngle), QString::number(double(value), 'f', 1));
    }
    // The measured torque over its whole range in coarse steps.
    for (qint64 value = -2147483648LL; value <= 2147483647LL; value += 65537 * 7 + 3) {
        const MeasurementRecord r = decoded(recordBytes({field::measuredTorque(value)}));
        QCOMPARE(format.text(r, RecordField::MeasuredTorque), QString::number(double(value) / 100.0, 'f', 2));
    }
}

void TestMeasurementRecord::enumerationsAndPrefixAreTranslated()
{
    const RecordFormatter format(QChar(u','), [](const char* text) -> QString {
        return QStringLiteral("<") + QString::fromUtf8(text) + QStringLiteral(">");
    });
    const MeasurementRecord r = decoded(recordBytes({field::modeFlags(0x10), field::targetTorque(120),
                                                     field::negative(1), field::schedulePreset(0xA0),
                                                     field::torqueUnit(1)}));
    QCOMPARE(format.text(r, RecordField::MeasurementMode), QStringLiteral("<Torque>"));
    QCOMPARE(format.text(r, RecordField::TorqueMode), QStringLiteral("<triggering>"));
    QCOMPARE(format.text(r, RecordField::TargetTorque), QStringLiteral("<->12,0"));
    QCOMPARE(format.text(r, RecordField::Schedule), QStringLiteral("<No schedule>"));
    QCOMPARE(format.text(r, RecordField::ParameterSet), QStringLiteral("<No parameter>"));
    QCOMPARE(format.text(r, RecordField::Check), QStringLiteral("<NO>"));
    QCOMPARE(format.text(r, RecordField::Unit), QStringLiteral("Lbf ft"));
}

QTEST_APPLESS_MAIN(TestMeasurementRecord)
#include "tst_measurementrecord.moc"
