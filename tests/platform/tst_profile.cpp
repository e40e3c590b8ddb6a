#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string text(const QByteArray& bytes)
{
    return bytes.toStdString();
}

// File names for the platform calls (the test folders are plain ASCII).
std::string path(const QString& name)
{
    return name.toStdString();
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_file;

    void writeFile(const QByteArray& bytes)
    {
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray readFile() const
    {
        QFile file(m_file);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::string read(const char* section, const char* key, const char* defaultValue = "default",
                     std::size_t bufferSize = 1024) const
    {
        return platform::readProfileString(path(m_file), section, key, defaultValue, bufferSize);
    }

    bool write(const std::string& section, const std::string& key, const std::string& value) const
    {
        return platform::writeProfileString(path(m_file), section, key, value);
    }

    // Everything in the folder except the settings file: temporary files left behind.
    QStringList strayFiles() const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral("settings.ini"));
        return names;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("settings.ini"));
        QFile::remove(m_file);
    }

    void missingFileSectionOrKeyGivesDefault()
    {
        QCOMPARE(read("SETUP", "LANGUAGE"), std::string("default"));
        writeFile("[SETUP]\r\nBAUDRATE=57600\r\n");
        QCOMPARE(read("SETUP", "LANGUAGE"), std::string("default"));
        QCOMPARE(read("CSV", "BAUDRATE"), std::string("default"));
        QCOMPARE(read("SETUP", "BAUDRATE"), std::string("57600"));
    }

    void emptyValueIsEmptyNotDefault()
    {
        writeFile("[SETUP]\nXML_PATH=\nHTML_PATH =   \t\n");
        QCOMPARE(read("SETUP", "XML_PATH"), std::string());
        QCOMPARE(read("SETUP", "HTML_PATH"), std::string());
    }

    void longValueIsCutToBuffer()
    {
        const std::string longValue(1500, 'x');
        writeFile(QByteArray("[SETUP]\r\nCURRENT_FILE=") + QByteArray::fromStdString(longValue) + "\r\n");
        QCOMPARE(read("SETUP", "CURRENT_FILE").size(), std::size_t{1023});
        QCOMPARE(read("SETUP", "CURRENT_FILE", "", 1500).size(), std::size_t{1499});
        QCOMPARE(read("SETUP", "CURRENT_FILE", "", 1), std::string());
        QCOMPARE(read("SETUP", "CURRENT_FILE", "", 0), std::string());
        QCOMPARE(read("SETUP", "MISSING", "abcdef", 4), std::string("abc"));
    }

    void namesIgnoreLetterCaseAndKeepTheirSpelling()
    {
        writeFile("[Setup]\r\nLanguage=GERMAN\r\n");
        QCOMPARE(read("SETUP", "LANGUAGE"), std::string("GERMAN"));
        QCOMPARE(read("setup", "language"), std::string("GERMAN"));
        QVERIFY(write("SETUP", "LANGUAGE", "ENGLISH"));
        QCOMPARE(readFile(), QByteArray("[Setup]\r\nLanguage=ENGLISH\r\n"));
    }

    void valuesAreTrimmedAndUnquotedWithoutInlineComments()
    {
        writeFile("[CSV]\n"
                  "  ID_SEPARATOR  =  ;  \n"
                  "QUOTED=\"  two blanks  \"\n"
                  "HALF=\"open\n"
                  "COMMENTED=a;b\n"
                  "EQUALS=x=y\n");
        QCOMPARE(read("CSV", "ID_SEPARATOR"), std::string(";"));
        QCOMPARE(read("CSV", "QUOTED"), std::string("  two blanks  "));
        QCOMPARE(read("CSV", "HALF"), std::string("\"open"));
        QCOMPARE(read("CSV", "COMMENTED"), std::string("a;b"));
        QCOMPARE(read("CSV", "EQUALS"), std::string("x=y"));
    }

    void firstDuplicateWins()
    {
        writeFile("[SETUP]\nBAUDRATE=9600\nbaudrate=19200\n[CSV]\nX=1\n[setup]\nBAUDRATE=38400\nLATE=1\n");
        QCOMPARE(read("SETUP", "BAUDRATE"), std::string("9600"));
        QCOMPARE(read("SETUP", "LATE"), std::string("default"));
        QVERIFY(write("SETUP", "BAUDRATE", "57600"));
        QCOMPARE(readFile(), QByteArray("[SETUP]\r\nBAUDRATE=57600\r\nbaudrate=19200\r\n[CSV]\r\nX=1\r\n"
                                        "[setup]\r\nBAUDRATE=38400\r\nLATE=1\r\n"));
    }

    void windowsFileReadsAndKeepsItsLayout()
    {
        const QByteArray windowsFile = "; written by the service tool\r\n"
                                       "[SETUP]\r\n"
                                       "; port of the wrench\r\n"
                                       "Favorite_Port=COM12\r\n"
                                       "XML_PATH=\"C:\\Daten\\Wrench Files\"\r\n"
                                       "\r\n"
                                       "; separators\r\n"
                                       "[Csv]\r\n"
                                       "ID_SEPARATOR=;\r\n";
        writeFile(windowsFile);
        QCOMPARE(read("SETUP", "FAVORITE_PORT"), std::string("COM12"));
        QCOMPARE(read("SETUP", "XML_PATH"), std::string("C:\\Daten\\Wrench Files"));
        QCOMPARE(read("CSV", "ID_SEPARATOR"), std::string(";"));

        QVERIFY(write("SETUP", "FAVORITE_PORT", "COM3"));
        QVERIFY(write("SETUP", "LANGUAGE", "ENGLISH"));
        QVERIFY(write("CSV", "DECIMAL_SEPARATOR", "."));
        QVERIFY(write("PORTS", "COM3", "/dev/serial/by-id/usb-wrench"));
        QCOMPARE(readFile(), QByteArray("; written by the service tool\r\n"
                                        "[SETUP]\r\n"
                                        "; port of the wrench\r\n"
                                        "Favorite_Port=COM3\r\n"
                                        "XML_PATH=\"C:\\Daten\\Wrench Files\"\r\n"
                                        "LANGUAGE=ENGLISH\r\n"
                                        "\r\n"
                                        "; separators\r\n"
                                        "[Csv]\r\n"
                                        "ID_SEPARATOR=;\r\n"
                                        "DECIMAL_SEPARATOR=.\r\n"
                                        "\r\n"
                                        "[PORTS]\r\n"
                                        "COM3=/dev/serial/by-id/usb-wrench\r\n"));
    }

    void firstWriteCreatesTheFile()
    {
        QVERIFY(write("SETUP", "BAUDRATE", "57600"));
        QVERIFY(write("CSV", "ID_SEPARATOR", ";"));
        QCOMPARE(readFile(), QByteArray("[SETUP]\r\nBAUDRATE=57600\r\n\r\n[CSV]\r\nID_SEPARATOR=;\r\n"));
        QVERIFY(strayFiles().isEmpty());
    }

    void writtenValuesReadBackUnchanged_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain") << QByteArray("C:\\Data") << QByteArray("C:\\Data");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
        QTest::newRow("blank separator") << QByteArray(" ") << QByteArray(" ");
        QTest::newRow("blanks at the ends") << QByteArray("  a b  ") << QByteArray("  a b  ");
        QTest::newRow("enclosing quotes") << QByteArray("\"quoted\"") << QByteArray("\"quoted\"");
        QTest::newRow("semicolon") << QByteArray("a;b") << QByteArray("a;b");
        QTest::newRow("line ends become spaces") << QByteArray("one\r\ntwo\nthree") << QByteArray("one  two three");
        QTest::newRow("section in value") << QByteArray("x\n[EVIL]\nk=v") << QByteArray("x [EVIL] k=v");
    }

    void writtenValuesReadBackUnchanged()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, expected);
        QVERIFY(write("SETUP", "VALUE", text(value)));
        QVERIFY(write("SETUP", "AFTER", "kept"));
        QCOMPARE(read("SETUP", "VALUE"), text(expected));
        QCOMPARE(read("SETUP", "AFTER"), std::string("kept"));
        QCOMPARE(read("EVIL", "k"), std::string("default"));
        QCOMPARE(readFile().count("\r\n"), 3);
    }

    void unstorableNamesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("] in section") << QByteArray("SET]UP") << QByteArray("KEY");
        QTest::newRow("LF in section") << QByteArray("SET\nUP") << QByteArray("KEY");
        QTest::newRow("CR in section") << QByteArray("SETUP\r") << QByteArray("KEY");
        QTest::newRow("= in key") << QByteArray("SETUP") << QByteArray("A=B");
        QTest::newRow("LF in key") << QByteArray("SETUP") << QByteArray("A\nB");
        QTest::newRow("empty key") << QByteArray("SETUP") << QByteArray("  ");
        QTest::newRow("comment key") << QByteArray("SETUP") << QByteArray(";KEY");
        QTest::newRow("section key") << QByteArray("SETUP") << QByteArray("[KEY]");
    }

    void unstorableNamesAreRefused()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        const QByteArray before = "[SETUP]\r\nBAUDRATE=57600\r\n";
        writeFile(before);
        QVERIFY(!write(text(section), text(key), "value"));
        QCOMPARE(readFile(), before);
        QVERIFY(strayFiles().isEmpty());
    }

    void linkAndModeOfTheFileStay()
    {
        const QString target = m_dir.filePath(QStringLiteral("real.ini"));
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[SETUP]\r\nBAUDRATE=9600\r\n");
        }
        QVERIFY(::chmod(path(target).c_str(), 0600) == 0);
        QVERIFY(QFile::link(target, m_file));
        QVERIFY(write("SETUP", "BAUDRATE", "57600"));
        QVERIFY(QFileInfo(m_file).isSymLink());
        QCOMPARE(read("SETUP", "BAUDRATE"), std::string("57600"));
        struct stat info {};
        QVERIFY(::stat(path(target).c_str(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t{0600});
        QFile::remove(target);
    }

    void readOnlyFileStaysUntouched()
    {
        const QByteArray before = "[SETUP]\r\nBAUDRATE=9600\r\n";
        writeFile(before);
        QVERIFY(::chmod(path(m_file).c_str(), 0444) == 0);
        QVERIFY(!write("SETUP", "BAUDRATE", "57600"));
        QCOMPARE(readFile(), before);
        struct stat info {};
        QVERIFY(::stat(path(m_file).c_str(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t{0444});
        QVERIFY(strayFiles().isEmpty());
        QVERIFY(::chmod(path(m_file).c_str(), 0644) == 0);
    }

    // The target of a dangling link is created, as the Windows call does
    // through a link; the link stays.
    void danglingLinkGetsItsTarget()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("kept")));
        QVERIFY(::symlink("kept/real.ini", path(m_file).c_str()) == 0);
        QVERIFY(write("SETUP", "BAUDRATE", "57600"));
        QVERIFY(QFileInfo(m_file).isSymLink());
        const QString target = m_dir.filePath(QStringLiteral("kept/real.ini"));
        QVERIFY(QFileInfo(target).isFile());
        QCOMPARE(read("SETUP", "BAUDRATE"), std::string("57600"));
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("kept"))).removeRecursively());
        QFile::remove(m_file);
    }

    void endlessLinksAreNotReplaced()
    {
        QVERIFY(::symlink("settings.ini", path(m_file).c_str()) == 0);
        QVERIFY(!write("SETUP", "BAUDRATE", "57600"));
        QVERIFY(QFileInfo(m_file).isSymLink());
        QVERIFY(strayFiles().isEmpty());
        QFile::remove(m_file);
    }

    void staleTemporariesAreRemoved()
    {
        writeFile("[SETUP]\r\nBAUDRATE=9600\r\n");
        const QString running = QStringLiteral(".settings.ini.%1-0.tmp").arg(::getpid());
        // No process has a number this high.
        const QStringList names{QStringLiteral(".settings.ini.999999999-3.tmp"), running,
                                QStringLiteral(".settings.ini.notes"), QStringLiteral(".settings.ini.x-1.tmp"),
                                QStringLiteral(".other.ini.999999999-1.tmp")};
        for (const QString& name : names) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        platform::removeStaleProfileTemporaries(path(m_file));
        QStringList left = strayFiles();
        left.sort();
        QStringList expected = names.mid(1);
        expected.sort();
        QCOMPARE(left, expected);
        QCOMPARE(read("SETUP", "BAUDRATE"), std::string("9600"));
        for (const QString& name : expected)
            QFile::remove(m_dir.filePath(name));
    }

    void unreadableFileIsNotReplaced()
    {
        // A folder in place of the file cannot be read: writing must not
        // replace it with a file holding just the one key.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("settings.ini")));
        QVERIFY(!write("SETUP", "BAUDRATE", "57600"));
        QVERIFY(QFileInfo(m_file).isDir());
        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("settings.ini")));
    }

    void failedWriteLeavesTheOldFileWhole()
    {
        const QByteArray before = "; comment\r\n[SETUP]\r\nBAUDRATE=57600\r\nLANGUAGE=GERMAN\r\n";
        writeFile(before);

        // The file size limit makes the write of the new text fail half way,
        // as a full disk would.
        constexpr rlim_t kLimit = 4096;
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = kLimit;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const bool written = write("SETUP", "CURRENT_FILE", std::string(2 * kLimit, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!written);
        QCOMPARE(readFile(), before);
        QCOMPARE(read("SETUP", "LANGUAGE"), std::string("GERMAN"));
        QVERIFY(strayFiles().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
