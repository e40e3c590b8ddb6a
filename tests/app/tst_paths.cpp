#include "app/paths.h"
#include "tests/support/filebytes.h"
#include "tests/support/privateconfighome.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

// An installed tree or a portable folder in a scratch folder: <root>/bin is
// the program folder, <root>/share/tolvotool the installed data directory.
class Tree
{
public:
    bool isValid() const { return m_root.isValid() && QDir(m_root.path()).mkpath(QStringLiteral("bin")); }
    QString path(const char* relative) const { return QDir::toNativeSeparators(m_root.filePath(QLatin1String(relative))); }
    QString startPath() const { return path("bin/TolvoTool"); }
    QString bin() const { return path("bin/"); }
    QString share() const { return path("share/tolvotool/"); }
    bool put(const QString& file) const
    {
        return QDir().mkpath(QFileInfo(file).absolutePath()) && writeFileBytes(file, "<style/>");
    }

private:
    QTemporaryDir m_root;
};

QString configSettings()
{
    return paths::userConfigFolder() + QDir::separator() + QLatin1String("TolvoTool.ini");
}

} // namespace

class TestPaths : public QObject
{
    Q_OBJECT

private slots:
    void derivedPaths_data();
    void derivedPaths();
    void startPathIsTheAbsoluteExecutable();
    void settingsRule_data();
    void settingsRule();
    void layoutOnDisk_data();
    void layoutOnDisk();
    void readOnlyPortableFolder();
    void configFolderIsTheWindowProgramsOwn();
    void translationFromEitherLayout_data();
    void translationFromEitherLayout();

private:
    testsupport::PrivateConfigHome m_configHome;
};

void TestPaths::derivedPaths_data()
{
    QTest::addColumn<QString>("startPath");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("imageDirectory");
    QTest::addColumn<QString>("styleFile");
    QTest::addColumn<QString>("settingsFile");
    QTest::addColumn<QString>("programDirectory");
    QTest::addColumn<QString>("installedDataDirectory");

    const QChar win(u'\\');
    const QChar posix(u'/');
    QTest::newRow("windows")
        << QStringLiteral("C:\\Tools\\TolvoTool.exe") << win << QStringLiteral("C:\\Tools\\images\\")
        << QStringLiteral("C:\\Tools\\TolvoTool.sty") << QStringLiteral("C:\\Tools\\TolvoTool.ini")
        << QStringLiteral("C:\\Tools\\") << QStringLiteral("C:\\share\\tolvotool\\");
    QTest::newRow("capital extension")
        << QStringLiteral("C:\\TOOLS\\TOLVOTOOL.EXE") << win << QStringLiteral("C:\\TOOLS\\images\\")
        << QStringLiteral("C:\\TOOLS\\TOLVOTOOL.sty") << QStringLiteral("C:\\TOOLS\\TOLVOTOOL.ini")
        << QStringLiteral("C:\\TOOLS\\") << QStringLiteral("C:\\share\\tolvotool\\");
    QTest::newRow("exe inside a folder name")
        << QStringLiteral("D:\\my.exe.files\\Tolvo.Exe") << win
        << QStringLiteral("D:\\my.exe.files\\images\\") << QStringLiteral("D:\\my.exe.files\\Tolvo.sty")
        << QStringLiteral("D:\\my.exe.files\\Tolvo.ini") << QStringLiteral("D:\\my.exe.files\\")
        << QStringLiteral("D:\\share\\tolvotool\\");
    QTest::newRow("posix")
        << QStringLiteral("/opt/tolvo/TolvoTool") << posix << QStringLiteral("/opt/tolvo/images/")
        << QStringLiteral("/opt/tolvo/TolvoTool.sty") << QStringLiteral("/opt/tolvo/TolvoTool.ini")
        << QStringLiteral("/opt/tolvo/") << QStringLiteral("/opt/share/tolvotool/");
    QTest::newRow("posix folder ending in .exe")
        << QStringLiteral("/srv/a.exe/TolvoTool") << posix << QStringLiteral("/srv/a.exe/images/")
        << QStringLiteral("/srv/a.exe/TolvoTool.sty") << QStringLiteral("/srv/a.exe/TolvoTool.ini")
        << QStringLiteral("/srv/a.exe/") << QStringLiteral("/srv/share/tolvotool/");
    QTest::newRow("no separator")
        << QStringLiteral("TolvoTool.exe") << win << QStringLiteral("TolvoTool.exe\\images\\")
        << QStringLiteral("TolvoTool.sty") << QStringLiteral("TolvoTool.ini") << QString() << QString();
    QTest::newRow("foreign separator is not a separator")
        << QStringLiteral("C:\\Tools\\TolvoTool.exe") << posix
        << QStringLiteral("C:\\Tools\\TolvoTool.exe/images/") << QStringLiteral("C:\\Tools\\TolvoTool.sty")
        << QStringLiteral("C:\\Tools\\TolvoTool.ini") << QString() << QString();
    QTest::newRow("installed in /usr")
        << QStringLiteral("/usr/bin/TolvoTool") << posix << QStringLiteral("/usr/bin/images/")
        << QStringLiteral("/usr/bin/TolvoTool.sty") << QStringLiteral("/usr/bin/TolvoTool.ini")
        << QStringLiteral("/usr/bin/") << QStringLiteral("/usr/share/tolvotool/");
    QTest::newRow("in the root folder: no parent")
        << QStringLiteral("/TolvoTool") << posix << QStringLiteral("/images/") << QStringLiteral("/TolvoTool.sty")
        << QStringLiteral("/TolvoTool.ini") << QStringLiteral("/") << QString();
}

