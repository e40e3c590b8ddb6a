// The history readout end to end: the real window, the simulated wrench on a
// pseudo-terminal, real files. Connect, Read, the report the wrench's bytes
// make, Save in every form, a faulty line, and a wrench unplugged mid-way.
#include "windowtest.h"
#include "filebytes.h"
#include "wrenchreports.h"

#include "history/historyreports.h"
#include "history/viewhistory.h"
#include "tools/historygenerator.h"

#include "history/reportview.h"
#include <QProgressBar>

using namespace windowtest;

namespace {

constexpr int ReadoutMs = 60000;
const QString serialNumberRead = QStringLiteral("44 52 51 00 87");
const QString portGone = QStringLiteral("Com Port is no longer available!");

int countLog(const Wrench& wrench, const char* direction)
{
    const QList<QStringList> frames = wrench.frames();
    return static_cast<int>(std::count_if(frames.cbegin(), frames.cend(), [direction](const QStringList& f) {
        return f[0] == QLatin1String(direction);
    }));
}

} // namespace

class TestHistoryReadout : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readAndSave();
    void faultyLineSavesTheSame();
    void unplugDuringReadout();
    void nextWrenchNamesNothingOfThePrevious();

private:
    void startWrench(const QStringList& options);
    void connectWindow();
    void readHistory();
    HistoryReports expectedReports(int records) const;
    QString saveAs(const QString& answer, const QString& filter);

    ViewHistory* view() const { return m_window->historyView(); }
    QString shownText() const
    {
        return m_window->findChild<ReportView*>(QStringLiteral("textEditHistory"))->toPlainText();
    }

    QDateTime m_readStarted;
    int m_askedToSave = 0;
    QString m_proposedName;
};

void TestHistoryReadout::init()
{
    QVERIFY(makeWorld());
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
    m_askedToSave = 0;
}

void TestHistoryReadout::cleanup()
{
    tearDownWorld();
}

void TestHistoryReadout::startWrench(const QStringList& options)
{
    QVERIFY2(m_wrench->startReady(options), qPrintable(m_wrench->error));
    m_window = std::make_unique<TolvoTool>();
}

void TestHistoryReadout::connectWindow()
{
    QTRY_VERIFY_WITH_TIMEOUT(button(*m_window, "pushButtonOnline")->isEnabled(), WaitMs);
    const int serialReads = static_cast<int>(m_wrench->framesWith("rx", serialNumberRead).size());
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(m_window->isOnline());
    // The identity parameters come through the tick, the serial number last.
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->framesWith("rx", serialNumberRead).size() > serialReads, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->serialNumber(), QStringLiteral("TW2000123"), WaitMs);
    QCOMPARE(m_window->firmwareKind(), 2);
    QCOMPARE(m_window->historyMode(), 2);
    QCOMPARE(m_window->deviceDesignation(), QStringLiteral("TOLVO TW-200"));
}

void TestHistoryReadout::readHistory()
{
    m_readStarted = QDateTime::currentDateTime();
    QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("pushButtonRead")), Qt::LeftButton);
    QVERIFY(view()->isReading());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTRY_VERIFY_WITH_TIMEOUT(!view()->isReading(), ReadoutMs);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!m_window->findChild<QProgressBar*>(QStringLiteral("progressBarRead"))->isVisible());
}

// The reports of the wrench's generated history; the header names the minute
// of the readout.
HistoryReports TestHistoryReadout::expectedReports(int records) const
{
    return testsupport::wrenchReports(records, 2, u',', m_readStarted, view()->reports().text);
}

QString TestHistoryReadout::saveAs(const QString& answer, const QString& filter)
{
    view()->setSaveNameAsker([this, answer, filter](const QString& caption, const QString& proposed,
                                                    const QString& filters, QString* selected) {
        ++m_askedToSave;
        m_proposedName = proposed;
        *selected = filter;
        return caption == QLatin1String("Save History Data") && filters.contains(filter) ? answer : QString();
    });
    view()->slotSaveHistory();
    return answer;
}

