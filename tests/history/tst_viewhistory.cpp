// The history page on its own, with a recording main window: what Read does
// for each firmware kind, the access code once per connection, every way a
// readout ends, progress, the logo, the German texts and the chart window.
#include "history/chartwindow.h"
#include "history/reportview.h"
#include "history/viewhistory.h"
#include "pagehost.h"
#include "tools/historygenerator.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QValueAxis>

#include <memory>

namespace {

// 583019, least significant byte first.
const QByteArray readoutCode("\x6B\xE5\x08\x00", 4);

const QString readingText = QStringLiteral(
    "\n\nREADING HISTORY, PLEASE WAIT..!\nthis process may take a few seconds!\n"
    "view changes if the process was finished!");
const QString interruptedText = QStringLiteral(
    "\n\nREADOUT INTERRUPTED!\nthe connection to the wrench was lost.\nplease reconnect and read again.");
const QString unknownText = QStringLiteral(
    "\n\nDEVICE FIRMWARE VERSION UNKNOWN!\nreadout impossible!\nplease reconnect device..");

template <typename T>
T* part(const ViewHistory& view, const char* name)
{
    return view.findChild<T*>(QLatin1String(name));
}

} // namespace

class TestViewHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readByFirmwareKind_data();
    void readByFirmwareKind();
    void readWaitsForFirmwareKind_data();
    void readWaitsForFirmwareKind();
    void accessCodeOncePerConnection();
    void readoutEnds_data();
    void readoutEnds();
    void progress();
    void logo_data();
    void logo();
    void germanTexts();
    void chartOfReadout();
    void archiveLine_data();
    void archiveLine();

private:
    QString text() const { return part<ReportView>(*m_view, "textEditHistory")->toPlainText(); }
    bool idleButtons() const
    {
        return part<QPushButton>(*m_view, "pushButtonRead")->isEnabled()
            && !part<QPushButton>(*m_view, "pushButtonClear")->isEnabled()
            && part<QPushButton>(*m_view, "pushButtonSave")->isEnabled();
    }
    void useStyleFolder(bool withLogo);

    QTemporaryDir m_folder;
    std::unique_ptr<StyleTemplate> m_style;
    std::unique_ptr<PageHost> m_host;
    std::unique_ptr<ViewHistory> m_view;
};

void TestViewHistory::useStyleFolder(bool withLogo)
{
    const QString images = m_folder.filePath(QStringLiteral("images/"));
    QVERIFY(QDir().mkpath(images));
    QFile::remove(images + QLatin1String("logo.PNG"));
    if (withLogo)
        QVERIFY(QFile::copy(qEnvironmentVariable("TOLVO_BIN_DIR") + QLatin1String("/images/logo.PNG"),
                            images + QLatin1String("logo.PNG")));
    bool loaded = false;
    StyleTemplate::setInstance(nullptr);
    m_style = std::make_unique<StyleTemplate>(images, m_folder.filePath(QStringLiteral("none.sty")), &loaded,
                                              ScreenMetrics());
    StyleTemplate::setInstance(m_style.get());
}

void TestViewHistory::init()
{
    QVERIFY(m_folder.isValid());
    useStyleFolder(false);
    m_host = std::make_unique<PageHost>();
    m_view = std::make_unique<ViewHistory>(nullptr, m_host.get());
    m_view->setActive(true);
}

void TestViewHistory::cleanup()
{
    m_view.reset();
    m_host.reset();
    StyleTemplate::setInstance(nullptr);
    m_style.reset();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestViewHistory::readByFirmwareKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("requested");

    // Nothing to wait for: the wrench has not answered on this port.
    QTest::newRow("no wrench answered") << 0 << unknownText << false;
    QTest::newRow("base version") << 1
                                  << QStringLiteral("\n\nYou have connected a base version. A reading of the "
                                                    "stored data is not possible!")
                                  << false;
    QTest::newRow("full version") << 2 << readingText << true;
    QTest::newRow("unknown") << 3 << unknownText << false;
}

