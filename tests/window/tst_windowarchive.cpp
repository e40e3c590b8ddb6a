// The readout archive from the window: the real window, the simulated wrench
// on a pseudo-terminal, a real SQLite archive in the tool's folder. A readout
// is archived once, the archive window shows and saves it as the history page
// does, and a readout that cannot be archived is still shown and saved.
#include "windowtest.h"
#include "archiveserver.h"
#include "filebytes.h"

#include "archive/archivewindow.h"
#include "archive/readoutarchiver.h"
#include "history/reportview.h"
#include "history/viewhistory.h"
#include "tools/historygenerator.h"

#include <QTableWidget>

using namespace windowtest;

namespace {

constexpr int ReadoutMs = 60000;
const QString txtFilter = QStringLiteral("TXT Files (*.txt)");

// The wrench's generated history as the archive keeps it: the records with
// a number, in the order read.
QByteArray numberedRecords(int records)
{
    QList<wrench::HistoryEntry> entries = wrench::history::generate(records);
    entries.removeIf([](const wrench::HistoryEntry& entry) { return entry.number == 0; });
    return wrench::history::encode(entries);
}

int storedCount(int records)
{
    return static_cast<int>(numberedRecords(records).size() / wrench::HistoryEntry::Size);
}

// The report below its header, which names the time and counts the records.
QString reportBody(const QString& text)
{
    return text.mid(text.indexOf(QStringLiteral("\n\n\n\n\n")));
}

// An answer to the save dialog that writes fileName.
SaveNameAsker answer(const QString& fileName)
{
    return [fileName](const QString&, const QString&, const QString&, QString* selected) {
        *selected = txtFilter;
        return fileName;
    };
}

} // namespace

class TestWindowArchive : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readoutArchivedOnce();
    void notArchived_data();
    void notArchived();
    void serverAwayThenThere();

private:
    void startWindow(const QStringList& wrenchOptions, const QString& serial);
    void readHistory();
    QString archiveLine() const;
    QString pageSave(const char* name);
    bool setServer(const ServerSettings& server) const;
    void recordPushes();

    ViewHistory* view() const { return m_window->historyView(); }
    QString archiveFile() const { return m_folder->filePath(QStringLiteral("archive/readouts.sqlite")); }

    QList<SyncResult> m_pushes;
};

void TestWindowArchive::init()
{
    QVERIFY(makeWorld());
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
    QVERIFY(m_folder->set("ARCHIVE", "FILE", archiveFile()));
}

void TestWindowArchive::cleanup()
{
    tearDownWorld();
}

// Connected, with the wrench's identity read unless serial is empty.
void TestWindowArchive::startWindow(const QStringList& wrenchOptions, const QString& serial)
{
    QVERIFY2(m_wrench->startReady(wrenchOptions), qPrintable(m_wrench->error));
    m_window = std::make_unique<TolvoTool>();
    m_window->show();
    QTRY_VERIFY_WITH_TIMEOUT(button(*m_window, "pushButtonOnline")->isEnabled(), WaitMs);
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(m_window->isOnline());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->historyMode(), 2, WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->firmwareKind() == 2, WaitMs);
    if (!serial.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(m_window->serialNumber(), serial, WaitMs);
}

