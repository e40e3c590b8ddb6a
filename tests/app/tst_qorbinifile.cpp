#include "app/paths.h"
#include "app/qorbinifile.h"
#include "filebytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

namespace {

} // namespace

class TestQorbInifile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void namedAfterTheStartPath();
    void missingKeyWrittenOnlyWithTheFlag();
    void emptyValueReadsAsMissing();
    void longValueComesBackCut();
    void readInt_data();
    void readInt();
    void missingIntWritesDefault();
    void valuesAreLatin1();
    void windowsFileReadAndKeptOnWrite();
    void unwritableFileGivesDefaults();

private:
    QorbInifile settingsIn(const QString& fileName) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestQorbInifile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("settings.ini"));
}

void TestQorbInifile::cleanup()
{
    paths::setStartPath(QString());
}

QorbInifile TestQorbInifile::settingsIn(const QString& fileName) const
{
    QorbInifile settings;
    settings.setFileName(fileName, true);
    return settings;
}

void TestQorbInifile::namedAfterTheStartPath()
{
    const QString startPath = QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("TolvoTool")));
    paths::setStartPath(startPath);
    QorbInifile settings;
    QCOMPARE(settings.fileName(), startPath + QLatin1String(".ini"));

    settings.setFileName(QStringLiteral("Description.ini"), false);
    QCOMPARE(settings.fileName(),
             QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("Description.ini"))));
    settings.setFileName(QStringLiteral("/abs/other.ini"), true);
    QCOMPARE(settings.fileName(), QStringLiteral("/abs/other.ini"));
}

void TestQorbInifile::missingKeyWrittenOnlyWithTheFlag()
{
    QorbInifile settings = settingsIn(m_file);
    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("CURRENT_FILE"), QString(), false),
             QString());
    QVERIFY(!QFile::exists(m_file));

    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("LANGUAGE"),
                                 QStringLiteral("GERMAN"), true),
             QStringLiteral("GERMAN"));
    QCOMPARE(fileBytes(m_file), QByteArray("[SETUP]\r\nLANGUAGE=GERMAN\r\n"));
    // Now present: read back, not the new default.
    QCOMPARE(settings.readString(QStringLiteral("setup"), QStringLiteral("language"),
                                 QStringLiteral("ENGLISH"), true),
             QStringLiteral("GERMAN"));
}

void TestQorbInifile::emptyValueReadsAsMissing()
{
    QVERIFY(writeFileBytes(m_file, "[SETUP]\r\nXML_PATH=\r\nLANGUAGE=\r\n"));
    QorbInifile settings = settingsIn(m_file);

    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("XML_PATH"),
                                 QStringLiteral("/data"), false),
             QStringLiteral("/data"));
    QCOMPARE(fileBytes(m_file), QByteArray("[SETUP]\r\nXML_PATH=\r\nLANGUAGE=\r\n"));

    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("LANGUAGE"),
                                 QStringLiteral("GERMAN"), true),
             QStringLiteral("GERMAN"));
    QCOMPARE(fileBytes(m_file), QByteArray("[SETUP]\r\nXML_PATH=\r\nLANGUAGE=GERMAN\r\n"));
}

void TestQorbInifile::longValueComesBackCut()
{
    QorbInifile settings = settingsIn(m_file);
    for (const int length : {1023, 1024, 5000}) {
        const QString value(length, u'x');
        QVERIFY(settings.writeString(QStringLiteral("SETUP"), QStringLiteral("HISTORY_PATH"), value));
        QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("HISTORY_PATH"), QString(), false),
                 value.left(1023));
    }
}

void TestQorbInifile::readInt_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("digits") << QByteArray("57600") << 57600;
    QTest::newRow("letters only") << QByteArray("fast") << 0;
    QTest::newRow("blank, digits, letters") << QByteArray("\" 42abc\"") << 42;
    QTest::newRow("negative") << QByteArray("-17") << -17;
    QTest::newRow("plus sign") << QByteArray("+9") << 9;
    QTest::newRow("sign without digits") << QByteArray("-x") << 0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << 0;
    QTest::newRow("int max") << QByteArray("2147483647") << INT_MAX;
    QTest::newRow("one above int max") << QByteArray("2147483648") << INT_MAX;
    QTest::newRow("int min") << QByteArray("-2147483648") << INT_MIN;
    QTest::newRow("one below int min") << QByteArray("-2147483649") << INT_MIN;
    QTest::newRow("huge") << QByteArray("99999999999999999999999999") << INT_MAX;
    QTest::newRow("huge negative") << QByteArray("-99999999999999999999999999") << INT_MIN;
    QTest::newRow("leading zeros") << QByteArray("000000000000000000000012") << 12;
}