void TestViewHistory::readByFirmwareKind()
{
    QFETCH(int, kind);
    QFETCH(QString, shown);
    QFETCH(bool, requested);

    m_host->kind = kind;
    m_host->identified = kind != 0;
    m_view->queueWrite(5, QStringLiteral("720356"), true);
    QTest::mouseClick(part<QPushButton>(*m_view, "pushButtonRead"), Qt::LeftButton);

    // The 4-byte code in every case; the text code queued before is dropped.
    QCOMPARE(m_host->writes.size(), 1);
    QCOMPARE(m_host->writes[0].id, 5);
    QCOMPARE(m_host->writes[0].value, readoutCode);
    QVERIFY(m_host->writes[0].reRead);
    QVERIFY(!m_view->sendNextWrite());

    QCOMPARE(text(), shown);
    QCOMPARE(m_host->recordRequests, requested ? QList<int>{0xFFF0} : QList<int>{});
    QCOMPARE(m_view->isReading(), requested);
    QCOMPARE(QApplication::overrideCursor() != nullptr, requested);
    QCOMPARE(idleButtons(), !requested);
    QCOMPARE(part<QProgressBar>(*m_view, "progressBarRead")->isVisibleTo(m_view.get()), requested);
    if (requested) {
        QCOMPARE(part<QLabel>(*m_view, "labelPercentVal")->text(), QStringLiteral("0%"));
        // The identity parameters are read again for the report.
        QCOMPARE(m_view->nextRead(), 5);
        m_view->onHistoryData(nullptr, 0);
    }
}

// Read before this connection's firmware kind is known: nothing goes out
// until the kind is read, then the readout follows the kind.
void TestViewHistory::readWaitsForFirmwareKind_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QList<int>>("requests");

    QTest::newRow("full version") << "2" << readingText << QList<int>{0xFFF0};
    QTest::newRow("unknown") << "3" << unknownText << QList<int>{};
    QTest::newRow("port closed") << "closed" << interruptedText << QList<int>{};
}

void TestViewHistory::readWaitsForFirmwareKind()
{
    QFETCH(QString, then);
    QFETCH(QString, shown);
    QFETCH(QList<int>, requests);

    m_host->kind = 0;
    QTest::mouseClick(part<QPushButton>(*m_view, "pushButtonRead"), Qt::LeftButton);
    QVERIFY(m_host->writes.isEmpty());
    QVERIFY(m_host->recordRequests.isEmpty());
    QCOMPARE(text(), readingText);
    QVERIFY(!part<QPushButton>(*m_view, "pushButtonRead")->isEnabled());

    if (then == QLatin1String("closed")) {
        m_view->abandonReadout();
    } else {
        m_host->kind = then.toInt();
        m_view->onFirmwareKnown();
    }
    QCOMPARE(text(), shown);
    QCOMPARE(m_host->recordRequests, requests);
    QCOMPARE(m_host->writes.size(), then == QLatin1String("closed") ? 0 : 1);
    QCOMPARE(idleButtons(), requests.isEmpty());
    // Known from now on: a later change of kind starts nothing by itself.
    m_view->onFirmwareKnown();
    QCOMPARE(m_host->recordRequests, requests);
    // After the port closed, Read says so instead of waiting.
    if (then == QLatin1String("closed")) {
        m_view->slotReadHistory();
        QCOMPARE(text(), interruptedText);
        QVERIFY(idleButtons());
    }
}

void TestViewHistory::accessCodeOncePerConnection()
{
    for (int read = 0; read < 2; ++read) {
        m_view->slotReadHistory();
        m_view->onHistoryData(nullptr, 0);
    }
    QCOMPARE(m_host->writes.size(), 1);
    QCOMPARE(m_host->recordRequests.size(), 2);

    m_view->setActive(false);
    m_view->setActive(true);
    m_view->slotReadHistory();
    QCOMPARE(m_host->writes.size(), 2);
    QCOMPARE(m_host->writes[1].value, readoutCode);
}

