// Known answers for the frame builder and the checks. The hexadecimal
// vectors were computed with an independent bitwise CRC-16/GENIBUS.

#include "protocol/frame/view.h"
#include "protocol/frame/wire.h"

#include "tests/support/framehelpers.h"

#include <QtTest>

using testsupport::bytesOf;
using testsupport::wireFrame;

class TestFrameCodec : public QObject {
    Q_OBJECT

private slots:
    void buildsWireFrames_data();
    void buildsWireFrames();
    void crcKnownAnswers_data();
    void crcKnownAnswers();
    void cutsPayloadToMaximum();
    void unknownKindWritesOnlyStart();
    void payloadDataLength_data();
    void payloadDataLength();
    void viewReadsInsideTheFrame_data();
    void viewReadsInsideTheFrame();
    void viewText();
};

void TestFrameCodec::buildsWireFrames_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("acknowledge, XOR") << 1 << 0x80 << 5 << QByteArray("ACK")
                                      << QByteArray::fromHex("01 80 05 41 43 4B CC 03");
    QTest::newRow("DSP, CRC, stuffed 0x01") << 2 << 0x20 << 1 << QByteArray::fromHex("44 53 50 00 05 00 01 07")
                                            << QByteArray::fromHex("02 20 10 01 44 53 50 00 05 00 10 01 07 88 47 03");
    QTest::newRow("RRQ, XOR") << 1 << 0x20 << 1 << QByteArray::fromHex("52 52 51 FF F0")
                              << QByteArray::fromHex("01 20 10 01 52 52 51 FF F0 7F 03");
    QTest::newRow("empty, XOR: 5 bytes") << 1 << 0x00 << 0x00 << QByteArray()
                                         << QByteArray::fromHex("01 00 00 00 03");
    QTest::newRow("empty, CRC: 6 bytes") << 2 << 0x80 << 7 << QByteArray()
                                         << QByteArray::fromHex("02 80 07 89 8F 03");
    QTest::newRow("control 0x02, sequence 0x01, payload 0x10, check 0x13")
        << 1 << 0x02 << 0x01 << QByteArray::fromHex("10")
        << QByteArray::fromHex("01 10 02 10 01 10 10 13 03");
    QTest::newRow("every stuffed value, CRC") << 2 << 0x02 << 0x01 << QByteArray::fromHex("10 03")
                                              << QByteArray::fromHex("02 10 02 10 01 10 10 10 03 92 77 03");
    QTest::newRow("XOR check 0x03 stuffed") << 1 << 0x20 << 5 << QByteArray("AB%")
                                            << QByteArray::fromHex("01 20 05 41 42 25 10 03 03");
    QTest::newRow("CRC high byte 0x02 stuffed") << 2 << 0x20 << 5 << QByteArray::fromHex("43 52 43 43")
                                                << QByteArray::fromHex("02 20 05 43 52 43 43 10 02 66 03");
    QTest::newRow("CRC low byte 0x03 stuffed") << 2 << 0x20 << 5 << QByteArray::fromHex("43 52 43 8A")
                                               << QByteArray::fromHex("02 20 05 43 52 43 8A 4A 10 03 03");
}

void TestFrameCodec::buildsWireFrames()
{
    QFETCH(int, kind);
    QFETCH(int, control);
    QFETCH(int, sequence);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, wire);

    const QByteArray built = wireFrame(static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(control),
                                       static_cast<std::uint8_t>(sequence), payload);
    QCOMPARE(built.toHex(' '), wire.toHex(' '));
}

void TestFrameCodec::crcKnownAnswers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::addColumn<int>("xorSum");

    QTest::newRow("check string") << QByteArray("123456789") << 0xD64E << 0x31;
    QTest::newRow("nothing") << QByteArray() << 0x0000 << 0x00;
    QTest::newRow("DSP body") << QByteArray::fromHex("20 01 44 53 50 00 05 00 01 07") << 0x8847 << 0x65;
}

void TestFrameCodec::crcKnownAnswers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QFETCH(int, xorSum);
    const auto length = static_cast<std::size_t>(bytes.size());
    QCOMPARE(int{crc16(bytesOf(bytes), length)}, crc);
    QCOMPARE(int{::xorSum(bytesOf(bytes), length)}, xorSum);
}

void TestFrameCodec::cutsPayloadToMaximum()
{
    QByteArray payload(frame::MaxPayload + 1, '\0');
    for (qsizetype i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7);
    const QByteArray cut = wireFrame(2, 0x20, 9, payload);
    QCOMPARE(cut, wireFrame(2, 0x20, 9, payload.left(frame::MaxPayload)));
    QCOMPARE(testsupport::unescaped(cut).size(), qsizetype{frame::MaxPayload} + 6);

    // The largest frame fits the buffer size the header promises.
    const QByteArray worst = wireFrame(2, 0x10, 0x10, QByteArray(frame::MaxPayload + 1, '\x10'));
    QVERIFY(worst.size() <= frame::MaxWireFrame);
}

