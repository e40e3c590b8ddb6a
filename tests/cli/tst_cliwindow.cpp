// The window and tolvo-cli read the same simulated wrench, one after the
// other, and save their reports: the files are the same, byte for byte,
// tolvo-cli's statistics are the figures of the window's chart, and the
// archive they share has every record once.
#include "clirun.h"

#include "history/chartwindow.h"
#include "history/viewhistory.h"
#include "tests/window/windowtest.h"

#include <QRegularExpression>

using namespace windowtest;

class TestCliWindow : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeWorld()); }
    void cleanup() { tearDownWorld(); }
    void sameFilesAsTheWindow_data();
    void sameFilesAsTheWindow();

private:
    QString saveFromWindow(const QString& name, const QString& filter);
    QStringList figuresOfTheChart();
};

// "name: value" of every figure the chart window shows.
QStringList TestCliWindow::figuresOfTheChart()
{
    m_window->historyView()->slotShowChart();
    auto* chart = m_window->historyView()->findChild<ChartWindow*>();
    QStringList figures;
    if (chart == nullptr)
        return figures;
    for (int row = 0;; ++row) {
        const auto* name = chart->findChild<QLabel*>(QStringLiteral("figureName%1").arg(row));
        const auto* value = chart->findChild<QLabel*>(QStringLiteral("figureValue%1").arg(row));
        if (name == nullptr || value == nullptr)
            return figures;
        figures.append(name->text() + QStringLiteral(": ") + value->text());
    }
}

QString TestCliWindow::saveFromWindow(const QString& name, const QString& filter)
{
    const QString file = m_folder->filePath(name);
    m_window->historyView()->setSaveNameAsker([file, filter](const QString&, const QString&, const QString&,
                                                             QString* selected) {
        *selected = filter;
        return file;
    });
    m_window->historyView()->slotSaveHistory();
    return file;
}

void TestCliWindow::sameFilesAsTheWindow_data()
{
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QStringList() << QStringLiteral("ENGLISH");
    QTest::newRow("German, history mode 1, 300 records")
        << QStringList{QStringLiteral("--history-count"), QStringLiteral("300"), QStringLiteral("--history-mode"),
                       QStringLiteral("1")}
        << QStringLiteral("GERMAN");
}

void TestCliWindow::sameFilesAsTheWindow()
{
    QFETCH(QStringList, wrenchOptions);
    QFETCH(QString, language);
    QVERIFY(m_folder->set("SETUP", "LANGUAGE", language));
    QVERIFY(m_folder->set("SETUP", "DECIMAL_SEPARATOR", QStringLiteral(".")));
    QVERIFY(m_folder->provideGermanTranslation());
    // One archive for both, as the window and tolvo-cli beside it share it.
    QVERIFY(m_folder->set("ARCHIVE", "FILE", m_folder->filePath(QStringLiteral("archive.sqlite"))));
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
    QVERIFY2(m_wrench->startReady(wrenchOptions), qPrintable(m_wrench->error));
    m_window = std::make_unique<TolvoTool>();

    QTRY_VERIFY_WITH_TIMEOUT(button(*m_window, "pushButtonOnline")->isEnabled(), WaitMs);
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->serialNumber(), QStringLiteral("TW2000123"), WaitMs);
    const QDateTime windowRead = QDateTime::currentDateTime();
    m_window->historyView()->slotReadHistory();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->historyView()->isReading(), clitest::RunMs);
    const QString windowTxt = saveFromWindow(QStringLiteral("window.txt"), QStringLiteral("(*.txt)"));
    const QString windowCsv = saveFromWindow(QStringLiteral("window.csv"), QStringLiteral("(*.csv)"));
    const QStringList chartFigures = figuresOfTheChart();
    QVERIFY(chartFigures.size() > 5);
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(!m_window->isOnline());
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("ready "), 2), WaitMs);

    QProcess cli;
    const QString cliTxt = m_folder->filePath(QStringLiteral("cli.txt"));
    const QString cliCsv = m_folder->filePath(QStringLiteral("cli.csv"));
    cli.start(binDirectory() + QStringLiteral("/tolvo-cli"),
              {QStringLiteral("history"), QStringLiteral("--settings"), m_folder->settingsFile(),
               QStringLiteral("--port"), QStringLiteral("COM42"), QStringLiteral("--txt"), cliTxt,
               QStringLiteral("--csv"), cliCsv, QStringLiteral("--stats")});
    QVERIFY(cli.waitForFinished(clitest::RunMs));
    const QDateTime cliDone = QDateTime::currentDateTime();
    // Nothing new for the archive: the window's readout brought every record.
    const QString archived = QString::fromLocal8Bit(cli.readAllStandardError());
    const QRegularExpression nothingNew(QStringLiteral("^archived: [1-9][0-9]* records read, 0 new\n$"));
    QVERIFY2(nothingNew.match(archived).hasMatch(), qPrintable(archived));
    QCOMPARE(cli.exitCode(), 0);

    // Every figure beside the chart, then how they are computed.
    const QStringList statistics = QString::fromLocal8Bit(cli.readAllStandardOutput()).split(QLatin1Char('\n'));
    QCOMPARE(statistics.size(), chartFigures.size() + 2);
    for (qsizetype i = 0; i < chartFigures.size(); ++i)
        QCOMPARE(statistics[i].simplified(), chartFigures[i]);
    QVERIFY(statistics.last().isEmpty());

    QVERIFY(fileBytes(windowCsv).size() > 1000);
    QCOMPARE(fileBytes(cliCsv), fileBytes(windowCsv));
    // The text report names the minute of its readout: only that line may
    // differ, and only when the minute turned between the two readouts.
    QStringList windowLines = QString::fromUtf8(fileBytes(windowTxt)).split(QLatin1Char('\n'));
    QStringList cliLines = QString::fromUtf8(fileBytes(cliTxt)).split(QLatin1Char('\n'));
    QCOMPARE(cliLines.size(), windowLines.size());
    const QString minuteFormat = QStringLiteral("hh:mm");
    if (windowRead.toString(minuteFormat) == cliDone.toString(minuteFormat)) {
        QCOMPARE(cliLines, windowLines);
        return;
    }
    const qsizetype dateLine = 3;
    QVERIFY(windowLines[dateLine].contains(windowRead.toString(QStringLiteral("dd/MM/yyyy"))));
    QCOMPARE(cliLines[dateLine].section(QLatin1Char(':'), 0, 0), windowLines[dateLine].section(QLatin1Char(':'), 0, 0));
    windowLines.removeAt(dateLine);
    cliLines.removeAt(dateLine);
    QCOMPARE(cliLines, windowLines);
}

QTEST_MAIN(TestCliWindow)
#include "tst_cliwindow.moc"
