// The archive window over a real SQLite archive: its wrenches, the report of
// one wrench's measurements within dates, its save and chart, the keyboard,
// and an archive that is not there yet.
#include "archive/archivestore.h"
#include "archive/archivewindow.h"
#include "filebytes.h"
#include "history/chartwindow.h"
#include "history/measurementrecord.h"
#include "history/reportview.h"
#include "pagehost.h"
#include "tools/historygenerator.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const ReportIdentity wrenchA{QStringLiteral("TOLVO TW-200"), QStringLiteral("FW 2.14.0"), QStringLiteral("HW 3.1"),
                             QStringLiteral("TW2000123")};
const ReportIdentity wrenchB{QStringLiteral("TOLVO TW-60"), QStringLiteral("FW 1.2.0"), QStringLiteral("HW 1.0"),
                             QStringLiteral("TW0600007")};

QDate dateOf(const wrench::HistoryEntry& entry)
{
    return QDate(2000 + entry.year, entry.month, entry.day);
}

// The measurement numbers of entries with a number, within from..to (null: open).
QList<int> numbersWithin(const QList<wrench::HistoryEntry>& entries, const QDate& from, const QDate& to)
{
    QList<int> numbers;
    for (const wrench::HistoryEntry& entry : entries) {
        const QDate date = dateOf(entry);
        if (entry.number != 0 && (from.isNull() || date >= from) && (to.isNull() || date <= to))
            numbers.append(entry.number);
    }
    return numbers;
}

QList<int> numbersIn(const QByteArray& block)
{
    QList<int> numbers;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i)
        numbers.append(MeasurementRecord::at(block, i).number);
    return numbers;
}

template <typename T>
T* part(const QWidget& window, const char* name)
{
    return window.findChild<T*>(QLatin1String(name));
}

} // namespace

class TestArchiveWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void archiveNotThereYet();
    void listsWrenches();
    void dateRange_data();
    void dateRange();
    void saveAndChart();
    void keyboard();

private:
    QString archiveFile() const { return m_folder.filePath(QStringLiteral("archive.sqlite")); }
    void store(const ReportIdentity& identity, int historyMode, const QList<wrench::HistoryEntry>& entries);
    void openWindow();
    QTableWidget* wrenches() const { return part<QTableWidget>(*m_window, "archiveWrenches"); }

    QTemporaryDir m_folder;
    PageHost m_host;
    std::unique_ptr<ArchiveWindow> m_window;
    // Wrench A's readouts: the first 60 records, then 80, in the wrench's order.
    QList<wrench::HistoryEntry> m_entriesA;
};

void TestArchiveWindow::init()
{
    QVERIFY(m_folder.isValid());
    QFile::remove(archiveFile());
    m_entriesA = wrench::history::generate(80);
}

void TestArchiveWindow::cleanup()
{
    m_window.reset();
}

void TestArchiveWindow::store(const ReportIdentity& identity, int historyMode,
                              const QList<wrench::HistoryEntry>& entries)
{
    ArchiveStatus status;
    const std::unique_ptr<ArchiveStore> archive = ArchiveStore::openLocal(archiveFile(), status);
    QVERIFY2(archive, qPrintable(status.message));
    const StoreResult stored =
        archive->storeReadout(ReadoutInfo::current(identity, historyMode), wrench::history::encode(entries));
    QVERIFY2(stored.status.ok(), qPrintable(stored.status.message));
}