void TestFrameCodec::unknownKindWritesOnlyStart()
{
    std::uint8_t buffer[16] = {};
    const std::uint8_t payload[] = {'A', 'C', 'K'};
    QCOMPARE(buildFrame(buffer, payload, 3, 0x05, 0, 0), 1);
    QCOMPARE(int{buffer[0]}, 0x05);
    QCOMPARE(int{buffer[1]}, 0);
}

void TestFrameCodec::payloadDataLength_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("length");

    QTest::newRow("XOR, ACK, no data") << QByteArray::fromHex("01 80 05 41 43 4B CC 03") << 0;
    QTest::newRow("XOR, RRQ, 2 bytes") << QByteArray::fromHex("01 20 01 52 52 51 FF F0 7F 03") << 2;
    QTest::newRow("CRC, DSP, 5 bytes") << QByteArray::fromHex("02 20 01 44 53 50 00 05 00 01 07 88 47 03") << 5;
    QTest::newRow("empty XOR frame") << QByteArray::fromHex("01 00 00 00 03") << 0;
    QTest::newRow("6 bytes") << QByteArray::fromHex("02 80 07 89 8F 03") << 0;
    QTest::newRow("XOR, 7 bytes: too short for data") << QByteArray::fromHex("01 00 00 41 42 03 03") << 0;
    QTest::newRow("CRC, 8 bytes: too short for data") << QByteArray::fromHex("02 00 00 41 42 43 00 03") << 0;
    QTest::newRow("other start byte") << QByteArray::fromHex("05 00 00 41 43 4B 00 00 00 03") << 0;
}

void TestFrameCodec::payloadDataLength()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, length);
    QCOMPARE(::payloadDataLength(bytesOf(frame), static_cast<std::uint32_t>(frame.size())), length);
}

// Numbers past the data read as 0.
void TestFrameCodec::viewReadsInsideTheFrame_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("mnemonic");
    QTest::addColumn<int>("dataLength");
    QTest::addColumn<QList<uint>>("be16le16be32le32");

    QTest::newRow("XOR, RRQ") << QByteArray::fromHex("01 20 01 52 52 51 FF F0 7F 03") << QByteArray("RRQ") << 2
                              << QList<uint>{0xFFF0, 0xF0FF, 0, 0};
    QTest::newRow("CRC, DSP") << QByteArray::fromHex("02 20 01 44 53 50 00 05 00 01 07 88 47 03")
                              << QByteArray("DSP") << 5 << QList<uint>{0x0005, 0x0500, 0x00050001, 0x01000500};
    QTest::newRow("ACK") << QByteArray::fromHex("01 80 05 41 43 4B CC 03") << QByteArray("ACK") << 0
                         << QList<uint>{0, 0, 0, 0};
    QTest::newRow("too short for a mnemonic") << QByteArray::fromHex("01 00 00 41 42 03 03") << QByteArray() << 0
                                              << QList<uint>{0, 0, 0, 0};
    QTest::newRow("other start byte") << QByteArray::fromHex("05 00 00 41 43 4B 00 00 00 03") << QByteArray() << 0
                                      << QList<uint>{0, 0, 0, 0};
}

void TestFrameCodec::viewReadsInsideTheFrame()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, mnemonic);
    QFETCH(int, dataLength);
    QFETCH(QList<uint>, be16le16be32le32);
    const frame::View view(bytesOf(frame), static_cast<std::uint32_t>(frame.size()));
    QCOMPARE(QByteArray(view.mnemonic().data(), static_cast<qsizetype>(view.mnemonic().size())), mnemonic);
    QCOMPARE(view.dataLength(), dataLength);
    QCOMPARE(view.data() != nullptr, !mnemonic.isEmpty());
    QCOMPARE((QList<uint>{view.be16(0), view.le16(0), view.be32(0), view.le32(0)}), be16le16be32le32);
    QCOMPARE(view.kind(), static_cast<std::uint8_t>(frame.at(0)));
    QCOMPARE(view.isAck(), mnemonic == "ACK");
    QCOMPARE(view.ackRequested(), frame.at(1) == 0x20);
    QVERIFY(!view.holds(dataLength + 1) && !view.holds(-1, 1) && view.be16(dataLength - 1) == 0);
}

void TestFrameCodec::viewText()
{
    const QByteArray frame = QByteArray::fromHex("01 00 00") + "VERname;1.0" + '\0' + "x" + QByteArray::fromHex("00 03");
    const frame::View view(bytesOf(frame), static_cast<std::uint32_t>(frame.size()));
    int afterZero = 0;
    QCOMPARE(view.text(0, &afterZero), std::string_view("name;1.0"));
    QCOMPARE(afterZero, 9);
    QCOMPARE(view.text(afterZero, &afterZero), std::string_view("x"));
    QCOMPARE(afterZero, -1);
    QCOMPARE(view.text(0, &afterZero, 4), std::string_view("name"));
    QCOMPARE(afterZero, -1);
    QVERIFY(view.text(11).empty());
}

QTEST_APPLESS_MAIN(TestFrameCodec)
#include "tst_framecodec.moc"
