#include "app/paths.h"
#include "app/startup.h"
#include "app/tolvotool.h"
#include "platform/profile.h"
#include "tests/support/privateconfighome.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace {

const QString germanSource = QStringLiteral("XML Load Error");

// Plays the user: every modal box that comes up is noted and dismissed, and a
// main window is closed once the event loop runs.
class UserStandIn : public QObject
{
public:
    struct Box {
        QString title;
        QString text;
        bool splashVisible = false;
    };

    UserStandIn()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] { look(); });
        m_poll.start(20);
    }

    QList<Box> boxes;
    bool splashSeen = false;
    bool splashSeenBeforeWindow = false;
    bool mainWindowSeen = false;

private:
    static bool splashVisible()
    {
        const auto windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(), [](QWidget* window) {
            return qobject_cast<QSplashScreen*>(window) && window->isVisible();
        });
    }

    static QWidget* mainWindow()
    {
        const auto windows = QApplication::topLevelWidgets();
        const auto found = std::find_if(windows.begin(), windows.end(), [](QWidget* window) {
            return qobject_cast<TolvoTool*>(window) && window->isVisible();
        });
        return found == windows.end() ? nullptr : *found;
    }

    static QString textOf(QWidget* box)
    {
        if (const auto* messageBox = qobject_cast<QMessageBox*>(box))
            return messageBox->text();
        const auto* label = box->findChild<QLabel*>(QStringLiteral("labelInfo"));
        return label ? label->text() : QString();
    }

    void look()
    {
        if (splashVisible()) {
            splashSeen = true;
            splashSeenBeforeWindow = splashSeenBeforeWindow || !mainWindowSeen;
        }
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            boxes.append({dialog->windowTitle(), textOf(dialog), splashVisible()});
            dialog->reject();
            return;
        }
        if (QWidget* window = mainWindow()) {
            mainWindowSeen = true;
            // Only the event loop of the run, not a wait inside start-up.
            if (QThread::currentThread()->loopLevel() > 0)
                window->close();
        }
    }

    QTimer m_poll;
};

QString readRaw(const QString& file, const char* section, const char* key)
{
    // A sentinel default tells a missing key from an empty value.
    return QString::fromStdString(platform::readProfileString(
        QFile::encodeName(file).toStdString(), section, key, "<missing>"));
}

void writeText(const QString& fileName, const QByteArray& text)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), text.size());
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartWritesDefaults();
    void presentSettingsAreKept();
    void languageSelectsTranslation_data();
    void languageSelectsTranslation();
    void translationFoundInWorkingDirectory();
    void missingGermanTranslationWarns();
    void englishAfterGerman();

    void styleFileMissingEndsAfterMessage();
    void startShowsSplashThenMainWindow();
    void startWithoutSplashPicture();
    void startMessageNotHiddenBySplash();
    void dataSetQuestionNotHiddenBySplash();

    void installedTreeKeepsSettingsInConfigFolder();
    void checkInstallationReportsWhatItFinds_data();
    void checkInstallationReportsWhatItFinds();

private:
    QString startPath() const;
    QString settingsFile() const { return paths::settingsFile(startPath()); }
    void provideGermanTranslation(const QString& directory) const;
    // Into the tool's folder, or into directory.
    void provideStyleFile() const { provideStyleFile(m_toolDir->path()); }
    void provideStyleFile(const QString& directory) const;
    void provideSplashPicture() const { provideSplashPicture(m_toolDir->path()); }
    void provideSplashPicture(const QString& directory) const;
    // <tool dir>/bin/TolvoTool with the given files in <tool dir>/<folder>.
    QString provideTree(const QString& folder, bool style, bool splash, bool translation) const;

    testsupport::PrivateConfigHome m_configHome;
    std::unique_ptr<QTemporaryDir> m_toolDir;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_savedWorkDir;
};

void TestStartup::init()
{
    m_toolDir = std::make_unique<QTemporaryDir>();
    m_workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_toolDir->isValid() && m_workDir->isValid());
    // An empty working directory, so that only the tool's folder can supply
    // a translation.
    m_savedWorkDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workDir->path()));
    paths::setStartPath(startPath());
}

void TestStartup::cleanup()
{
    QDir::setCurrent(m_savedWorkDir);
    paths::setStartPath(QString());
    // Each test starts as a new process would: English, nothing installed.
    const auto translators = QCoreApplication::instance()->findChildren<QTranslator*>();
    for (QTranslator* translator : translators)
        QCoreApplication::removeTranslator(translator);
}