void TestPaths::derivedPaths()
{
    QFETCH(QString, startPath);
    QFETCH(QChar, separator);

    QTEST(paths::imageDirectory(startPath, separator), "imageDirectory");
    QTEST(paths::styleFile(startPath), "styleFile");
    QTEST(paths::settingsFile(startPath), "settingsFile");
    QTEST(paths::programDirectory(startPath, separator), "programDirectory");
    QTEST(paths::installedDataDirectory(startPath, separator), "installedDataDirectory");
}

void TestPaths::startPathIsTheAbsoluteExecutable()
{
    const QString executable = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    QVERIFY(QDir::isAbsolutePath(paths::startPath()));
    QCOMPARE(paths::startPath(), executable);
    QCOMPARE(paths::settingsFile(paths::startPath()), executable + QLatin1String(".ini"));

    paths::setStartPath(QStringLiteral("/elsewhere/TolvoTool"));
    QCOMPARE(paths::startPath(), QStringLiteral("/elsewhere/TolvoTool"));
    paths::setStartPath(QString());
    QCOMPARE(paths::startPath(), executable);
}

void TestPaths::settingsRule_data()
{
    QTest::addColumn<QString>("startPath");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("configFolder");
    QTest::addColumn<QString>("settingsFile");

    const QString home = QStringLiteral("/home/ute/.config/TolvoTool");
    QTest::newRow("portable, writable: beside")
        << QStringLiteral("/opt/tolvo/TolvoTool") << false << true << home << QStringLiteral("/opt/tolvo/TolvoTool.ini");
    QTest::newRow("portable, read-only: configuration folder")
        << QStringLiteral("/opt/tolvo/TolvoTool") << false << false << home
        << QStringLiteral("/home/ute/.config/TolvoTool/TolvoTool.ini");
    QTest::newRow("installed, read-only: configuration folder")
        << QStringLiteral("/usr/bin/TolvoTool") << true << false << home
        << QStringLiteral("/home/ute/.config/TolvoTool/TolvoTool.ini");
    // Root may write to /usr/bin, but the settings still do not go there.
    QTest::newRow("installed, writable: configuration folder")
        << QStringLiteral("/usr/bin/TolvoTool") << true << true << home
        << QStringLiteral("/home/ute/.config/TolvoTool/TolvoTool.ini");
    QTest::newRow("the file keeps the executable's name")
        << QStringLiteral("/usr/local/bin/Tolvo2") << true << false << home
        << QStringLiteral("/home/ute/.config/TolvoTool/Tolvo2.ini");
    QTest::newRow("no configuration folder: beside")
        << QStringLiteral("/usr/bin/TolvoTool") << true << false << QString() << QStringLiteral("/usr/bin/TolvoTool.ini");
}

void TestPaths::settingsRule()
{
    QFETCH(QString, startPath);
    QFETCH(bool, installed);
    QFETCH(bool, writable);
    QFETCH(QString, configFolder);
    QTEST(paths::settingsLocation(startPath, installed, writable, configFolder), "settingsFile");
}

void TestPaths::layoutOnDisk_data()
{
    QTest::addColumn<bool>("styleBeside");
    QTest::addColumn<bool>("styleInShare");
    QTest::addColumn<bool>("installed");
    QTest::newRow("portable") << true << false << false;
    QTest::newRow("installed") << false << true << true;
    QTest::newRow("both: the files beside win") << true << true << false;
    QTest::newRow("neither: beside, where the missing style file is reported") << false << false << false;
}

