// The message service's reading of the wrench's messages, fed through a real
// receive pool and parser into the engine's event handler; no port.

#include "protocoltest.h"

#include "protocol/kapsmessage.h"
#include "protocol/qkapsmsgio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray be16(int value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
    bytes.append(static_cast<char>(value & 0xFF));
    return bytes;
}

QByteArray be32(quint32 value)
{
    return be16(static_cast<int>(value >> 16)) + be16(static_cast<int>(value & 0xFFFF));
}

// The announcement of a file download: "FST", the name ending in 0, the size.
QByteArray fileStart(const QByteArray& name, quint32 size)
{
    return "FST" + name + '\0' + be32(size);
}

QByteArray pattern(int length, int seed)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>((i * 7 + seed) & 0xFF));
    return bytes;
}

using Link = EngineLink<QKapsMsgIO>;

// Every entry of the folder, hidden ones and links too.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
}

// A download's file while it is incomplete; the announced name is captured.
const QRegularExpression temporaryName(QStringLiteral("^\\.(.+)\\.part-[0-9a-f]{8}$"));

constexpr QFileDevice::Permissions anyExecute =
    QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther | QFileDevice::ExeUser;

} // namespace

class TestMessageService : public QObject {
    Q_OBJECT
private slots:
    void identificationTextEndsAtZero();
    void errorReports();
    void reportsTooShortForTheirNumbersAreIgnored();
    void recordDownloadStopsAtAnnouncedSize();
    void repeatedBlockIsStoredOnce();
    void endRightAfterStartDeliversEmptyBlock();
    void endsWithoutStartAreIgnored();
    void everyStartForgetsThePreviousDownload();
    void recordDownloadCutOffAtDisconnectLeavesNothing();
    void paramValueCarriesOnlyBytesPresent();
    void fileNamesStayInTheDownloadDirectory_data();
    void fileNamesStayInTheDownloadDirectory();
    void hostileFileNames_data();
    void hostileFileNames();
    void fileIsNeverWrittenThroughALink_data();
    void fileIsNeverWrittenThroughALink();
    void fileRepeatedBlockWrittenOnce();
    void fileAboveTheLimitIsRefused();
    void unfinishedFileIsRemovedByTheNextStart();
    void unfinishedFileIsRemovedAtDisconnect();
    void downloadKeepsATemporaryNameUntilItEnds();
    void noDownloadWithoutAFolder();
    void downloadFolderIsMadeForTheFirstFile();
    void staleTemporaryFilesAreRemovedWhenTheFolderIsSet_data();
    void staleTemporaryFilesAreRemovedWhenTheFolderIsSet();
    void downloadOfARunningToolIsNotStale();
    void listDownload();
    void requestsFromTheWrench();
    void requestsAreRefusedWithoutPort();
};

void TestMessageService::identificationTextEndsAtZero()
{
    Link link;
    QVERIFY(!link.io.connected());
    link.send(QByteArray("VERWRENCH;1.2\0\0\0", 16), 3);
    QVERIFY(link.io.connected());
    const auto answers = link.receiver.ofType(kaps::Identification);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].text, QStringLiteral("WRENCH;1.2"));
    // The window looks at "VER" itself, so the frame is forwarded too.
    QCOMPARE(link.receiver.count(1001), 1);

    link.send(QByteArrayLiteral("VERNO-ZERO"), 4, 0, frame::StartCrc);
    QCOMPARE(link.receiver.ofType(kaps::Identification).last().text, QStringLiteral("NO-ZERO"));
}