QString TestStartup::startPath() const
{
    return QDir::toNativeSeparators(m_toolDir->filePath(QStringLiteral("TolvoTool")));
}

void TestStartup::provideGermanTranslation(const QString& directory) const
{
    const QString built = qEnvironmentVariable("TOLVO_BIN_DIR") + QLatin1String("/TolvoTool_de.qm");
    QVERIFY2(QFile::exists(built), qPrintable(built));
    QVERIFY(QFile::copy(built, directory + QLatin1String("/TolvoTool_de.qm")));
}

void TestStartup::provideStyleFile(const QString& directory) const
{
    writeText(directory + QLatin1String("/TolvoTool.sty"),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<style>\n"
              "  <resolution><xPix>1280</xPix><yPix>1024</yPix></resolution>\n"
              "  <colors><color name=\"HelpColor\">#ebf0ff</color></colors>\n"
              "</style>\n");
}

void TestStartup::provideSplashPicture(const QString& directory) const
{
    QVERIFY(QDir(directory).mkpath(QStringLiteral("images")));
    QImage picture(200, 120, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    QVERIFY(picture.save(directory + QLatin1String("/images/splash.png")));
}

QString TestStartup::provideTree(const QString& folder, bool style, bool splash, bool translation) const
{
    const QDir root(m_toolDir->path());
    const QString resources = root.filePath(folder);
    root.mkpath(QStringLiteral("bin"));
    root.mkpath(folder);
    const QString start = QDir::toNativeSeparators(root.filePath(QStringLiteral("bin/TolvoTool")));
    if (style)
        provideStyleFile(resources);
    if (splash)
        provideSplashPicture(resources);
    if (translation)
        provideGermanTranslation(resources);
    return start;
}

void TestStartup::firstStartWritesDefaults()
{
    provideGermanTranslation(m_toolDir->path());
    UserStandIn user;
    { TolvoTool window; }
    QVERIFY(user.boxes.isEmpty());

    const QString file = settingsFile();
    QCOMPARE(readRaw(file, "SETUP", "DECIMAL_SEPARATOR"), QStringLiteral(","));
    QCOMPARE(readRaw(file, "SETUP", "XML_PATH"), QString());
    QCOMPARE(readRaw(file, "SETUP", "HTML_PATH"), QString());
    QCOMPARE(readRaw(file, "SETUP", "BAUDRATE"), QStringLiteral("57600"));
    QCOMPARE(readRaw(file, "SETUP", "LANGUAGE"), QStringLiteral("GERMAN"));
    QCOMPARE(readRaw(file, "CSV", "ID_SEPARATOR"), QStringLiteral(";"));
    QCOMPARE(readRaw(file, "CSV", "DECIMAL_SEPARATOR"), QStringLiteral("."));
    // Written only when the user sets them.
    QCOMPARE(readRaw(file, "SETUP", "FAVORITE_PORT"), QStringLiteral("<missing>"));
    QCOMPARE(readRaw(file, "SETUP", "CURRENT_FILE"), QStringLiteral("<missing>"));
    QCOMPARE(readRaw(file, "SETUP", "HISTORY_PATH"), QStringLiteral("<missing>"));
}

void TestStartup::presentSettingsAreKept()
{
    const QByteArray settings = "[SETUP]\r\n"
                                "LANGUAGE=ENGLISH\r\n"
                                "BAUDRATE=9600\r\n"
                                "XML_PATH=/data/sets\r\n"
                                "HTML_PATH=/data/html\r\n"
                                "HISTORY_PATH=/data/history\r\n"
                                "DECIMAL_SEPARATOR=.\r\n"
                                "[CSV]\r\n"
                                "ID_SEPARATOR=,\r\n"
                                "DECIMAL_SEPARATOR=,\r\n";
    writeText(settingsFile(), settings);
    UserStandIn user;
    TolvoTool window;
    QVERIFY(user.boxes.isEmpty());
    QCOMPARE(window.historyPath(), QStringLiteral("/data/history"));
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), settings);
}

void TestStartup::languageSelectsTranslation_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<bool>("german");
    QTest::newRow("GERMAN") << QByteArray("GERMAN") << true;
    QTest::newRow("german") << QByteArray("german") << false;
    QTest::newRow("German") << QByteArray("German") << false;
    QTest::newRow("ENGLISH") << QByteArray("ENGLISH") << false;
    QTest::newRow("empty value: the default") << QByteArray() << true;
}