void TestWindowArchive::readHistory()
{
    QTest::mouseClick(button(*m_window, "pushButtonRead"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!view()->isReading(), ReadoutMs);
    QVERIFY(!view()->reports().text.isEmpty());
}

QString TestWindowArchive::archiveLine() const
{
    const auto* line = m_window->findChild<QLabel*>(QStringLiteral("labelArchive"));
    return line->isVisible() ? line->text() : QString();
}

QString TestWindowArchive::pageSave(const char* name)
{
    const QString file = m_folder->filePath(QLatin1String(name));
    view()->setSaveNameAsker(answer(file));
    view()->slotSaveHistory();
    return file;
}

void TestWindowArchive::readoutArchivedOnce()
{
    startWindow({}, QStringLiteral("TW2000123"));
    // Open before any readout: it makes no archive, and a readout fills it.
    QPushButton* archiveButton = button(*m_window, "pushButtonArchive");
    QVERIFY(archiveButton->isEnabled());
    QTest::mouseClick(archiveButton, Qt::LeftButton);
    ArchiveWindow* archive = m_window->archiveWindow();
    QVERIFY(archive && archive->isVisible());
    auto* wrenches = archive->findChild<QTableWidget*>(QStringLiteral("archiveWrenches"));
    QCOMPARE(wrenches->rowCount(), 0);
    QVERIFY(!QFile::exists(archiveFile()));

    const QByteArray archived = numberedRecords(wrench::history::DefaultCount);
    const int stored = storedCount(wrench::history::DefaultCount);
    readHistory();
    QCOMPARE(archiveLine(), QStringLiteral("Archived: %1 new of %1 measurements.").arg(stored));
    readHistory();
    QCOMPARE(archiveLine(), QStringLiteral("Archived: 0 new of %1 measurements.").arg(stored));

    QCOMPARE(wrenches->rowCount(), 1);
    const QStringList row{QStringLiteral("TW2000123"), QStringLiteral("TOLVO TW-200"), QString::number(stored)};
    for (int column = 0; column < row.size(); ++column)
        QCOMPARE(wrenches->item(0, column)->text(), row[column]);
    QCOMPARE(archive->selection().block, archived);

    // Both saves of both windows: the archive's reports are the readout's,
    // less its empty records.
    const QByteArray pageText = fileBytes(pageSave("page.txt"));
    const QByteArray pageCsv = fileBytes(pageSave("page.csv"));
    QCOMPARE(pageCsv, view()->reports().csv.toUtf8());
    for (const char* name : {"archive.txt", "archive.csv"}) {
        archive->setSaveNameAsker(answer(m_folder->filePath(QLatin1String(name))));
        QTest::mouseClick(archive->findChild<QPushButton*>(QStringLiteral("archiveSave")), Qt::LeftButton);
    }
    QCOMPARE(fileBytes(m_folder->filePath(QStringLiteral("archive.csv"))), pageCsv);
    const QString archiveText = QString::fromUtf8(fileBytes(m_folder->filePath(QStringLiteral("archive.txt"))));
    QCOMPARE(archiveText, archive->reports().text);
    QCOMPARE(reportBody(archiveText), reportBody(QString::fromUtf8(pageText)));
    QVERIFY(archiveText.contains(QStringLiteral("Total measurements:    %1\n").arg(stored)));
    QVERIFY(archiveText.contains(QStringLiteral("Device serial number:  TW2000123\n")));

    // Offline the archive stays reachable.
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(!m_window->isOnline());
    archive->close();
    QVERIFY(archiveButton->isVisible() && archiveButton->isEnabled());
    QTest::mouseClick(archiveButton, Qt::LeftButton);
    QCOMPARE(m_window->archiveWindow(), archive);
    QVERIFY(archive->isVisible());
    QCOMPARE(archive->selection().block, archived);
    QVERIFY(m_user->boxes.isEmpty());
}

// Whatever keeps a readout out of the archive, the page says so and the
// readout is shown and saved as ever.
void TestWindowArchive::notArchived_data()
{
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line"); // its beginning; empty: no line

    // A regular file where a folder would be: root cannot make it either.
    QTest::newRow("file under a regular file")
        << QStringList() << "FILE" << "blocker/archive.sqlite" << "Not archived: The archive ";
    QTest::newRow("no serial number") << QStringList{QStringLiteral("--serial"), QString()} << "ENABLED" << "1"
                                      << "Not archived: the wrench did not give its serial number.";
    QTest::newRow("archive off") << QStringList() << "ENABLED" << "0" << QString();
}

void TestWindowArchive::notArchived()
{
    QFETCH(QStringList, wrenchOptions);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, line);

    QVERIFY(writeFileBytes(m_folder->filePath(QStringLiteral("blocker")), "not a folder"));
    const QString setting = key == QLatin1String("FILE") ? m_folder->filePath(value) : value;
    QVERIFY(m_folder->set("ARCHIVE", qPrintable(key), setting));
    startWindow(wrenchOptions, wrenchOptions.isEmpty() ? QStringLiteral("TW2000123") : QString());
    readHistory();

    QVERIFY2(archiveLine().startsWith(line), qPrintable(archiveLine()));
    QCOMPARE(archiveLine().isEmpty(), line.isEmpty());
    if (key == QLatin1String("FILE"))
        QVERIFY2(archiveLine().contains(QDir::toNativeSeparators(setting)), qPrintable(archiveLine()));
    QCOMPARE(m_window->findChild<ReportView*>(QStringLiteral("textEditHistory"))->toPlainText(),
             view()->reports().text);
    QCOMPARE(fileBytes(pageSave("kept.txt")), view()->reports().text.toUtf8());
    QVERIFY(!QFile::exists(archiveFile()));
    QVERIFY(m_user->boxes.isEmpty());
}

