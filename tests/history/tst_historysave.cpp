// The name a saved report gets from the chosen name and filter, and which
// report goes into it, written into a real folder.
#include "filebytes.h"
#include "history/historysave.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestHistorySave : public QObject
{
    Q_OBJECT

private slots:
    void suffixAndReport_data();
    void suffixAndReport();
};

void TestHistorySave::suffixAndReport_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("csv");

    const QString txt = QStringLiteral("TXT Files (*.txt)");
    const QString csv = QStringLiteral("CSV Files (*.csv)");
    const QString png = QStringLiteral("PNG Files (*.png)");
    const QString plain = QStringLiteral("reports");
    const QString dotted = QStringLiteral("re.ports");
    // As proposed for a serial number with a dot in it.
    const QString serialDot = historysave::proposedFileName(QString(), QStringLiteral("Protocol"),
                                                            QStringLiteral("A.0001"),
                                                            QDateTime(QDate(2026, 12, 8), QTime(14, 5)));
    QCOMPARE(serialDot, QStringLiteral("Protocol_A.0001_08_12_2026_14u05m"));

    QTest::newRow("dotted serial, CSV filter") << plain << serialDot << csv << serialDot + QLatin1String(".csv") << true;
    QTest::newRow("dotted serial, text filter") << plain << serialDot << txt << serialDot + QLatin1String(".txt") << false;
    QTest::newRow("dotted serial with .csv, text filter") << plain << serialDot + QLatin1String(".csv") << txt
                                                          << serialDot + QLatin1String(".csv") << true;
    QTest::newRow("dotted serial with .txt, CSV filter") << plain << serialDot + QLatin1String(".txt") << csv
                                                         << serialDot + QLatin1String(".txt") << false;
    QTest::newRow("no suffix, CSV filter") << plain << "plain" << csv << "plain.csv" << true;
    QTest::newRow("no suffix, text filter") << plain << "plain" << txt << "plain.txt" << false;
    QTest::newRow("other suffix gets the filter's") << plain << "report.png" << txt << "report.png.txt" << false;
    // Upper case is a suffix too, and is kept; the CSV report only for ".csv".
    QTest::newRow("upper-case TXT, CSV filter") << plain << "report.TXT" << csv << "report.TXT" << false;
    QTest::newRow("upper-case CSV, CSV filter") << plain << "report.CSV" << csv << "report.CSV" << false;
    QTest::newRow("dotted serial with .Csv, text filter") << plain << serialDot + QLatin1String(".Csv") << txt
                                                          << serialDot + QLatin1String(".Csv") << false;
    QTest::newRow("folder with a dot, CSV filter") << dotted << "plain" << csv << "plain.csv" << true;
    QTest::newRow("folder with a dot, dotted serial") << dotted << serialDot << txt << serialDot + QLatin1String(".txt") << false;
    // The chart window's pictures.
    QTest::newRow("picture with its suffix") << dotted << serialDot + QLatin1String(".png") << png << serialDot + QLatin1String(".png") << false;
    QTest::newRow("picture without") << plain << serialDot << png << serialDot + QLatin1String(".png") << false;
}

void TestHistorySave::suffixAndReport()
{
    QFETCH(QString, folder);
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, saved);
    QFETCH(bool, csv);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QDir dir(base.filePath(folder));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    HistoryReports reports;
    reports.text = QStringLiteral("the text report\n");
    reports.csv = QStringLiteral("the;CSV;report\n");

    const QString fileName = historysave::withFilterSuffix(dir.filePath(chosen), filter);
    QCOMPARE(fileName, dir.filePath(saved));
    QString error;
    QVERIFY2(historysave::writeReport(fileName, historysave::reportFor(fileName, reports), error), qPrintable(error));
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{saved});
    QCOMPARE(fileBytes(fileName), (csv ? reports.csv : reports.text).toUtf8());
}

QTEST_GUILESS_MAIN(TestHistorySave)
#include "tst_historysave.moc"