void TestMessageService::errorReports()
{
    Link link;
    link.send("ERR" + be16(105));
    link.send("ERX" + be32(0x00020069) + be32(0x1F) + QByteArray("not available #1@@42\0\0", 23), 2);
    // The same report in a CRC frame: its two check bytes are not text.
    link.send("ERX" + be32(7) + be32(0) + "text", 3, 0x20, frame::StartCrc);

    const auto reports = link.receiver.ofType(kaps::ErrorReport);
    QCOMPARE(reports.size(), 3);
    QCOMPARE(reports[0].value1, 105);
    QCOMPARE(reports[0].value2, 0);
    QVERIFY(reports[0].text.isEmpty());
    QCOMPARE(reports[1].value1, 0x00020069);
    QCOMPARE(reports[1].value2, 0x1F);
    QCOMPARE(reports[1].text, QStringLiteral("not available #1@@42"));
    QCOMPARE(reports[2].value1, 7);
    QCOMPARE(reports[2].text, QStringLiteral("text"));
}

void TestMessageService::reportsTooShortForTheirNumbersAreIgnored()
{
    Link link;
    link.send("ERR" + QByteArray(1, '\x05'));
    link.send("ERX" + be32(1) + be16(0) + "x"); // 7 bytes: the class is cut
    link.send("DTM" + be16(100) + QByteArray(1, '\x01'));
    link.send("RST" + be16(0xFFF0) + be16(0));
    link.send("RRQ" + QByteArray(1, '\x01'));
    QCOMPARE(link.receiver.count(kaps::ErrorReport), 0);
    QCOMPARE(link.receiver.count(kaps::ParamValue), 0);
    QCOMPARE(link.receiver.count(kaps::TransferStart), 0);
    QCOMPARE(link.receiver.count(kaps::RecordRequest), 0);
    QVERIFY(!link.io.downloadActive());
}

void TestMessageService::recordDownloadStopsAtAnnouncedSize()
{
    Link link;
    const QByteArray data = pattern(128, 3);
    link.send("RST" + be16(0xFFF0) + be32(100), 1);
    QVERIFY(link.io.downloadActive());
    link.send("RRN" + data.left(64), 2);
    link.send("RRN" + data.mid(64), 3);
    link.send("RFI", 4);
    QVERIFY(!link.io.downloadActive());

    const auto starts = link.receiver.ofType(kaps::TransferStart);
    QCOMPARE(starts.size(), 1);
    QCOMPARE(starts[0].value1, 0xFFF0);
    QCOMPARE(starts[0].value2, 100);
    QCOMPARE(link.progress(), (QList<int>{64, 100}));
    const auto ends = link.receiver.ofType(kaps::TransferEnd);
    QCOMPARE(ends.size(), 1);
    QCOMPARE(ends[0].bytes, data.left(100));
}

void TestMessageService::repeatedBlockIsStoredOnce()
{
    Link link;
    const QByteArray first = pattern(64, 1);
    const QByteArray second = pattern(64, 2);
    link.send("RST" + be16(0xFFF0) + be32(1000), 1);
    link.send("RRN" + first, 1);
    // An acknowledge from the wrench between blocks neither hides the next
    // block nor lets a repeat through.
    link.send("ACK", 2, 0x80);
    link.send("RRN" + second, 2);
    link.send("RRN" + second, 2);
    link.send("ACK", 9, 0x80);
    link.send("RRN" + second, 2);
    link.send("RFI", 3);

    QCOMPARE(link.progress(), (QList<int>{64, 128, 128, 128}));
    QCOMPARE(link.receiver.ofType(kaps::TransferEnd).value(0).bytes, first + second);
}

void TestMessageService::endRightAfterStartDeliversEmptyBlock()
{
    Link link;
    link.send("RST" + be16(0xFFF0) + be32(640), 1);
    link.send("RFI", 2);
    const auto ends = link.receiver.ofType(kaps::TransferEnd);
    QCOMPARE(ends.size(), 1);
    QVERIFY(ends[0].bytes.isEmpty());
}

void TestMessageService::endsWithoutStartAreIgnored()
{
    Link link;
    link.send("RFI", 1);
    link.send("FFI", 2);
    link.send("FLF", 3);
    // A finished download is not finished twice.
    link.send("FLS", 4);
    link.send("FLF", 5);
    link.send("FLF", 6);
    QCOMPARE(link.receiver.count(kaps::TransferEnd), 0);
    QCOMPARE(link.receiver.count(kaps::FileEnd), 0);
    QCOMPARE(link.receiver.count(kaps::ListEnd), 1);
}