void TestHistoryReadout::readAndSave()
{
    startWrench({});
    connectWindow();

    view()->slotSaveHistory();
    QCOMPARE(shownText(), QStringLiteral("\n\nplease readout before save!"));
    QCOMPARE(m_askedToSave, 0);

    readHistory();
    const HistoryReports first = expectedReports(wrench::history::DefaultCount);
    QCOMPARE(shownText(), first.text);
    QCOMPARE(view()->reports().csv, first.csv);
    // The 4-byte code first, once per connection, then the request.
    readHistory();
    // The second readout's header may name the next minute.
    const HistoryReports expected = expectedReports(wrench::history::DefaultCount);
    QCOMPARE(shownText(), expected.text);
    const QList<qsizetype> codes = m_wrench->framesWith("rx", Wrench::readoutCodeWrite);
    const QList<qsizetype> requests = m_wrench->framesWith("rx", Wrench::historyRequest);
    QCOMPARE(codes.size(), 1);
    QCOMPARE(requests.size(), 2);
    QVERIFY(codes[0] < requests[0]);

    const QString txt = QStringLiteral("TXT Files (*.txt)");
    const QString csv = QStringLiteral("CSV Files (*.csv)");
    struct Row {
        const char* name;
        QString filter;
        const char* written;
        bool csvReport;
    };
    const Row rows[] = {
        {"report.txt", txt, "report.txt", false},
        {"report.csv", txt, "report.csv", true},
        // The suffix test is case-sensitive.
        {"report.CSV", csv, "report.CSV", false},
        {"plain", csv, "plain.csv", true},
        {"plain", txt, "plain.txt", false},
    };
    const QString folder = m_folder->filePath(QStringLiteral("reports"));
    QVERIFY(QDir().mkpath(folder));
    for (const Row& row : rows) {
        saveAs(QDir(folder).filePath(QLatin1String(row.name)), row.filter);
        const QByteArray written = fileBytes(QDir(folder).filePath(QLatin1String(row.written)));
        QVERIFY2(written == (row.csvReport ? expected.csv : expected.text).toUtf8(), row.name);
        QVERIFY(!written.contains('\r'));
        QCOMPARE(m_folder->get("SETUP", "HISTORY_PATH"), folder + QLatin1Char('/'));
    }
    // The next save starts in the folder of the last one.
    QVERIFY2(m_proposedName.startsWith(folder + QStringLiteral("/Protocol_TW2000123_")), qPrintable(m_proposedName));
    QCOMPARE(m_proposedName.size(), folder.size() + 1 + QStringLiteral("Protocol_TW2000123_07_12_2026_14u05m").size());

    // Cannot be written: a regular file stands where a folder would be.
    QVERIFY(QFile(m_folder->filePath(QStringLiteral("blocker"))).open(QIODevice::WriteOnly));
    QVERIFY(m_folder->set("SETUP", "HISTORY_PATH", QStringLiteral("unchanged")));
    const QString unwritable = saveAs(m_folder->filePath(QStringLiteral("blocker/report.txt")), txt);
    QTRY_COMPARE_WITH_TIMEOUT(m_user->boxes.size(), 1, WaitMs);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("TXT File"));
    QVERIFY(m_user->boxes[0].text.startsWith(QStringLiteral("Cannot write file %1:\n").arg(unwritable)));
    QCOMPARE(m_folder->get("SETUP", "HISTORY_PATH"), QStringLiteral("unchanged"));
    QCOMPARE(view()->reports().text, expected.text);

    // The port goes while the dialog is open: what was shown is saved.
    const QString late = QDir(folder).filePath(QStringLiteral("late.txt"));
    view()->setSaveNameAsker([this, late](const QString&, const QString&, const QString&, QString*) {
        m_window->setOnline(false);
        return late;
    });
    view()->slotSaveHistory();
    QVERIFY(!m_window->isOnline());
    QCOMPARE(fileBytes(late), expected.text.toUtf8());
    // Offline, the reports are gone.
    saveAs(QDir(folder).filePath(QStringLiteral("never.txt")), txt);
    QCOMPARE(shownText(), QStringLiteral("\n\nplease readout before save!"));
    QVERIFY(!QFile::exists(QDir(folder).filePath(QStringLiteral("never.txt"))));
    QCOMPARE(m_user->boxes.size(), 1);
}

// Damaged frames are sent again and repeated blocks stored once: the files
// come out as from a clean line.
void TestHistoryReadout::faultyLineSavesTheSame()
{
    constexpr int Records = 200;
    startWrench({QStringLiteral("--history-count"), QString::number(Records), QStringLiteral("--corrupt-every"),
                 QStringLiteral("50"), QStringLiteral("--duplicate-every"), QStringLiteral("7")});
    connectWindow();
    readHistory();
    QVERIFY(countLog(*m_wrench, "tx-corrupt") > 0);

    const HistoryReports expected = expectedReports(Records);
    for (const char* name : {"faulty.txt", "faulty.csv"}) {
        const QString file = saveAs(m_folder->filePath(QLatin1String(name)), QStringLiteral("TXT Files (*.txt)"));
        QCOMPARE(fileBytes(file), (QByteArray(name).endsWith(".csv") ? expected.csv : expected.text).toUtf8());
    }
    QVERIFY(m_user->boxes.isEmpty());
}