// Wrench A read twice (the second readout brings 20 more records), wrench B once.
void TestArchiveWindow::openWindow()
{
    store(wrenchA, 2, m_entriesA.mid(0, 60));
    store(wrenchB, 3, wrench::history::generate(10));
    store(wrenchA, 2, m_entriesA);
    m_window = std::make_unique<ArchiveWindow>(nullptr, m_host, archiveFile());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

// Looking makes no archive file.
void TestArchiveWindow::archiveNotThereYet()
{
    m_window = std::make_unique<ArchiveWindow>(nullptr, m_host, archiveFile());
    m_window->show();
    QCOMPARE(wrenches()->rowCount(), 0);
    const QString status = part<QLabel>(*m_window, "archiveStatus")->text();
    QVERIFY2(status.startsWith(QStringLiteral("No readout has been archived yet")), qPrintable(status));
    QVERIFY(!part<QPushButton>(*m_window, "archiveSave")->isEnabled());
    QVERIFY(!part<QPushButton>(*m_window, "archiveChart")->isEnabled());
    QVERIFY(!QFile::exists(archiveFile()));

    // Shown again, it reads what came meanwhile.
    m_window->hide();
    store(wrenchB, 3, wrench::history::generate(10));
    m_window->show();
    QCOMPARE(wrenches()->rowCount(), 1);
    QCOMPARE(m_window->selection().identity.serialNumber, wrenchB.serialNumber);
}

void TestArchiveWindow::listsWrenches()
{
    openWindow();
    const QList<int> numbersA = numbersWithin(m_entriesA, {}, {});
    const auto [first, last] = std::minmax_element(
        m_entriesA.cbegin(), m_entriesA.cend(), [](const wrench::HistoryEntry& a, const wrench::HistoryEntry& b) {
            return dateOf(a) < dateOf(b);
        });
    const QList<QStringList> rows{
        {wrenchB.serialNumber, wrenchB.deviceName, QStringLiteral("9"), QString(), QString()},
        {wrenchA.serialNumber, wrenchA.deviceName, QString::number(numbersA.size()),
         dateOf(*first).toString(QStringLiteral("dd.MM.yyyy")), dateOf(*last).toString(QStringLiteral("dd.MM.yyyy"))},
    };
    QCOMPARE(wrenches()->rowCount(), rows.size());
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 3; ++column)
            QCOMPARE(wrenches()->item(row, column)->text(), rows[row][column]);
    }
    QCOMPARE(wrenches()->item(1, 3)->text(), rows[1][3]);
    QCOMPARE(wrenches()->item(1, 4)->text(), rows[1][4]);

    // The first row is chosen; a choice stays over a reload.
    QCOMPARE(m_window->selection().identity.serialNumber, wrenchB.serialNumber);
    wrenches()->selectRow(1);
    m_window->reload();
    QCOMPARE(m_window->selection().identity.serialNumber, wrenchA.serialNumber);
    QCOMPARE(m_window->selection().historyMode, 2);
    // In the order first archived: the first readout's records, then the new ones.
    QCOMPARE(numbersIn(m_window->selection().block), numbersA);
    QCOMPARE(part<ReportView>(*m_window, "archiveReport")->toPlainText(), m_window->reports().text);
    QCOMPARE(part<QLabel>(*m_window, "archiveCount")->text(),
             QStringLiteral("Measurements shown: %1").arg(numbersA.size()));
}

void TestArchiveWindow::dateRange_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("share"); // of the wrench's measurements: none, some or all

    // The generated history runs through the months of 2024, a few records
    // a century on.
    QTest::newRow("all") << QDate() << QDate() << "all";
    QTest::newRow("one month") << QDate(2024, 3, 1) << QDate(2024, 3, 31) << "some";
    QTest::newRow("one day, both ends") << QDate(2024, 3, 7) << QDate(2024, 3, 7) << "some";
    QTest::newRow("a year") << QDate(2024, 1, 1) << QDate(2024, 12, 31) << "some";
    QTest::newRow("reversed") << QDate(2024, 6, 1) << QDate(2024, 5, 1) << "none";
    QTest::newRow("before all") << QDate(2001, 1, 1) << QDate(2001, 12, 31) << "none";
}

void TestArchiveWindow::dateRange()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, share);

    openWindow();
    wrenches()->selectRow(1);
    if (from.isValid()) {
        part<QCheckBox>(*m_window, "archiveAllDates")->setChecked(false);
        part<QDateEdit>(*m_window, "archiveFrom")->setDate(from);
        part<QDateEdit>(*m_window, "archiveTo")->setDate(to);
    }
    const QList<int> expected = numbersWithin(m_entriesA, from, to);
    const qsizetype all = numbersWithin(m_entriesA, {}, {}).size();
    QCOMPARE(share, expected.isEmpty() ? QStringLiteral("none")
                    : expected.size() == all ? QStringLiteral("all") : QStringLiteral("some"));
    QCOMPARE(numbersIn(m_window->selection().block), expected);
    QCOMPARE(part<QLabel>(*m_window, "archiveCount")->text(),
             QStringLiteral("Measurements shown: %1").arg(expected.size()));
    QCOMPARE(part<QPushButton>(*m_window, "archiveSave")->isEnabled(), !expected.isEmpty());
    QCOMPARE(part<QDateEdit>(*m_window, "archiveFrom")->isEnabled(), from.isValid());

    // All dates again: the whole of the wrench.
    part<QCheckBox>(*m_window, "archiveAllDates")->setChecked(true);
    QCOMPARE(numbersIn(m_window->selection().block), numbersWithin(m_entriesA, {}, {}));
}