void TestQorbInifile::readInt()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    QVERIFY(writeFileBytes(m_file, "[SETUP]\r\nBAUDRATE=" + stored + "\r\n"));
    QorbInifile settings = settingsIn(m_file);
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("BAUDRATE"), 57600, true), expected);
    // A present value is never replaced by the default.
    QCOMPARE(fileBytes(m_file), "[SETUP]\r\nBAUDRATE=" + stored + "\r\n");
}

void TestQorbInifile::missingIntWritesDefault()
{
    QorbInifile settings = settingsIn(m_file);
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("BAUDRATE"), 57600, false), 57600);
    QVERIFY(!QFile::exists(m_file));
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("OFFSET"), -12, true), -12);
    QCOMPARE(fileBytes(m_file), QByteArray("[SETUP]\r\nOFFSET=-12\r\n"));
    QVERIFY(settings.writeInt(QStringLiteral("SETUP"), QStringLiteral("OFFSET"), INT_MIN));
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("OFFSET"), 0, false), INT_MIN);
}

void TestQorbInifile::valuesAreLatin1()
{
    QorbInifile settings = settingsIn(m_file);
    QVERIFY(settings.writeString(QStringLiteral("SETUP"), QStringLiteral("HISTORY_PATH"),
                                 QStringLiteral("C:\\Prüfung")));
    QVERIFY(fileBytes(m_file).contains("HISTORY_PATH=C:\\Pr\xfc" "fung\r\n"));
    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("HISTORY_PATH"), QString(), false),
             QStringLiteral("C:\\Prüfung"));
}

void TestQorbInifile::windowsFileReadAndKeptOnWrite()
{
    const QByteArray windowsFile =
        "; written on the workshop PC\r\n"
        "[Setup]\r\n"
        "Language = \"ENGLISH\"\r\n"
        "  baudrate=  19200  \r\n"
        "; favourite port follows\r\n"
        "Favorite_Port=COM3\r\n"
        "\r\n"
        "[csv]\r\n"
        "ID_SEPARATOR=\";\"\r\n";
    QVERIFY(writeFileBytes(m_file, windowsFile));
    QorbInifile settings = settingsIn(m_file);

    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("LANGUAGE"), QString(), true),
             QStringLiteral("ENGLISH"));
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("BAUDRATE"), 57600, true), 19200);
    QCOMPARE(settings.readString(QStringLiteral("CSV"), QStringLiteral("ID_SEPARATOR"), QString(), true),
             QStringLiteral(";"));
    QCOMPARE(fileBytes(m_file), windowsFile);

    QVERIFY(settings.writeString(QStringLiteral("SETUP"), QStringLiteral("FAVORITE_PORT"),
                                 QStringLiteral("COM4")));
    QVERIFY(settings.writeString(QStringLiteral("CSV"), QStringLiteral("DECIMAL_SEPARATOR"),
                                 QStringLiteral(",")));
    const QByteArray rewritten = fileBytes(m_file);
    QVERIFY2(rewritten.startsWith("; written on the workshop PC\r\n[Setup]\r\n"), rewritten.constData());
    QVERIFY(rewritten.contains("; favourite port follows\r\n"));
    QVERIFY(rewritten.contains("Favorite_Port=COM4\r\n"));
    QVERIFY(!rewritten.contains("COM3"));
    QVERIFY(rewritten.contains("[csv]\r\n"));
    QCOMPARE(rewritten.count("\r\n"), rewritten.count('\n'));
    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("LANGUAGE"), QString(), false),
             QStringLiteral("ENGLISH"));
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("BAUDRATE"), 0, false), 19200);
    QCOMPARE(settings.readString(QStringLiteral("CSV"), QStringLiteral("DECIMAL_SEPARATOR"), QString(), false),
             QStringLiteral(","));
}

void TestQorbInifile::unwritableFileGivesDefaults()
{
    const QString inMissingFolder = m_dir->filePath(QStringLiteral("no/such/folder/settings.ini"));
    QorbInifile settings = settingsIn(inMissingFolder);
    QCOMPARE(settings.readInt(QStringLiteral("SETUP"), QStringLiteral("BAUDRATE"), 57600, true), 57600);
    QCOMPARE(settings.readString(QStringLiteral("SETUP"), QStringLiteral("LANGUAGE"),
                                 QStringLiteral("GERMAN"), true),
             QStringLiteral("GERMAN"));
    QVERIFY(!settings.writeString(QStringLiteral("SETUP"), QStringLiteral("LANGUAGE"),
                                  QStringLiteral("ENGLISH")));
    QVERIFY(!QFile::exists(inMissingFolder));
}

QTEST_GUILESS_MAIN(TestQorbInifile)
#include "tst_qorbinifile.moc"