void TestPaths::layoutOnDisk()
{
    QFETCH(bool, styleBeside);
    QFETCH(bool, styleInShare);
    QFETCH(bool, installed);
    Tree tree;
    QVERIFY(tree.isValid());
    if (styleBeside)
        QVERIFY(tree.put(tree.path("bin/TolvoTool.sty")));
    if (styleInShare)
        QVERIFY(tree.put(tree.path("share/tolvotool/TolvoTool.sty")));

    const QString start = tree.startPath();
    const QString resources = installed ? tree.share() : tree.bin();
    QCOMPARE(paths::isInstalledLayout(start), installed);
    QCOMPARE(paths::resourceDirectory(start), resources);
    QCOMPARE(paths::resourceStyleFile(start), resources + QLatin1String("TolvoTool.sty"));
    QCOMPARE(paths::resourceImageDirectory(start), resources + QLatin1String("images") + QDir::separator());
    QCOMPARE(paths::settingsFileInUse(start), installed ? configSettings() : tree.path("bin/TolvoTool.ini"));
    // The descriptions and the wrench's files go where the settings go.
    QCOMPARE(paths::writableFolder(start).startsWith(tree.bin()), !installed);
    // The wrench's files in a folder of their own there, never beside the programs.
    const QString writable = installed ? paths::userConfigFolder() + QDir::separator() : tree.bin();
    QCOMPARE(paths::downloadFolder(start), writable + QLatin1String("downloads") + QDir::separator());
    // The archive beside the portable settings, else with the user's data.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QCOMPARE(paths::archiveFile(start), installed ? QDir::toNativeSeparators(data + QLatin1String("/TolvoTool/archive.sqlite"))
                                                  : tree.bin() + QLatin1String("archive.sqlite"));
}

void TestPaths::readOnlyPortableFolder()
{
    Tree tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.put(tree.path("bin/TolvoTool.sty")));
    QFile bin(tree.bin());
    const QFileDevice::Permissions before = bin.permissions();
    QVERIFY(bin.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                               | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const bool stillWritable = QFileInfo(tree.bin()).isWritable();
    const QString settings = paths::settingsFileInUse(tree.startPath());
    QVERIFY(bin.setPermissions(before));
    if (stillWritable)
        QSKIP("The account writes to read-only folders (root); the unprivileged run checks this");
    QCOMPARE(settings, configSettings());
    QVERIFY(!paths::isInstalledLayout(tree.startPath()));
}

void TestPaths::configFolderIsTheWindowProgramsOwn()
{
    const QString ownName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("TolvoTool"));
    const QString appConfig = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QCoreApplication::setApplicationName(ownName);
    QVERIFY(!appConfig.isEmpty());
    QCOMPARE(paths::userConfigFolder(), QDir::toNativeSeparators(appConfig));
    // Another program of the tool (this test, the command-line program) uses the same.
    QVERIFY(QCoreApplication::applicationName() != QLatin1String("TolvoTool"));
    QCOMPARE(paths::userConfigFolder(), QDir::toNativeSeparators(appConfig));
}

void TestPaths::translationFromEitherLayout_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("portable") << QStringLiteral("bin/");
    QTest::newRow("installed") << QStringLiteral("share/tolvotool/");
}

void TestPaths::translationFromEitherLayout()
{
    QFETCH(QString, folder);
    Tree tree;
    QVERIFY(tree.isValid());
    const QString resources = tree.path(qPrintable(folder));
    QVERIFY(tree.put(resources + QLatin1String("TolvoTool.sty")));
    const QString built = qEnvironmentVariable("TOLVO_BIN_DIR") + QLatin1String("/TolvoTool_de.qm");
    QVERIFY(QFile::copy(built, resources + QLatin1String("TolvoTool_de.qm")));
    // Nothing in the working directory to find first.
    QVERIFY(!QFile::exists(QStringLiteral("TolvoTool_de.qm")));

    paths::setStartPath(tree.startPath());
    QTranslator translator;
    const bool loaded = paths::loadTranslation(translator, QStringLiteral("TolvoTool_de"));
    paths::setStartPath(QString());
    QVERIFY(loaded);
    QCOMPARE(QDir::toNativeSeparators(translator.filePath()), resources + QLatin1String("TolvoTool_de.qm"));
    QCOMPARE(translator.translate("TolvoTool", "Exit").isEmpty(), false);
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