// The plant's server away: each readout is archived here, its push fails
// on the worker thread and the next readout tries again. With the server
// there, the next push takes the readouts that waited.
void TestWindowArchive::serverAwayThenThere()
{
    const QString serial = QStringLiteral("TW2000123");
    const QString noServer = m_folder->filePath(QStringLiteral("no-server"));
    QVERIFY(QDir().mkpath(noServer));
    ServerSettings away;
    away.driver = QStringLiteral("QPSQL");
    away.host = noServer;
    away.database = QStringLiteral("tolvo");
    QVERIFY(setServer(away));
    startWindow({}, serial);
    recordPushes();
    for (int readout = 1; readout <= 2; ++readout) {
        readHistory();
        QVERIFY2(archiveLine().startsWith(QStringLiteral("Archived: ")), qPrintable(archiveLine()));
        QTRY_COMPARE_WITH_TIMEOUT(m_pushes.size(), readout, WaitMs);
        QCOMPARE(m_pushes.last().status.kind, ArchiveStatus::Kind::Unreachable);
        QCOMPARE(m_pushes.last().readoutsPushed, 0);
    }
    QVERIFY(!m_window->archiver().isPushing());

    QString why;
    QVERIFY2(testsupport::archiveServerReady(why), qPrintable(why));
    const ServerSettings server = testsupport::freshServerDatabase(QStringLiteral("tolvo_window_archive"));
    QVERIFY(server.isConfigured());
    m_window.reset();
    QVERIFY(setServer(server));
    startWindow({}, serial);
    recordPushes();
    readHistory();
    QTRY_COMPARE_WITH_TIMEOUT(m_pushes.size(), 1, WaitMs);
    QVERIFY2(m_pushes[0].status.ok(), qPrintable(m_pushes[0].status.message));
    QCOMPARE(m_pushes[0].readoutsPushed, 3);
    const int stored = storedCount(wrench::history::DefaultCount);
    QCOMPARE(m_pushes[0].measurementsNew, stored);
    ArchiveStatus status;
    const std::unique_ptr<ArchiveStore> onServer = ArchiveStore::openServer(server, status);
    QVERIFY2(onServer, qPrintable(status.message));
    QCOMPARE(onServer->count({serial, {}, {}}, status), qint64(stored));
}

bool TestWindowArchive::setServer(const ServerSettings& server) const
{
    const std::pair<const char*, QString> keys[] = {{"SERVER_DRIVER", server.driver},
                                                    {"SERVER_HOST", server.host},
                                                    {"SERVER_PORT", QString::number(server.port)},
                                                    {"SERVER_DATABASE", server.database},
                                                    {"SERVER_USER", server.user}};
    return std::all_of(std::begin(keys), std::end(keys),
                       [this](const auto& key) { return m_folder->set("ARCHIVE", key.first, key.second); });
}

// The results of the window's pushes from now on, as they come.
void TestWindowArchive::recordPushes()
{
    m_pushes.clear();
    connect(&m_window->archiver(), &ReadoutArchiver::pushFinished, this,
            [this](const SyncResult& result) { m_pushes.append(result); });
}

QTEST_MAIN(TestWindowArchive)
#include "tst_windowarchive.moc"
