#include "app/paths.h"

#include <QCoreApplication>
#include <QTest>

class TestPaths : public QObject
{
    Q_OBJECT

private slots:
    void derivedPaths_data();
    void derivedPaths();
    void startPathIsTheAbsoluteExecutable();
};

void TestPaths::derivedPaths_data()
{
    QTest::addColumn<QString>("startPath");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("imageDirectory");
    QTest::addColumn<QString>("styleFile");
    QTest::addColumn<QString>("settingsFile");
    QTest::addColumn<QString>("programDirectory");

    const QChar win(u'\\');
    const QChar posix(u'/');
    QTest::newRow("windows")
        << QStringLiteral("C:\\Tools\\TolvoTool.exe") << win << QStringLiteral("C:\\Tools\\images\\")
        << QStringLiteral("C:\\Tools\\TolvoTool.sty") << QStringLiteral("C:\\Tools\\TolvoTool.ini")
        << QStringLiteral("C:\\Tools\\");
    QTest::newRow("capital extension")
        << QStringLiteral("C:\\TOOLS\\TOLVOTOOL.EXE") << win << QStringLiteral("C:\\TOOLS\\images\\")
        << QStringLiteral("C:\\TOOLS\\TOLVOTOOL.sty") << QStringLiteral("C:\\TOOLS\\TOLVOTOOL.ini")
        << QStringLiteral("C:\\TOOLS\\");
    QTest::newRow("exe inside a folder name")
        << QStringLiteral("D:\\my.exe.files\\Tolvo.Exe") << win
        << QStringLiteral("D:\\my.exe.files\\images\\") << QStringLiteral("D:\\my.exe.files\\Tolvo.sty")
        << QStringLiteral("D:\\my.exe.files\\Tolvo.ini") << QStringLiteral("D:\\my.exe.files\\");
    QTest::newRow("posix")
        << QStringLiteral("/opt/tolvo/TolvoTool") << posix << QStringLiteral("/opt/tolvo/images/")
        << QStringLiteral("/opt/tolvo/TolvoTool.sty") << QStringLiteral("/opt/tolvo/TolvoTool.ini")
        << QStringLiteral("/opt/tolvo/");
    QTest::newRow("posix folder ending in .exe")
        << QStringLiteral("/srv/a.exe/TolvoTool") << posix << QStringLiteral("/srv/a.exe/images/")
        << QStringLiteral("/srv/a.exe/TolvoTool.sty") << QStringLiteral("/srv/a.exe/TolvoTool.ini")
        << QStringLiteral("/srv/a.exe/");
    QTest::newRow("no separator")
        << QStringLiteral("TolvoTool.exe") << win << QStringLiteral("TolvoTool.exe\\images\\")
        << QStringLiteral("TolvoTool.sty") << QStringLiteral("TolvoTool.ini") << QString();
    QTest::newRow("foreign separator is not a separator")
        << QStringLiteral("C:\\Tools\\TolvoTool.exe") << posix
        << QStringLiteral("C:\\Tools\\TolvoTool.exe/images/") << QStringLiteral("C:\\Tools\\TolvoTool.sty")
        << QStringLiteral("C:\\Tools\\TolvoTool.ini") << QString();
}

void TestPaths::derivedPaths()
{
    QFETCH(QString, startPath);
    QFETCH(QChar, separator);

    QTEST(paths::imageDirectory(startPath, separator), "imageDirectory");
    QTEST(paths::styleFile(startPath), "styleFile");
    QTEST(paths::settingsFile(startPath), "settingsFile");
    QTEST(paths::programDirectory(startPath, separator), "programDirectory");
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

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