void TestStartup::languageSelectsTranslation()
{
    QFETCH(QByteArray, language);
    QFETCH(bool, german);
    provideGermanTranslation(m_toolDir->path());
    writeText(settingsFile(), "[SETUP]\r\nLANGUAGE=" + language + "\r\n");

    UserStandIn user;
    TolvoTool window;
    QVERIFY(user.boxes.isEmpty());
    QCOMPARE(TolvoTool::tr("XML Load Error") != germanSource, german);
}

void TestStartup::translationFoundInWorkingDirectory()
{
    provideGermanTranslation(m_workDir->path());
    UserStandIn user;
    TolvoTool window;
    QVERIFY(user.boxes.isEmpty());
    QVERIFY(window.loadTranslation(0));
    QVERIFY(TolvoTool::tr("XML Load Error") != germanSource);
}

void TestStartup::missingGermanTranslationWarns()
{
    UserStandIn user;
    TolvoTool window;
    QCOMPARE(user.boxes.size(), 1);
    QCOMPARE(user.boxes.first().title, QStringLiteral("Tolvo-Tool"));
    QCOMPARE(user.boxes.first().text,
             QStringLiteral("Sorry. No translation availablefor your language.\nUsing english..."));
    QCOMPARE(TolvoTool::tr("XML Load Error"), germanSource);

    QVERIFY(!window.loadTranslation(1));
    QCOMPARE(user.boxes.size(), 1);
}

void TestStartup::englishAfterGerman()
{
    provideGermanTranslation(m_toolDir->path());
    UserStandIn user;
    TolvoTool window;
    QVERIFY(TolvoTool::tr("XML Load Error") != germanSource);
    QVERIFY(!window.loadTranslation(1));
    QCOMPARE(TolvoTool::tr("XML Load Error"), germanSource);
    QVERIFY(window.loadTranslation(0));
    QVERIFY(TolvoTool::tr("XML Load Error") != germanSource);
    QVERIFY(user.boxes.isEmpty());
}

void TestStartup::styleFileMissingEndsAfterMessage()
{
    provideSplashPicture();
    UserStandIn user;
    QCOMPARE(startTool(startPath()), 0);

    QCOMPARE(user.boxes.size(), 1);
    QCOMPARE(user.boxes.first().title, QStringLiteral("XML Load Error"));
    QCOMPARE(user.boxes.first().text,
             QStringLiteral("Failed to load resources from style file\nor Internal Data Error!\n\n"
                            "Please check file <TolvoTool.sty>"));
    QVERIFY(!user.splashSeen);
    QVERIFY(!user.mainWindowSeen);
    QVERIFY(!QFile::exists(settingsFile()));
    QCOMPARE(StyleTemplate::instance(), nullptr);
}