void TestArchiveWindow::saveAndChart()
{
    openWindow();
    wrenches()->selectRow(1);
    QString proposed;
    for (const char* name : {"a.txt", "a.csv"}) {
        m_window->setSaveNameAsker([&](const QString&, const QString& proposedName, const QString&, QString*) {
            proposed = proposedName;
            return m_folder.filePath(QLatin1String(name));
        });
        QTest::mouseClick(part<QPushButton>(*m_window, "archiveSave"), Qt::LeftButton);
    }
    QVERIFY2(proposed.startsWith(QStringLiteral("Protocol_TW2000123_")), qPrintable(proposed));
    QCOMPARE(fileBytes(m_folder.filePath(QStringLiteral("a.txt"))), m_window->reports().text.toUtf8());
    QCOMPARE(fileBytes(m_folder.filePath(QStringLiteral("a.csv"))), m_window->reports().csv.toUtf8());
    ReportSettings settings;
    settings.identity = wrenchA;
    settings.historyMode = 2;
    settings.decimalSeparator = m_host.historyDecimalSeparator();
    QCOMPARE(m_window->reports().csv, buildCsvReport(m_window->selection().block, settings));

    // The selection for the quality system: a value line per measurement,
    // each naming the wrench.
    m_window->setSaveNameAsker([&](const QString&, const QString&, const QString&, QString*) {
        return m_folder.filePath(QStringLiteral("a.dfq"));
    });
    QTest::mouseClick(part<QPushButton>(*m_window, "archiveAqdef"), Qt::LeftButton);
    const QList<QByteArray> lines = fileBytes(m_folder.filePath(QStringLiteral("a.dfq"))).split('\n');
    const auto countOf = [&lines](const char* key) {
        return std::count_if(lines.cbegin(), lines.cend(), [key](const QByteArray& line) { return line.startsWith(key); });
    };
    QCOMPARE(countOf("K0001/"), m_window->selection().count());
    QCOMPARE(countOf("K0012/"), m_window->selection().count());
    QVERIFY(lines.contains("K0012/1 TW2000123\r"));

    QTest::mouseClick(part<QPushButton>(*m_window, "archiveChart"), Qt::LeftButton);
    auto* chart = m_window->findChild<ChartWindow*>();
    QVERIFY(chart && chart->isVisible());
    QCOMPARE(chart->stats().count, computeStats(measuredPoints(m_window->selection().block)).count);
    // The chart follows the choice.
    wrenches()->selectRow(0);
    QCOMPARE(chart->stats().count, computeStats(measuredPoints(m_window->selection().block)).count);
    QCOMPARE(m_window->selection().identity.serialNumber, wrenchB.serialNumber);
}

// Every control is reached with Tab and named for a screen reader; Escape
// closes the window.
void TestArchiveWindow::keyboard()
{
    openWindow();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    wrenches()->setFocus();
    const QStringList order{QStringLiteral("archiveWrenches"), QStringLiteral("archiveAllDates"),
                            QStringLiteral("archiveReport"), QStringLiteral("archiveSave"),
                            QStringLiteral("archiveAqdef"), QStringLiteral("archiveChart"), QStringLiteral("archiveClose")};
    QStringList reached;
    for (int step = 0; step < order.size(); ++step) {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused);
        reached.append(focused->objectName());
        QVERIFY2(!focused->accessibleName().isEmpty() || !focused->property("text").toString().isEmpty(),
                 qPrintable(focused->objectName()));
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    QCOMPARE(reached, order);

    // Without all dates, the date fields come between.
    part<QCheckBox>(*m_window, "archiveAllDates")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(!part<QCheckBox>(*m_window, "archiveAllDates")->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("archiveFrom"));
    QVERIFY(!QApplication::focusWidget()->accessibleName().isEmpty());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestArchiveWindow)
#include "tst_archivewindow.moc"