// However a readout ends, the wait cursor goes, the progress goes and the
// buttons come back; only a complete block leaves a report.
void TestViewHistory::readoutEnds_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("online");

    QTest::newRow("records") << QStringLiteral("records") << QString() << true;
    QTest::newRow("empty block") << QStringLiteral("empty") << QStringLiteral("\n\nno data found!") << true;
    QTest::newRow("too large") << QStringLiteral("too large")
                               << QStringLiteral("\n\nHISTORY TOO LARGE!\nthe device holds more data than can "
                                                 "be read out.")
                               << true;
    QTest::newRow("port closed") << QStringLiteral("port closed") << interruptedText << true;
    QTest::newRow("request refused") << QStringLiteral("request refused") << interruptedText << true;
    QTest::newRow("offline") << QStringLiteral("offline") << QString() << false;
}

void TestViewHistory::readoutEnds()
{
    QFETCH(QString, end);
    QFETCH(QString, shown);
    QFETCH(bool, online);

    const QByteArray block = wrench::history::encode(wrench::history::generate(12));
    HistoryReports expected;
    m_host->portOpen = end != QLatin1String("request refused");
    const QDateTime before = QDateTime::currentDateTime();
    m_view->slotReadHistory();
    if (end == QLatin1String("records")) {
        m_view->setProgress(101);
        m_view->showProgress(false);
        m_view->showProcessing();
        m_view->onHistoryData(block.constData(), static_cast<int>(block.size()));
        ReportSettings settings;
        settings.identity = {m_host->deviceDesignation(), m_host->firmwareVersion(), m_host->hardwareVersion(),
                             m_host->serialNumber()};
        settings.historyMode = 2;
        settings.decimalSeparator = u'.';
        expected = buildReports(block, settings, before);
        if (m_view->reports().text != expected.text)
            expected = buildReports(block, settings, QDateTime::currentDateTime());
        shown = expected.text;
    } else if (end == QLatin1String("empty")) {
        m_view->onHistoryData(block.constData(), 0);
    } else if (end == QLatin1String("too large")) {
        m_view->onHistoryTooLarge();
    } else if (end == QLatin1String("port closed")) {
        m_view->setProgress(40);
        m_view->abandonReadout();
    } else if (end == QLatin1String("offline")) {
        m_view->clearReports();
        m_view->setActive(false);
    }

    QVERIFY(!m_view->isReading());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!part<QProgressBar>(*m_view, "progressBarRead")->isVisibleTo(m_view.get()));
    QCOMPARE(text(), shown);
    QCOMPARE(m_view->reports().text, expected.text);
    QCOMPARE(m_view->reports().csv, expected.csv);
    QCOMPARE(idleButtons(), online);
    // Chart follows Read and Save: nothing of the page stays offline.
    for (const char* name : {"pushButtonRead", "pushButtonSave", "pushButtonChart"})
        QCOMPARE(part<QPushButton>(*m_view, name)->isVisibleTo(m_view.get()), online);
    if (online)
        QCOMPARE(part<QProgressBar>(*m_view, "progressBarRead")->value(), 0);
}

void TestViewHistory::progress()
{
    auto* percent = part<QLabel>(*m_view, "labelPercentVal");
    QCOMPARE(percent->text(), QStringLiteral("TextLabelPercentVal"));
    m_view->setProgress(57);
    QCOMPARE(percent->text(), QStringLiteral("57%"));
    QCOMPARE(part<QProgressBar>(*m_view, "progressBarRead")->value(), 57);
    QCOMPARE(percent->styleSheet(), QStringLiteral("color:#FFFFFF"));

    m_view->showProcessing();
    QCOMPARE(text(), QStringLiteral("\n\nHISTORY DATA ARE PROCESSED, PLEASE WAIT..!\n"
                                    "view changes if the process was finished!"));
}

void TestViewHistory::logo_data()
{
    QTest::addColumn<bool>("withLogo");
    QTest::addColumn<int>("windowWidth");
    QTest::addColumn<int>("largestWidth"); // 0: no picture

    QTest::newRow("1000 wide") << true << 1000 << 200;
    QTest::newRow("1280 wide") << true << 1280 << 256;
    QTest::newRow("no logo file") << false << 1000 << 0;
}

