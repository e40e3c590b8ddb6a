// The wrench's message request ("MGD") and identification, read from frames
// as the receive parser stores them (unescaped, start byte to end byte).
#include "app/wrenchmessage.h"

#include "protocol/frame/wire.h"

#include <QTest>

namespace {

// ID and type big-endian, then the text; the check bytes are not looked at.
QByteArray messageFrame(std::uint8_t kind, int id, int type, const QByteArray& text)
{
    QByteArray frame;
    frame.append(static_cast<char>(kind));
    frame.append('\x20');
    frame.append('\x05');
    frame.append("MGD");
    frame.append(static_cast<char>(id >> 8));
    frame.append(static_cast<char>(id & 0xFF));
    frame.append(static_cast<char>(type >> 8));
    frame.append(static_cast<char>(type & 0xFF));
    frame.append(text);
    frame.append(kind == frame::StartCrc ? QByteArray("\x7E\x7F", 2) : QByteArray("\x7E", 1));
    frame.append('\x03');
    return frame;
}

std::optional<WrenchMessage> parse(const QByteArray& frame)
{
    return parseWrenchMessage(reinterpret_cast<const std::uint8_t*>(frame.constData()),
                              static_cast<std::uint32_t>(frame.size()));
}

} // namespace

class TestWrenchMessageParse : public QObject
{
    Q_OBJECT

private slots:
    void kindsAndDefaults_data();
    void kindsAndDefaults();
    void partsOfTheText_data();
    void partsOfTheText();
    void textEndsAtCheckBytesAndZero_data();
    void textEndsAtCheckBytesAndZero();
    void unusableFramesAreIgnored_data();
    void unusableFramesAreIgnored();
    void identification_data();
    void identification();
};

void TestWrenchMessageParse::kindsAndDefaults_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("buttons");
    QTest::newRow("0") << 0 << "No" << "";
    QTest::newRow("1") << 1 << "Info" << "OK";
    QTest::newRow("2") << 2 << "Warning" << "OK";
    QTest::newRow("3") << 3 << "Error" << "OK";
    QTest::newRow("4") << 4 << "Question" << "Yes;No";
    QTest::newRow("5") << 5 << "Text" << "";
}

void TestWrenchMessageParse::kindsAndDefaults()
{
    QFETCH(int, type);
    QFETCH(QString, kind);
    QFETCH(QString, buttons);
    const auto message = parse(messageFrame(frame::StartXor, 7, type, QByteArray()));
    QVERIFY(message);
    QCOMPARE(message->id, 7);
    QCOMPARE(message->type, type);
    QCOMPARE(message->kind, kind);
    QCOMPARE(message->buttons, buttons);
    QCOMPARE(message->title, kind);
    if (kind == QLatin1String("Text"))
        QCOMPARE(message->message, QString());
    else
        QCOMPARE(message->message, kind + QLatin1String(" ID = 7"));
    QCOMPARE(message->closesBox(), type == 0);
    QCOMPARE(message->showsBox(), type >= 1 && type <= 4);
}

void TestWrenchMessageParse::partsOfTheText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("buttons");
    QTest::newRow("title only") << 1 << QByteArray("Calibrate") << "Calibrate" << "Info ID = 300" << "OK";
    QTest::newRow("title and message") << 4 << QByteArray("Title;Message") << "Title" << "Message"
                                       << "Yes;No";
    QTest::newRow("one caption") << 1 << QByteArray("T;M;Go") << "T" << "M" << "Go";
    QTest::newRow("three captions") << 4 << QByteArray("T;M;A;B;C") << "T" << "M" << "A;B;C";
    QTest::newRow("empty captions dropped") << 4 << QByteArray("T;M;A;;C") << "T" << "M" << "A;C";
    QTest::newRow("only empty captions") << 4 << QByteArray("T;M;;;") << "T" << "M" << "Yes;No";
    QTest::newRow("sixth part ignored") << 2 << QByteArray("T;M;A;B;C;D") << "T" << "M" << "A;B;C";
    QTest::newRow("line breaks in the message") << 3 << QByteArray("Line\\n;one\\ntwo\\n")
                                                << "Line\\n" << "one\ntwo\n" << "OK";
    QTest::newRow("kind Text keeps it whole") << 5 << QByteArray("a;b\\nc") << "Text" << "a;b\nc" << "";
    QTest::newRow("Latin-1") << 1 << QByteArray("Pr\xFC" "fung;Gr\xF6\xDF" "e") << QStringLiteral("Prüfung")
                             << QStringLiteral("Größe") << "OK";
}

