// The quality-data export, byte for byte; the files it writes into "dfq"
// under its working folder are read back by read_dfq.py.

#include "history/aqdefexport.h"
#include "tools/historygenerator.h"

#include "filebytes.h"
#include "recordbytes.h"

#include <QDir>
#include <QTest>

namespace {

// Mode 0x00: torque displayed, 0x10: torque triggered, 0x11: angle
// triggered. Stored units: hundredths (or tenths of a degree) measured,
// tenths (or degrees) of target, tenths of a percent (or degrees) of
// tolerance. Taken on 5 March 2024 at 06:07, the number as the second.
struct Stored {
    int number;
    int mode;
    qint64 measured;
    qint64 target = 0;
    qint64 tolerance = 0;
    int unit = 0;
    int negative = 0;
    int month = 3;
};

QByteArray block(std::initializer_list<Stored> records)
{
    QByteArray bytes;
    for (const Stored& r : records) {
        const bool angle = r.mode == 0x11;
        bytes += recordBytes({field::number(r.number), field::modeFlags(r.mode),
                              angle ? field::measuredAngle(r.measured) : field::measuredTorque(r.measured),
                              angle ? field::targetAngle(r.target) : field::targetTorque(r.target),
                              field::tolerance(r.tolerance), field::torqueUnit(r.unit), field::negative(r.negative),
                              field::year(24), field::month(r.month), field::day(5), field::hour(6), field::minute(7),
                              field::second(r.number), field::evaluation(1)});
    }
    return bytes;
}

// Two torque units, two pairs of limits in Nm, an angle, a record without
// limits and an empty one.
QByteArray mixedBlock()
{
    return block({{1, 0x10, 12010, 1200, 40},
                  {0, 0x10, 99999, 999, 10},
                  {3, 0x11, 905, 90, 5},
                  {4, 0x10, 11950, 1200, 40},
                  {5, 0x10, 5012, 500, 25, 1},
                  {6, 0x00, 12345},
                  {7, 0x10, 12480, 1230, 25}});
}

QByteArray lines(std::initializer_list<const char*> keys)
{
    QByteArray file;
    for (const char* key : keys)
        file += QByteArray(key) + "\r\n";
    return file;
}

ReportIdentity identity(const QString& serial)
{
    return {QStringLiteral("TOLVO"), QStringLiteral("F 2.14"), QStringLiteral("H 3"), serial};
}

} // namespace

class TestAqdefExport : public QObject
{
    Q_OBJECT

private slots:
    void writesKeys_data();
    void writesKeys();
    void writesFilesForReader();
};