void TestMessageService::everyStartForgetsThePreviousDownload()
{
    Link link;
    link.send("RST" + be16(0xFFF0) + be32(10), 1);
    link.send("RRN" + pattern(10, 0), 2);
    link.send("RFI", 3);

    // Refused as too large: nothing is stored and the old bytes are not
    // delivered again.
    link.send("RST" + be16(0xFFF0) + be32(QKapsMsgIO::MaxDownloadBytes + 1), 4);
    link.send("RRN" + pattern(10, 1), 5);
    link.send("RFI", 6);
    // An empty download (the end of the parameter list is one) is valid.
    link.send("RST" + be16(0) + be32(0), 7);
    link.send("RRN" + pattern(5, 2), 8);
    link.send("RFI", 9);

    const auto starts = link.receiver.ofType(kaps::TransferStart);
    QCOMPARE(starts.size(), 3);
    QCOMPARE(starts[1].value2, kaps::RefusedSize);
    QCOMPARE(starts[2].value2, 0);
    QCOMPARE(link.progress(), (QList<int>{10, 0, 0}));
    const auto ends = link.receiver.ofType(kaps::TransferEnd);
    QCOMPARE(ends.size(), 3);
    QCOMPARE(ends[0].bytes, pattern(10, 0));
    QVERIFY(ends[1].bytes.isEmpty());
    QVERIFY(ends[2].bytes.isEmpty());
}

// Blocks and an end that arrive after the disconnect, with no new start,
// find no download to add to or to deliver.
void TestMessageService::recordDownloadCutOffAtDisconnectLeavesNothing()
{
    Link link;
    link.send("RST" + be16(0xFFF0) + be32(10), 1);
    link.send("RRN" + pattern(5, 0), 2);
    QVERIFY(link.io.downloadActive());
    link.io.close();
    QVERIFY(!link.io.downloadActive());
    QCOMPARE(link.io.downloadCount(), 0U);

    link.send("RRN" + pattern(5, 1), 3);
    link.send("RFI", 4);
    QCOMPARE(link.progress(), (QList<int>{5, 0}));
    QCOMPARE(link.receiver.count(kaps::TransferEnd), 0);
}

void TestMessageService::paramValueCarriesOnlyBytesPresent()
{
    Link link;
    link.send("DTM" + be16(100) + be16(20) + "ABCDE", 1);
    link.send("DTM" + be16(101) + be16(5) + "ABCDEFG", 2);
    link.send("DTM" + be16(102) + be16(50) + "xy", 3, 0x20, frame::StartCrc);
    link.send("DTM" + be16(103) + be16(0), 4);

    const auto values = link.receiver.ofType(kaps::ParamValue);
    QCOMPARE(values.size(), 4);
    QCOMPARE(values[0].value1, 100);
    QCOMPARE(values[0].bytes, QByteArray("ABCDE"));
    QCOMPARE(values[1].bytes, QByteArray("ABCDE"));
    QCOMPARE(values[2].value1, 102);
    QCOMPARE(values[2].bytes, QByteArray("xy"));
    QVERIFY(values[3].bytes.isEmpty());
}

void TestMessageService::fileNamesStayInTheDownloadDirectory_data()
{
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<QString>("written"); // "" when refused

    QTest::newRow("backslashes") << QByteArray("C:\\data\\set.xml") << QStringLiteral("set.xml");
    QTest::newRow("slashes") << QByteArray("../../escape.bin") << QStringLiteral("escape.bin");
    QTest::newRow("mixed") << QByteArray("a/b\\c/d.txt") << QStringLiteral("d.txt");
    QTest::newRow("plain") << QByteArray("firmware.bin") << QStringLiteral("firmware.bin");
    QTest::newRow("parent") << QByteArray("..") << QString();
    QTest::newRow("parent after path") << QByteArray("x\\..") << QString();
    QTest::newRow("current") << QByteArray(".") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("directory only") << QByteArray("dir/") << QString();
    QTest::newRow("drive relative") << QByteArray("C:secret.txt") << QString();
    QTest::newRow("settings") << QByteArray("TolvoTool.ini") << QString();
    QTest::newRow("description") << QByteArray("..\\Description.INI") << QString();
    QTest::newRow("trailing dot") << QByteArray("TolvoTool.ini.") << QString();
    QTest::newRow("style") << QByteArray("TolvoTool.sty") << QString();
    QTest::newRow("translation") << QByteArray("TolvoTool_de.qm") << QString();
    QTest::newRow("library") << QByteArray("Qt6Core.dll") << QString();
    QTest::newRow("executable")
        << QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLatin1() << QString();
}