void TestViewHistory::logo()
{
    QFETCH(bool, withLogo);
    QFETCH(int, windowWidth);
    QFETCH(int, largestWidth);

    useStyleFolder(withLogo);
    m_view->updateLogo(windowWidth, 700);
    const QPixmap shown = part<QLabel>(*m_view, "labelLogo")->pixmap();
    if (largestWidth == 0) {
        QVERIFY(shown.isNull());
        return;
    }
    QVERIFY(!shown.isNull());
    QVERIFY(shown.width() > 0);
    QVERIFY(shown.width() <= largestWidth);
}

void TestViewHistory::germanTexts()
{
    QTranslator german;
    QVERIFY(german.load(QStringLiteral("TolvoTool_de"), qEnvironmentVariable("TOLVO_BIN_DIR")));
    QCoreApplication::installTranslator(&german);
    m_view->retranslate();
    m_host->kind = 1;
    m_view->slotReadHistory();
    const QString read = part<QPushButton>(*m_view, "pushButtonRead")->text();
    const QString caption = part<QLabel>(*m_view, "label")->text();
    const QString message = text();
    QCoreApplication::removeTranslator(&german);
    m_view->retranslate();

    QCOMPARE(read, QStringLiteral("Lesen"));
    QCOMPARE(caption, QStringLiteral("Messwerte"));
    QVERIFY2(message.startsWith(QStringLiteral("\n\nSie haben eine Basisversion")), qPrintable(message));
    QCOMPARE(part<QPushButton>(*m_view, "pushButtonRead")->text(), QStringLiteral("Read"));
}

