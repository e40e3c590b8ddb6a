// The simulated wrench's generated history, the one the demo reads, shows
// every line of the text report and fills every column of the CSV report.

#include "history/historyreports.h"
#include "tools/historygenerator.h"

#include <QTest>

class TestReportCoverage : public QObject
{
    Q_OBJECT

private slots:
    void everyTextLineAppears_data();
    void everyTextLineAppears();
    void everyCsvColumnIsFilled();

private:
    static ReportSettings settings()
    {
        ReportSettings s;
        s.identity = {QStringLiteral("TOLVO"), QStringLiteral("F 2.14"), QStringLiteral("H 3"), QStringLiteral("1")};
        s.historyMode = 2;
        s.translator = [](const char* text) { return QString::fromUtf8(text); };
        return s;
    }
    static QByteArray block() { return wrench::history::encode(wrench::history::generate(wrench::history::DefaultCount)); }
};

void TestReportCoverage::everyTextLineAppears_data()
{
    QTest::addColumn<QString>("line");
    // Label and the start of a value; the lines that the check values add
    // follow the check's own line.
    const char* const lines[] = {
        " Measurement mode        : Torque",       " Measurement mode        : Angle",
        " Measurement mode        : unknown",      " Torque mode             : displaying",
        " Torque mode             : triggering",   " Torque mode             : unknown",
        " Measured torque         : -",            " Target torque           : ",
        " Measured angle          : ",             " Target angle            : ",
        " Snug torque             : ",             " Evaluation              : unknown",
        " Tolerance               : ",             " Reference working length: ",
        " Schedule                : No schedule\n", " Schedule                : A3No preset",
        " Parameter set           : No parameter", " Parameter set           : P10",
        " Torque check            : NO\n",         " Torque check            : YES\n Measured torque",
        " Angle check             : NO\n",         " Angle check             : YES\n Measured angle",
        " Lower torque            : ",             " Upper torque            : ",
        " Lower angle             : ",             " Upper angle             : ",
        " Verification            : unknown\n",    " (overloaded)\n",
        " Lbf ft\n",                               " Lbf in\n",
        " Kgf m\n",                                " Nm\n",
        " (overloaded)\n Lower torque",
    };
    for (const char* line : lines) {
        const QString text = QString::fromUtf8(line);
        QTest::newRow(QString(text).replace(u'\n', u'|').toUtf8().constData()) << text;
    }
}

void TestReportCoverage::everyTextLineAppears()
{
    QFETCH(QString, line);
    static const QString text = buildTextReport(block(), settings(), QDateTime());
    QVERIFY(text.contains(line));
}

void TestReportCoverage::everyCsvColumnIsFilled()
{
    const QStringList rows = buildCsvReport(block(), settings()).split(u'\n', Qt::SkipEmptyParts);
    QList<bool> filled(37, false);
    for (qsizetype row = 1; row < rows.size(); ++row) {
        const QStringList fields = rows.at(row).split(u';');
        QCOMPARE(fields.size(), 37);
        for (int column = 0; column < 37; ++column)
            filled[column] = filled[column] || !fields.at(column).isEmpty();
    }
    QCOMPARE(filled.count(false), 0);
}

QTEST_APPLESS_MAIN(TestReportCoverage)
#include "tst_reportcoverage.moc"