void TestMessageService::fileNamesStayInTheDownloadDirectory()
{
    QFETCH(QByteArray, announced);
    QFETCH(QString, written);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("program")));
    const QString directory = root.filePath(QStringLiteral("program"));

    Link link;
    link.io.setDownloadDirectory(directory);
    link.send(fileStart(announced, 6), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(QByteArrayLiteral("FRNdef"), 3);
    link.send(QByteArrayLiteral("FFI"), 4);

    QCOMPARE(link.receiver.ofType(kaps::FileStart).value(0).value1, 6);
    const auto ends = link.receiver.ofType(kaps::FileEnd);
    QCOMPARE(ends.size(), 1);
    QCOMPARE(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("program")});
    // No temporary file stays behind either.
    const QStringList files = entries(directory);
    if (written.isEmpty()) {
        QVERIFY(files.isEmpty());
        QCOMPARE(ends[0].value1, 0);
        QCOMPARE(link.receiver.count(kaps::Progress), 0);
        return;
    }
    QCOMPARE(files, QStringList{written});
    QFile file(QDir(directory).filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
    QCOMPARE(ends[0].value1, 6);
    QCOMPARE(ends[0].text, QDir::toNativeSeparators(file.fileName()));
}

void TestMessageService::hostileFileNames_data()
{
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<QString>("existing");      // file name already there, "" for none
    QTest::addColumn<int>("existingMode");
    QTest::addColumn<QString>("written");       // "" when refused
    QTest::addColumn<QString>("warning");       // what the log says

    const int data = 0644;
    const int program = 0755;
    const QString refusedName = QStringLiteral("File name refused");
    const QString refusedFile = QStringLiteral("Cannot write");
    QTest::newRow("another program") << QByteArray("tolvo-wrench") << QStringLiteral("tolvo-wrench")
                                     << program << QString() << refusedFile;
    QTest::newRow("library upper case") << QByteArray("LIBQT6CORE.SO.6") << QString() << 0 << QString()
                                        << refusedName;
    QTest::newRow("windows library") << QByteArray("..\\Qt6Gui.DLL") << QStringLiteral("Qt6Gui.DLL") << data
                                     << QString() << refusedName;
    QTest::newRow("script") << QByteArray("Setup.Bat") << QString() << 0 << QString() << refusedName;
    QTest::newRow("shell script") << QByteArray("run.SH") << QString() << 0 << QString() << refusedName;
    QTest::newRow("data name with execute bit") << QByteArray("notes.txt") << QStringLiteral("notes.txt")
                                                << 0744 << QString() << refusedFile;
    QTest::newRow("newline") << QByteArray("a\nb.txt") << QString() << 0 << QString() << refusedName;
    QTest::newRow("escape") << QByteArray("a\x1b[2Jb.txt") << QString() << 0 << QString() << refusedName;
    QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9.txt") << QString() << 0 << QString() << refusedName;
    QTest::newRow("device") << QByteArray("com1.txt") << QString() << 0 << QString() << refusedName;
    QTest::newRow("data file replaced") << QByteArray("report.txt") << QStringLiteral("report.txt") << data
                                        << QStringLiteral("report.txt") << QString();
    QTest::newRow("new certificate") << QByteArray("certificate.pdf") << QString() << 0
                                     << QStringLiteral("certificate.pdf") << QString();
    QTest::newRow("UTF-8 name") << QByteArray("Pr\xc3\xbc" "fung.txt") << QString() << 0
                                << QStringLiteral("Pr\u00fcfung.txt") << QString();
    // The next start would remove it as the remains of a killed download.
    QTest::newRow("name of an incomplete download") << QByteArray(".notes.txt.part-0a1b2c3d") << QString() << 0
                                                    << QString() << refusedName;
}