// The chart window follows the report: it opens only when there is one,
// shows every record and the same figures the statistics code gives, saves
// them, and empties when the report goes.
void TestViewHistory::chartOfReadout()
{
    auto* chartButton = part<QPushButton>(*m_view, "pushButtonChart");
    QVERIFY(!chartButton->isEnabled());
    const QList<wrench::HistoryEntry> entries = wrench::history::generate(500);
    const QByteArray block = wrench::history::encode(entries);
    m_view->slotReadHistory();
    QVERIFY(!chartButton->isEnabled());
    m_view->onHistoryData(block.constData(), static_cast<int>(block.size()));
    QVERIFY(chartButton->isEnabled());

    QTest::mouseClick(chartButton, Qt::LeftButton);
    auto* window = m_view->findChild<ChartWindow*>();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    const auto* chart = window->findChild<QChartView*>(QStringLiteral("chartView"))->chart();
    const auto pointCount = [chart](const char* name) {
        for (QAbstractSeries* series : chart->series()) {
            if (series->objectName() == QLatin1String(name))
                return static_cast<int>(qobject_cast<QScatterSeries*>(series)->count());
        }
        return -1;
    };
    const auto stored = std::count_if(entries.cbegin(), entries.cend(),
                                      [](const wrench::HistoryEntry& e) { return e.number != 0; });
    const QList<MeasuredPoint> points = measuredPoints(block);
    const HistoryStats stats = computeStats(points);
    QCOMPARE(stats.count, 450);
    // Every record is a point; those of other units or limits apart.
    QCOMPARE(pointCount("okPoints") + pointCount("notOkPoints") + pointCount("notEvaluatedPoints"), stats.sampleCount);
    QCOMPARE(pointCount("outsidePoints"), stats.excludedCount);
    QCOMPARE(stats.sampleCount + stats.excludedCount, stored);
    const auto inSample = [&](MeasuredPoint::Result result) {
        return static_cast<int>(std::count_if(points.cbegin(), points.cend(), [&](const MeasuredPoint& point) {
            return point.result == result && stats.inSample(point);
        }));
    };
    QCOMPARE(pointCount("okPoints"), inSample(MeasuredPoint::Result::Ok));
    QCOMPARE(pointCount("notOkPoints"), inSample(MeasuredPoint::Result::NotOk));
    QVERIFY(pointCount("okPoints") > 0 && stats.excludedCount > 0);
    // The value axis is scaled for the sample, not for the other units.
    const auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).first());
    QVERIFY(axis->min() <= stats.minimum.value() && stats.maximum.value() <= axis->max());
    QVERIFY(axis->max() - axis->min() < 4 * (stats.upper - stats.lower));
    const QList<StatFigure> figures = statFigures(stats, u'.');
    for (int i = 0; i < figures.size(); ++i) {
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("figureName%1").arg(i))->text(), figures[i].name);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("figureValue%1").arg(i))->text(), figures[i].value);
    }

    QString proposed;
    window->setSaveNameAsker([&](const QString&, const QString& proposedName, const QString& filters,
                                 QString* selectedFilter) {
        proposed = proposedName;
        *selectedFilter = filters;
        return m_folder.filePath(filters.contains(QLatin1String("png")) ? QStringLiteral("chart")
                                                                         : QStringLiteral("figures"));
    });
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("saveChart")), Qt::LeftButton);
    QVERIFY2(proposed.startsWith(QLatin1String("Chart_TW2000123_")) && proposed.endsWith(QLatin1String(".png")),
             qPrintable(proposed));
    const QImage picture(m_folder.filePath(QStringLiteral("chart.png")), "PNG");
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 100 && picture.height() > 100);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("saveStatistics")), Qt::LeftButton);
    QFile csv(m_folder.filePath(QStringLiteral("figures.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(csv.readAll()), statsCsv(stats, u'.'));

    // A new readout replaces what the open window shows.
    const QByteArray small = wrench::history::encode(wrench::history::generate(12));
    m_view->onHistoryData(small.constData(), static_cast<int>(small.size()));
    QCOMPARE(window->stats().count, 11);
    QCOMPARE(pointCount("okPoints") + pointCount("notOkPoints") + pointCount("notEvaluatedPoints")
                 + pointCount("outsidePoints"),
             11);

    m_view->clearReports();
    QVERIFY(!chartButton->isEnabled());
    QCOMPARE(window->stats().count, 0);
    QCOMPARE(pointCount("okPoints") + pointCount("notOkPoints") + pointCount("notEvaluatedPoints")
                 + pointCount("outsidePoints"),
             0);
}

// Only a readout with records goes to the archive; the page shows the
// window's answer under the report until the report goes.
void TestViewHistory::archiveLine_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("answer");

    QTest::newRow("archived") << 12 << QStringLiteral("Archived: 11 new of 11 measurements.");
    QTest::newRow("archive off") << 12 << QString();
    QTest::newRow("no records") << 0 << QStringLiteral("never asked");
}

void TestViewHistory::archiveLine()
{
    QFETCH(int, records);
    QFETCH(QString, answer);

    auto* line = part<QLabel>(*m_view, "labelArchive");
    QVERIFY(!line->isVisibleTo(m_view.get()));
    m_host->archiveText = answer;
    const QByteArray block = wrench::history::encode(wrench::history::generate(records));
    m_view->slotReadHistory();
    m_view->onHistoryData(block.constData(), static_cast<int>(block.size()));

    const bool asked = records > 0;
    QCOMPARE(m_host->archived.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_host->archived[0].first, m_host->serialNumber());
        QCOMPARE(m_host->archived[0].second, block);
    }
    const bool shown = asked && !answer.isEmpty();
    QCOMPARE(line->isVisibleTo(m_view.get()), shown);
    if (shown)
        QCOMPARE(line->text(), answer);
    m_view->clearReports();
    QVERIFY(!line->isVisibleTo(m_view.get()));

    // The archive is the window's to open.
    QTest::mouseClick(part<QPushButton>(*m_view, "pushButtonArchive"), Qt::LeftButton);
    QCOMPARE(m_host->archiveOpened, 1);
}

QTEST_MAIN(TestViewHistory)
#include "tst_viewhistory.moc"