// One error; the cursor, the progress and the buttons come back; nothing of
// the cut-off readout is left, and the next connection reads it whole.
void TestHistoryReadout::unplugDuringReadout()
{
    constexpr int Records = 400;
    startWrench({QStringLiteral("--history-count"), QString::number(Records), QStringLiteral("--baud"),
                 QStringLiteral("57600")});
    connectWindow();

    m_readStarted = QDateTime::currentDateTime();
    view()->slotReadHistory();
    auto* bar = m_window->findChild<QProgressBar*>(QStringLiteral("progressBarRead"));
    QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 1, ReadoutMs);
    QVERIFY(bar->value() < 90);
    QVERIFY(m_wrench->command("unplug"));

    QTRY_VERIFY_WITH_TIMEOUT(!m_window->messageService().isOpen(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_user->countText(portGone), 1, WaitMs);
    QVERIFY(!view()->isReading());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!bar->isVisible());
    QVERIFY(view()->reports().text.isEmpty());
    QCOMPARE(m_window->deviceService().historyState(), -1);
    if (m_window->isOnline()) {
        QVERIFY(m_window->findChild<QPushButton*>(QStringLiteral("pushButtonRead"))->isEnabled());
        QTest::keyClick(m_window.get(), Qt::Key_F9);
    }

    QVERIFY(m_wrench->command("plug"));
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("ready"), 2), WaitMs);
    connectWindow();
    readHistory();
    QCOMPARE(shownText(), expectedReports(Records).text);
    QCOMPARE(m_wrench->framesWith("rx", Wrench::readoutCodeWrite).size(), 2);
    QCOMPARE(m_user->boxes.size(), 1);
}

// Wrench A, then on the same port wrench B, which never answers its device
// name and serial number and keeps history mode 3: B's saved files carry
// nothing of A.
void TestHistoryReadout::nextWrenchNamesNothingOfThePrevious()
{
    startWrench({QStringLiteral("--device-name"), QStringLiteral("WRENCH-A"), QStringLiteral("--serial"),
                 QStringLiteral("A-0001")});
    QTRY_VERIFY_WITH_TIMEOUT(button(*m_window, "pushButtonOnline")->isEnabled(), WaitMs);
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->serialNumber(), QStringLiteral("A-0001"), WaitMs);
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(!m_window->isOnline());
    m_wrench->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!button(*m_window, "pushButtonOnline")->isEnabled(), WaitMs);

    constexpr int Records = 20;
    QVERIFY2(m_wrench->startReady({QStringLiteral("--silent-ids"), QStringLiteral("100,135"),
                                   QStringLiteral("--history-mode"), QStringLiteral("3"),
                                   QStringLiteral("--history-count"), QString::number(Records)}),
             qPrintable(m_wrench->error));
    QTRY_VERIFY_WITH_TIMEOUT(button(*m_window, "pushButtonOnline")->isEnabled(), WaitMs);
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    // The two silent reads end in their time-out boxes.
    const int timeoutMs = DeviceService::TimeoutTicks * DeviceService::TickMs;
    QTRY_COMPARE_WITH_TIMEOUT(m_user->boxes.size(), 2, 2 * timeoutMs + WaitMs);
    QCOMPARE(m_user->boxes[1].text, QStringLiteral("Timeout Parameter Request\nID: 135"));
    QCOMPARE(m_window->historyMode(), 3);

    readHistory();
    const ReportIdentity identity{QString(), testsupport::wrenchIdentity.firmwareVersion,
                                  testsupport::wrenchIdentity.hardwareVersion, QString()};
    const HistoryReports expected =
        testsupport::wrenchReports(Records, 3, u',', m_readStarted, view()->reports().text, identity);
    QCOMPARE(shownText(), expected.text);
    for (const char* name : {"b.txt", "b.csv"}) {
        const QByteArray saved =
            fileBytes(saveAs(m_folder->filePath(QLatin1String(name)), QStringLiteral("TXT Files (*.txt)")));
        QCOMPARE(saved, (QByteArray(name).endsWith(".csv") ? expected.csv : expected.text).toUtf8());
        QVERIFY(!saved.contains("WRENCH-A") && !saved.contains("A-0001"));
    }
}

QTEST_MAIN(TestHistoryReadout)
#include "tst_historyreadout.moc"