void TestStartup::startShowsSplashThenMainWindow()
{
    provideStyleFile();
    provideSplashPicture();
    provideGermanTranslation(m_toolDir->path());
    UserStandIn user;
    QCOMPARE(startTool(startPath()), 0);

    QVERIFY(user.boxes.isEmpty());
    QVERIFY(user.splashSeenBeforeWindow);
    QVERIFY(user.mainWindowSeen);
    QCOMPARE(readRaw(settingsFile(), "SETUP", "LANGUAGE"), QStringLiteral("GERMAN"));
    // Nothing of the run outlives it.
    QCOMPARE(StyleTemplate::instance(), nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestStartup::startWithoutSplashPicture()
{
    provideStyleFile();
    provideGermanTranslation(m_toolDir->path());
    UserStandIn user;
    QCOMPARE(startTool(startPath()), 0);
    QVERIFY(user.boxes.isEmpty());
    QVERIFY(user.mainWindowSeen);
}

void TestStartup::startMessageNotHiddenBySplash()
{
    provideStyleFile();
    provideSplashPicture();
    UserStandIn user;
    QCOMPARE(startTool(startPath()), 0);

    QCOMPARE(user.boxes.size(), 1);
    QCOMPARE(user.boxes.first().title, QStringLiteral("Tolvo-Tool"));
    QVERIFY(!user.boxes.first().splashVisible);
    QVERIFY(user.splashSeenBeforeWindow);
    QVERIFY(user.mainWindowSeen);
}

// The data set of the last run has lost its checksum: the question comes
// over the closed splash, before the main window, and "No" loads nothing.
void TestStartup::dataSetQuestionNotHiddenBySplash()
{
    provideStyleFile();
    provideSplashPicture();
    provideGermanTranslation(m_toolDir->path());
    const QString dataSet = m_toolDir->filePath(QStringLiteral("last.xml"));
    writeText(dataSet, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<CONFIG></CONFIG>\r\n");
    QVERIFY(platform::writeProfileString(QFile::encodeName(settingsFile()).toStdString(), "SETUP",
                                         "CURRENT_FILE", QFile::encodeName(dataSet).toStdString()));
    UserStandIn user;
    QCOMPARE(startTool(startPath()), 0);

    QCOMPARE(user.boxes.size(), 1);
    QCOMPARE(user.boxes.first().title, QStringLiteral("XML File"));
    QCOMPARE(user.boxes.first().text, QStringLiteral("The calculated CRC does not match.\nDo you want to repair it?"));
    QVERIFY(!user.boxes.first().splashVisible);
    QVERIFY(user.splashSeenBeforeWindow);
    QVERIFY(user.mainWindowSeen);
    QCOMPARE(readRaw(settingsFile(), "SETUP", "XML_PATH"), QString());
}

void TestStartup::installedTreeKeepsSettingsInConfigFolder()
{
    const QString start = provideTree(QStringLiteral("share/tolvotool"), true, true, true);
    const QString configured = paths::userConfigFolder() + QLatin1String("/TolvoTool.ini");
    QFile::remove(configured);
    UserStandIn user;
    QCOMPARE(startTool(start), 0);

    QVERIFY(user.boxes.isEmpty());
    QVERIFY(user.splashSeenBeforeWindow);
    QVERIFY(user.mainWindowSeen);
    // German found in share/tolvotool, settings in the configuration folder.
    QCOMPARE(readRaw(configured, "SETUP", "LANGUAGE"), QStringLiteral("GERMAN"));
    QCOMPARE(readRaw(configured, "SETUP", "BAUDRATE"), QStringLiteral("57600"));
    QVERIFY(!QFile::exists(paths::settingsFile(start)));
    QVERIFY(QFile::remove(configured));
}

void TestStartup::checkInstallationReportsWhatItFinds_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("style");
    QTest::addColumn<bool>("splash");
    QTest::addColumn<bool>("translation");
    QTest::addColumn<int>("exitCode");
    const QString share = QStringLiteral("share/tolvotool");
    const QString bin = QStringLiteral("bin");
    QTest::newRow("installed, complete") << share << true << true << true << 0;
    QTest::newRow("portable, complete") << bin << true << true << true << 0;
    QTest::newRow("no translation") << share << true << true << false << 1;
    QTest::newRow("no pictures") << share << true << false << true << 1;
    QTest::newRow("no style file") << bin << false << true << true << 1;
}

void TestStartup::checkInstallationReportsWhatItFinds()
{
    QFETCH(QString, folder);
    QFETCH(bool, style);
    QFETCH(bool, splash);
    QFETCH(bool, translation);
    QFETCH(int, exitCode);
    const QString start = provideTree(folder, style, splash, translation);
    const QString resources = QDir::toNativeSeparators(m_toolDir->filePath(folder)) + QDir::separator();
    const bool installed = style && folder != QLatin1String("bin");
    const auto verdict = [](bool found) { return found ? QStringLiteral(" ok") : QStringLiteral(" MISSING"); };

    QString report;
    QTextStream out(&report);
    UserStandIn user;
    QCOMPARE(checkInstallation(start, out), exitCode);
    paths::setStartPath(startPath());

    const QStringList expected{
        QStringLiteral("layout: ") + (installed ? QStringLiteral("installed") : QStringLiteral("portable")),
        QStringLiteral("style file: ") + resources + QStringLiteral("TolvoTool.sty") + verdict(style),
        QStringLiteral("pictures: ") + resources + QStringLiteral("images/splash.png") + verdict(splash),
        QStringLiteral("translation: ") + resources + QStringLiteral("TolvoTool_de.qm") + verdict(translation),
        QStringLiteral("settings file: ")
            + (installed ? paths::userConfigFolder() + QStringLiteral("/TolvoTool.ini") : paths::settingsFile(start)),
    };
    QCOMPARE(report.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    // A check shows nothing and writes nothing.
    QVERIFY(user.boxes.isEmpty());
    QVERIFY(!user.mainWindowSeen);
    QVERIFY(!QFile::exists(paths::settingsFile(start)));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