void TestMessageService::hostileFileNames()
{
    QFETCH(QByteArray, announced);
    QFETCH(QString, existing);
    QFETCH(int, existingMode);
    QFETCH(QString, written);
    QFETCH(QString, warning);
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QByteArray before("#!/bin/sh\nkept\n");
    if (!existing.isEmpty()) {
        QFile file(directory.filePath(existing));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();
        QVERIFY(::chmod(QFile::encodeName(file.fileName()).constData(), static_cast<mode_t>(existingMode)) == 0);
    }
    if (warning.isEmpty())
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    else
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));

    Link link;
    link.io.setDownloadDirectory(directory.path());
    link.send(fileStart(announced, 6), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(QByteArrayLiteral("FRNdef"), 3);
    link.send(QByteArrayLiteral("FFI"), 4);

    QStringList expected;
    if (!existing.isEmpty())
        expected.append(existing);
    if (!written.isEmpty() && !expected.contains(written))
        expected.append(written);
    QCOMPARE(entries(directory.path()), expected);
    const auto ends = link.receiver.ofType(kaps::FileEnd);
    QCOMPARE(ends.size(), 1);
    if (written.isEmpty()) {
        QCOMPARE(ends[0].value1, 0);
        QVERIFY(ends[0].text.isEmpty());
        if (!existing.isEmpty()) {
            QFile file(directory.filePath(existing));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), before);
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(file.fileName()).constData(), &info), 0);
            QCOMPARE(int(info.st_mode & 07777), existingMode);
        }
        return;
    }
    QFile file(directory.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
    QCOMPARE(ends[0].value1, 6);
    QVERIFY(!file.permissions().testAnyFlags(anyExecute));
}

void TestMessageService::fileIsNeverWrittenThroughALink_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<bool>("late"); // made while the file comes in
    QTest::newRow("link to a file") << true << false;
    QTest::newRow("dangling link") << false << false;
    QTest::newRow("link to a file made during the download") << true << true;
    QTest::newRow("dangling link made during the download") << false << true;
}

void TestMessageService::fileIsNeverWrittenThroughALink()
{
    QFETCH(bool, targetExists);
    QFETCH(bool, late);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString outside = root.filePath(QStringLiteral("outside.txt"));
    if (targetExists) {
        QFile file(outside);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("program")));
    const QString directory = root.filePath(QStringLiteral("program"));
    const QString linkPath = QDir(directory).filePath(QStringLiteral("data.bin"));
    if (!late)
        QVERIFY(QFile::link(outside, linkPath));

    Link link;
    link.io.setDownloadDirectory(directory);
    link.send(fileStart("data.bin", 3), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    if (late) {
        QVERIFY(QFile::link(outside, linkPath));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("File download abandoned")));
    }
    link.send(QByteArrayLiteral("FFI"), 3);

    QCOMPARE(link.receiver.ofType(kaps::FileEnd).value(0).value1, 0);
    // No file was written, so none is named.
    QVERIFY(link.receiver.ofType(kaps::FileEnd).value(0).text.isEmpty());
    QFile target(outside);
    QCOMPARE(target.exists(), targetExists);
    if (targetExists) {
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QByteArray("keep"));
    }
    // The link stays as it was, and nothing else is left.
    QCOMPARE(entries(directory), QStringList{QStringLiteral("data.bin")});
    QVERIFY(QFileInfo(linkPath).isSymLink());
}