void TestWrenchMessageParse::partsOfTheText()
{
    QFETCH(int, type);
    QFETCH(QByteArray, text);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, buttons);
    const auto parsed = parse(messageFrame(frame::StartXor, 300, type, text));
    QVERIFY(parsed);
    QCOMPARE(parsed->id, 300);
    QCOMPARE(parsed->title, title);
    QCOMPARE(parsed->message, message);
    QCOMPARE(parsed->buttons, buttons);
}

void TestWrenchMessageParse::textEndsAtCheckBytesAndZero_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("XOR frame") << int(frame::StartXor) << QByteArray("T;Hello") << "Hello";
    // Counting from the frame length alone would take a check byte into the text.
    QTest::newRow("CRC frame") << int(frame::StartCrc) << QByteArray("T;Hello") << "Hello";
    QTest::newRow("zero byte ends it") << int(frame::StartCrc) << QByteArray("T;Hel\0lo", 8) << "Hel";
}

void TestWrenchMessageParse::textEndsAtCheckBytesAndZero()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    const auto parsed = parse(messageFrame(static_cast<std::uint8_t>(kind), 1, 1, text));
    QVERIFY(parsed);
    QCOMPARE(parsed->message, message);
}

void TestWrenchMessageParse::unusableFramesAreIgnored_data()
{
    QTest::addColumn<QByteArray>("frame");
    const QByteArray good = messageFrame(frame::StartXor, 1, 1, "T;M");
    QTest::newRow("type 6") << messageFrame(frame::StartXor, 1, 6, "T;M");
    QTest::newRow("type 0xFFFF") << messageFrame(frame::StartXor, 1, 0xFFFF, QByteArray());
    // Start, control, sequence, "MGD", ID, one byte of the type, check, end.
    QTest::newRow("no room for the type") << good.left(9) + QByteArray("\x7E\x03", 2);
    QTest::newRow("mnemonic only") << QByteArray("\x01\x20\x05MGD\x7E\x03", 8);
    QTest::newRow("unknown start byte") << QByteArray(1, '\x05') + good.mid(1);
}

void TestWrenchMessageParse::unusableFramesAreIgnored()
{
    QFETCH(QByteArray, frame);
    QVERIFY(!parse(frame));
}

void TestWrenchMessageParse::identification_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("extra");
    QTest::newRow("four parts") << "TW;V 2;a;b" << "TW" << "V 2" << "a;b";
    QTest::newRow("three parts") << "TW;V 2;a" << "TW" << "V 2" << "a";
    QTest::newRow("two parts") << "TW;V 2" << "TW" << "V 2" << "";
    QTest::newRow("one part") << "TW" << "TW" << "" << "";
    QTest::newRow("empty") << "" << "" << "" << "";
    QTest::newRow("empty parts") << ";;" << "" << "" << "";
}

void TestWrenchMessageParse::identification()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, version);
    QFETCH(QString, extra);
    const DeviceIdentity identity = splitIdentification(text);
    QCOMPARE(identity.name, name);
    QCOMPARE(identity.version, version);
    QCOMPARE(identity.extra, extra);
}

QTEST_APPLESS_MAIN(TestWrenchMessageParse)
#include "tst_wrenchmessageparse.moc"
