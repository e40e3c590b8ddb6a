#include "filebytes.h"
#include "params/crc32.h"
#include "params/qorbcrc32.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

const QString prefix = QStringLiteral("<!-- CHECKSUM=");
const QString suffix = QStringLiteral(" -->");

QByteArray comment(quint32 crc)
{
    return "<!-- CHECKSUM=" + QByteArray::number(crc, 16).rightJustified(8, '0').prepend("0x") + " -->";
}

quint32 crcOf(const QByteArray& bytes)
{
    return crc32::update(crc32::InitialValue, bytes.constData(), bytes.size());
}

} // namespace

class TestQorbCRC32 : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void knownAnswers_data();
    void knownAnswers();
    void verify_data();
    void verify();
    void appendThenVerify();
    void fileCrcOfShortFileCoversNothing();
    void repairRewritesLinesWithCrLfAndComment();
    void repairReplacesOldComment();
    void repairOfMissingFileFails();

private:
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestQorbCRC32::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestQorbCRC32::knownAnswers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("crc");

    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.append(static_cast<char>(i));
    // Checked with an independent bitwise implementation.
    QTest::newRow("empty") << QByteArray() << 0x00000000U;
    QTest::newRow("a") << QByteArray("a") << 0x3ab551ceU;
    QTest::newRow("abc") << QByteArray("abc") << 0xca6598d0U;
    QTest::newRow("123456789") << QByteArray("123456789") << 0x2dfd2d88U;
    QTest::newRow("zeros stay zero") << QByteArray(4, '\0') << 0x00000000U;
    QTest::newRow("four FF") << QByteArray(4, '\xff') << 0xdebb20e3U;
    QTest::newRow("0 to 255") << everyByte << 0x2493092bU;
}

void TestQorbCRC32::knownAnswers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, crc);
    QCOMPARE(crcOf(bytes), crc);
    // Fed in two pieces, the same.
    const qsizetype half = bytes.size() / 2;
    QCOMPARE(crc32::update(crc32::update(0, bytes.constData(), half), bytes.constData() + half,
                           bytes.size() - half),
             crc);
}

void TestQorbCRC32::verify_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("verified");

    const QByteArray body = "<?xml version=\"1.0\"?>\r\n<CONFIG>\r\n</CONFIG>\r\n";
    QTest::newRow("correct comment last") << body + comment(crcOf(body)) << true;
    QTest::newRow("comment followed by a line end") << body + comment(crcOf(body)) + "\r\n" << false;
    QTest::newRow("wrong value") << body + comment(crcOf(body) ^ 1U) << false;
    QTest::newRow("no comment") << body + QByteArray(28, ' ') << false;
    QTest::newRow("comment of the wrong length") << body + "<!-- CHECKSUM=0x0 -->" << false;
    QTest::newRow("value not hexadecimal") << body + "<!-- CHECKSUM=0xZZZZZZZZ -->" << false;
    QTest::newRow("shorter than a comment") << QByteArray("<!-- CHECKSUM=0x0 -->") << false;
    QTest::newRow("empty file") << QByteArray() << false;
}

void TestQorbCRC32::verify()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, verified);
    QVERIFY(writeFileBytes(path("data.xml"), content));
    QCOMPARE(QorbCRC32::verifyChecksum(path("data.xml"), prefix, suffix), verified);
}

void TestQorbCRC32::appendThenVerify()
{
    const QByteArray body = "line one\r\nline two\r\n";
    QVERIFY(writeFileBytes(path("data.xml"), body));
    QVERIFY(!QorbCRC32::verifyChecksum(path("data.xml"), prefix, suffix));
    QVERIFY(QorbCRC32::appendChecksum(path("data.xml"), prefix, suffix));
    QCOMPARE(fileBytes(path("data.xml")), body + comment(crcOf(body)));
    QVERIFY(QorbCRC32::verifyChecksum(path("data.xml"), prefix, suffix));
    QCOMPARE(QorbCRC32::fileCrc(path("data.xml"), prefix, suffix), crcOf(body));
    QVERIFY(!QorbCRC32::appendChecksum(path("missing/data.xml"), prefix, suffix));
}

void TestQorbCRC32::fileCrcOfShortFileCoversNothing()
{
    QVERIFY(writeFileBytes(path("short.xml"), "abc"));
    QCOMPARE(QorbCRC32::fileCrc(path("short.xml"), prefix, suffix), 0U);
    QCOMPARE(QorbCRC32::fileCrc(path("missing.xml"), prefix, suffix), 0U);
}

void TestQorbCRC32::repairRewritesLinesWithCrLfAndComment()
{
    QVERIFY(writeFileBytes(path("data.xml"), "<CONFIG>\n  <MODUL/>\r\n</CONFIG>"));
    QString error;
    QVERIFY(QorbCRC32::repairChecksum(path("data.xml"), prefix, suffix, &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QByteArray body = "<CONFIG>\r\n  <MODUL/>\r\n</CONFIG>\r\n";
    QCOMPARE(fileBytes(path("data.xml")), body + comment(crcOf(body)));
    QVERIFY(QorbCRC32::verifyChecksum(path("data.xml"), prefix, suffix));
    // Nothing is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("data.xml")});
}

void TestQorbCRC32::repairReplacesOldComment()
{
    const QByteArray body = "<CONFIG>\r\n</CONFIG>\r\n";
    QVERIFY(writeFileBytes(path("data.xml"), body + comment(0x12345678) + "\r\n"));
    QVERIFY(!QorbCRC32::verifyChecksum(path("data.xml"), prefix, suffix));
    QVERIFY(QorbCRC32::repairChecksum(path("data.xml"), prefix, suffix));
    QCOMPARE(fileBytes(path("data.xml")), body + comment(crcOf(body)));
}

void TestQorbCRC32::repairOfMissingFileFails()
{
    QVERIFY(!QorbCRC32::repairChecksum(path("missing.xml"), prefix, suffix));
    QString error;
    QVERIFY(!QorbCRC32::repairChecksum(path("missing.xml"), prefix, suffix, &error));
    QCOMPARE(error, qt_error_string(ENOENT));
    QVERIFY(!QFile::exists(path("missing.xml")));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_GUILESS_MAIN(TestQorbCRC32)
#include "tst_qorbcrc32.moc"