void TestMessageService::fileRepeatedBlockWrittenOnce()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    Link link;
    link.io.setDownloadDirectory(directory.path());
    link.send(fileStart("dir\\data.bin", 6), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(QByteArrayLiteral("ACK"), 3, 0x80);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(QByteArrayLiteral("FRNdef"), 3);
    link.send(QByteArrayLiteral("FFI"), 4);

    QFile file(directory.filePath(QStringLiteral("data.bin")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
    const auto progress = link.receiver.ofType(kaps::Progress);
    QCOMPARE(progress.size(), 2);
    QCOMPARE(progress[0].value1, 2);
    QCOMPARE(progress[0].value2, 3);
    QCOMPARE(progress[1].value1, 3);
    QCOMPARE(progress[1].value2, 6);
    QCOMPARE(link.receiver.ofType(kaps::FileEnd).value(0).value1, 6);
}

void TestMessageService::fileAboveTheLimitIsRefused()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    Link link;
    link.io.setDownloadDirectory(directory.path());
    const QString path = directory.filePath(QStringLiteral("big.bin"));

    link.send(fileStart("big.bin", QKapsMsgIO::MaxDownloadBytes + 1), 1);
    QCOMPARE(link.receiver.ofType(kaps::FileStart).value(0).value1,
             static_cast<int>(QKapsMsgIO::MaxDownloadBytes + 1));
    QVERIFY(!QFile::exists(path));

    // Announced small, sent large: the partial file does not stay behind.
    link.send(fileStart("big.bin", 10), 2);
    QCOMPARE(entries(directory.path()).size(), 1);
    // Unescaped as in a slot: start, control, sequence, "FRN", data, check, end.
    QByteArray block = QByteArray("\x01\x20\x00" "FRN", 6) + QByteArray(1020, 'x') + QByteArray("\x00\x03", 2);
    auto* bytes = reinterpret_cast<std::uint8_t*>(block.data());
    const std::uint32_t blocks = QKapsMsgIO::MaxDownloadBytes / 1020 + 1;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        bytes[2] = static_cast<std::uint8_t>(i);
        link.io.handleMessage(bytes, static_cast<std::uint32_t>(block.size()), true);
    }
    link.send(QByteArrayLiteral("FFI"), 3);
    QVERIFY(entries(directory.path()).isEmpty());
    QCOMPARE(link.receiver.ofType(kaps::FileEnd).value(0).value1, 0);
    QVERIFY(link.receiver.ofType(kaps::FileEnd).value(0).text.isEmpty());
    QCOMPARE(link.receiver.ofType(kaps::Progress).last().value2,
             static_cast<int>((blocks - 1) * 1020));
}

void TestMessageService::unfinishedFileIsRemovedByTheNextStart()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    Link link;
    link.io.setDownloadDirectory(directory.path());
    link.send(fileStart("first.bin", 6), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(fileStart("second.bin", 3), 3);
    link.send(QByteArrayLiteral("FRNxyz"), 4);
    link.send(QByteArrayLiteral("FFI"), 5);

    QCOMPARE(entries(directory.path()), QStringList{QStringLiteral("second.bin")});
    QFile second(directory.filePath(QStringLiteral("second.bin")));
    QVERIFY(second.open(QIODevice::ReadOnly));
    QCOMPARE(second.readAll(), QByteArray("xyz"));
    const auto ends = link.receiver.ofType(kaps::FileEnd);
    QCOMPARE(ends.size(), 1);
    QCOMPARE(ends[0].value1, 3);
    QCOMPARE(ends[0].text, QDir::toNativeSeparators(second.fileName()));
}