void TestAqdefExport::writesKeys_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("mixed: the first pair of Nm limits is the sample")
        << mixedBlock() << QStringLiteral("TW-0042")
        << lines({"K0100 5",
                  "K2001/1 1", "K2002/1 Torque Nm", "K2022/1 2",
                  "K2101/1 120.00", "K2110/1 115.20", "K2111/1 124.80", "K2142/1 Nm",
                  "K2001/2 2", "K2002/2 Angle deg", "K2022/2 1",
                  "K2101/2 90.0", "K2110/2 85.0", "K2111/2 95.0", "K2142/2 deg",
                  "K2001/3 3", "K2002/3 Torque Lbf ft", "K2022/3 2",
                  "K2101/3 50.00", "K2110/3 48.75", "K2111/3 51.25", "K2142/3 Lbf ft",
                  "K2001/4 4", "K2002/4 Torque Nm", "K2022/4 2", "K2142/4 Nm",
                  "K2001/5 5", "K2002/5 Torque Nm", "K2022/5 2",
                  "K2101/5 123.00", "K2110/5 119.925", "K2111/5 126.075", "K2142/5 Nm",
                  "K0001/1 120.10", "K0002/1 0", "K0004/1 05.03.2024/06:07:01", "K0012/1 TW-0042",
                  "K0001/2 90.5", "K0002/2 129", "K0004/2 05.03.2024/06:07:03", "K0012/2 TW-0042",
                  "K0001/1 119.50", "K0002/1 0", "K0004/1 05.03.2024/06:07:04", "K0012/1 TW-0042",
                  "K0001/3 50.12", "K0002/3 129", "K0004/3 05.03.2024/06:07:05", "K0012/3 TW-0042",
                  "K0001/4 123.45", "K0002/4 129", "K0004/4 05.03.2024/06:07:06", "K0012/4 TW-0042",
                  "K0001/5 124.80", "K0002/5 129", "K0004/5 05.03.2024/06:07:07", "K0012/5 TW-0042"});

    QTest::newRow("no limits: the most common unit is the sample")
        << block({{1, 0x00, 500, 0, 0, 2}, {2, 0x00, 12345}, {3, 0x00, 12000}}) << QStringLiteral("7")
        << lines({"K0100 2",
                  "K2001/1 1", "K2002/1 Torque Lbf in", "K2022/1 2", "K2142/1 Lbf in",
                  "K2001/2 2", "K2002/2 Torque Nm", "K2022/2 2", "K2142/2 Nm",
                  "K0001/1 5.00", "K0002/1 129", "K0004/1 05.03.2024/06:07:01", "K0012/1 7",
                  "K0001/2 123.45", "K0002/2 0", "K0004/2 05.03.2024/06:07:02", "K0012/2 7",
                  "K0001/2 120.00", "K0002/2 0", "K0004/2 05.03.2024/06:07:03", "K0012/2 7"});

    QTest::newRow("negative angle, unnamed unit, month 13, serial unknown")
        << block({{1, 0x11, 452, 45, 3, 0, 1}, {2, 0x00, -250, 0, 0, 9, 0, 13}}) << QString()
        << lines({"K0100 2",
                  "K2001/1 1", "K2002/1 Angle deg", "K2022/1 1",
                  "K2101/1 -45.0", "K2110/1 -48.0", "K2111/1 -42.0", "K2142/1 deg",
                  "K2001/2 2", "K2002/2 Torque", "K2022/2 2",
                  "K0001/1 -45.2", "K0002/1 0", "K0004/1 05.03.2024/06:07:01",
                  "K0001/2 -2.50", "K0002/2 129"});

    QTest::newRow("control characters and non-Latin-1 in the serial")
        << block({{1, 0x00, 100}}) << QStringLiteral("12\r\nK0001/1 99\t\u0085\u00E4\u20AC")
        << lines({"K0100 1",
                  "K2001/1 1", "K2002/1 Torque Nm", "K2022/1 2", "K2142/1 Nm",
                  "K0001/1 1.00", "K0002/1 0", "K0004/1 05.03.2024/06:07:01", "K0012/1 12??K0001/1 99??\xE4?"});

    QTest::newRow("only an empty record") << block({{0, 0x10, 12000, 1200, 40}}) << QStringLiteral("7")
                                          << lines({"K0100 0"});
}

void TestAqdefExport::writesKeys()
{
    QFETCH(QByteArray, block);
    QFETCH(QString, serial);
    QFETCH(QByteArray, file);
    QCOMPARE(aqdefFile(block, identity(serial)), file);
}

void TestAqdefExport::writesFilesForReader()
{
    QVERIFY(QDir().mkpath(QStringLiteral("dfq")));
    const QByteArray series = wrench::history::encode(wrench::history::generateSeries(500));
    QVERIFY(writeFileBytes(QStringLiteral("dfq/series.dfq"), aqdefFile(series, identity(QStringLiteral("TW-0042")))));
    QVERIFY(writeFileBytes(QStringLiteral("dfq/mixed.dfq"),
                           aqdefFile(mixedBlock(), identity(QStringLiteral("TW-0042\r\nK0001/1 1.00")))));
}

QTEST_APPLESS_MAIN(TestAqdefExport)
#include "tst_aqdefexport.moc"