void TestMessageService::unfinishedFileIsRemovedAtDisconnect()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("cut.bin"));
    {
        Link link;
        link.io.setDownloadDirectory(directory.path());
        link.send(fileStart("cut.bin", 6), 1);
        link.send(QByteArrayLiteral("FRNabc"), 2);
        QCOMPARE(entries(directory.path()).size(), 1);
        link.io.close();
        QVERIFY(entries(directory.path()).isEmpty());
        QVERIFY(link.io.downloadFilePath().isEmpty());

        // The same at the end of the engine's life.
        link.send(fileStart("cut.bin", 6), 3);
        link.send(QByteArrayLiteral("FRNabc"), 4);
        QCOMPARE(entries(directory.path()).size(), 1);
    }
    QVERIFY(entries(directory.path()).isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestMessageService::downloadKeepsATemporaryNameUntilItEnds()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    Link link;
    link.io.setDownloadDirectory(directory.path());
    link.send(fileStart("data.bin", 6), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);

    const QStringList during = entries(directory.path());
    QCOMPARE(during.size(), 1);
    QCOMPARE(temporaryName.match(during.first()).captured(1), QStringLiteral("data.bin"));
    QVERIFY(!QFile(directory.filePath(during.first())).permissions().testAnyFlags(anyExecute));

    link.send(QByteArrayLiteral("FRNdef"), 3);
    link.send(QByteArrayLiteral("FFI"), 4);
    QCOMPARE(entries(directory.path()), QStringList{QStringLiteral("data.bin")});
    QFile file(directory.filePath(QStringLiteral("data.bin")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
    QCOMPARE(link.receiver.ofType(kaps::FileEnd).value(0).text, QDir::toNativeSeparators(file.fileName()));
}

// Never beside the program, where a file could pass for one of the tool's own.
void TestMessageService::noDownloadWithoutAFolder()
{
    const QString name = QStringLiteral("tst_qkapsmsgio_download.bin");
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    QFile::remove(beside);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no download folder")));

    Link link;
    link.send(fileStart(name.toLatin1(), 3), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(QByteArrayLiteral("FFI"), 3);

    QVERIFY(!QFile::exists(beside));
    QVERIFY(!QFile::exists(name));
    const auto ends = link.receiver.ofType(kaps::FileEnd);
    QCOMPARE(ends.size(), 1);
    QCOMPARE(ends[0].value1, 0);
    QVERIFY(ends[0].text.isEmpty());
}

void TestMessageService::downloadFolderIsMadeForTheFirstFile()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("data/downloads"));
    Link link;
    link.io.setDownloadDirectory(folder);
    QVERIFY(!QFileInfo::exists(folder));

    link.send(fileStart("set.xml", 3), 1);
    link.send(QByteArrayLiteral("FRNabc"), 2);
    link.send(QByteArrayLiteral("FFI"), 3);
    QCOMPARE(entries(folder), QStringList{QStringLiteral("set.xml")});
}

void TestMessageService::staleTemporaryFilesAreRemovedWhenTheFolderIsSet_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // file, folder or link
    QTest::addColumn<bool>("removed");
    const QString file = QStringLiteral("file");
    QTest::newRow("left by a killed tool") << QStringLiteral(".report.txt.part-0a1b2c3d") << file << true;
    QTest::newRow("a downloaded file") << QStringLiteral("report.txt") << file << false;
    QTest::newRow("no leading dot") << QStringLiteral("report.txt.part-0a1b2c3d") << file << false;
    QTest::newRow("digits short") << QStringLiteral(".report.txt.part-0a1b2c3") << file << false;
    QTest::newRow("not hexadecimal") << QStringLiteral(".report.txt.part-0a1b2c3g") << file << false;
    QTest::newRow("more after the digits") << QStringLiteral(".report.txt.part-0a1b2c3d.txt") << file << false;
    QTest::newRow("a hidden file of the user") << QStringLiteral(".notes") << file << false;
    QTest::newRow("a folder of that name") << QStringLiteral(".set.part-0a1b2c3d") << QStringLiteral("folder")
                                           << false;
    QTest::newRow("a link of that name") << QStringLiteral(".set.part-0a1b2c3d") << QStringLiteral("link")
                                         << false;
}

void TestMessageService::staleTemporaryFilesAreRemovedWhenTheFolderIsSet()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, removed);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("downloads")));
    const QString folder = root.filePath(QStringLiteral("downloads"));
    const QString outside = root.filePath(QStringLiteral("outside.txt"));
    QFile target(outside);
    QVERIFY(target.open(QIODevice::WriteOnly));
    target.write("keep");
    target.close();
    const QString path = QDir(folder).filePath(name);
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(folder).mkdir(name));
    else if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(outside, path));
    else
        QVERIFY(QFile::copy(outside, path));

    Link link;
    link.io.setDownloadDirectory(folder);
    QCOMPARE(entries(folder).isEmpty(), removed);
    QVERIFY(target.open(QIODevice::ReadOnly));
    QCOMPARE(target.readAll(), QByteArray("keep"));
}

// A second tool starting (the window beside tolvo-cli) takes it for its own
// left-over file only once nobody writes it.
void TestMessageService::downloadOfARunningToolIsNotStale()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    Link first;
    first.io.setDownloadDirectory(directory.path());
    first.send(fileStart("data.bin", 6), 1);
    first.send(QByteArrayLiteral("FRNabc"), 2);

    Link second;
    second.io.setDownloadDirectory(directory.path());
    QCOMPARE(entries(directory.path()).size(), 1);

    first.send(QByteArrayLiteral("FRNdef"), 3);
    first.send(QByteArrayLiteral("FFI"), 4);
    QCOMPARE(entries(directory.path()), QStringList{QStringLiteral("data.bin")});
    QFile file(directory.filePath(QStringLiteral("data.bin")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
}

void TestMessageService::listDownload()
{
    Link link;
    link.send(QByteArrayLiteral("FLS"), 1);
    link.send("FLR" + QByteArray("a.txt\0", 6) + be32(10), 2);
    link.send("FLR" + QByteArray("b.bin\0", 6) + be32(70000), 3);
    link.send(QByteArrayLiteral("FLRbroken"), 4);          // no end of name
    link.send("FLR" + QByteArray("c\0", 2) + be16(1), 5); // size cut short
    link.send(QByteArrayLiteral("FLF"), 6);

    QCOMPARE(link.receiver.count(kaps::ListStart), 1);
    QCOMPARE(link.receiver.ofType(kaps::ListEnd).value(0).value1, 2);
    QCOMPARE(link.io.listNames(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.bin")}));
    QCOMPARE(link.io.listSizes(), (QList<std::uint32_t>{10, 70000}));

    link.send(QByteArrayLiteral("FLS"), 7);
    QVERIFY(link.io.listNames().isEmpty());
}

void TestMessageService::requestsFromTheWrench()
{
    Link link;
    link.send("RRQ" + be16(0xFFF0), 1);
    link.send("FLQ" + be16(3), 2);
    link.send(QByteArray("FRQfile.txt\0junk", 16), 3);
    link.send(QByteArrayLiteral("FDLold.txt"), 4);
    link.send(QByteArrayLiteral("RBR"), 5);
    link.send(QByteArrayLiteral("XYZ"), 6);

    QCOMPARE(link.receiver.ofType(kaps::RecordRequest).value(0).value1, 0xFFF0);
    QCOMPARE(link.receiver.ofType(kaps::ListRequest).value(0).value1, 3);
    QCOMPARE(link.receiver.ofType(kaps::FileRequest).value(0).text, QStringLiteral("file.txt"));
    QCOMPARE(link.receiver.ofType(kaps::FileDelete).value(0).text, QStringLiteral("old.txt"));
    // Four messages and the six frames themselves.
    QCOMPARE(link.receiver.events.size(), 10);
}

void TestMessageService::requestsAreRefusedWithoutPort()
{
    QKapsMsgIO io;
    QVERIFY(!io.requestData(100, 1));
    QVERIFY(!io.requestRecords(0xFFF0));
    QVERIFY(!io.breakRecords());
    QVERIFY(!io.confirmData(1, 2));
    QVERIFY(!io.sendCommand("DSP", "\x07", 5, 1, true));
    QVERIFY(!io.sendAck(1));
    QVERIFY(!io.sendNak(1));
    QVERIFY(!io.sendIdentification(true));
}

QTEST_GUILESS_MAIN(TestMessageService)
#include "tst_qkapsmsgio.moc"
