#include "params/paramattr.h"
#include "params/valuecodec.h"

#include <QTest>

using namespace paramattr;

namespace {

quint32 scalarAttr(quint8 type)
{
    return makeAttr(type, 1, 1);
}

} // namespace

class TestValueCodec : public QObject
{
    Q_OBJECT

private slots:
    void attrBits();
    void formatValue_data();
    void formatValue();
    void parseValue_data();
    void parseValue();
    void storeRaw_data();
    void storeRaw();
    void storeRawIntoFullWriter();
};

void TestValueCodec::attrBits()
{
    const quint32 attr = makeAttr(TypeS16, 3, 5);
    QCOMPARE(attr, 0x01101002U);
    QCOMPARE(rows(attr), 3U);
    QCOMPARE(columns(attr), 5U);
    QCOMPARE(valueType(attr), quint8{TypeS16});
    QVERIFY(!isScalar(attr));
    QVERIFY(isScalar(0x03400000));
    QCOMPARE(rows(0x3FF), 1024U);
    QCOMPARE(columns(0xFFC00), 1024U);
    QCOMPARE(decimals(0x0F), 7);
    QVERIFY(isHexDisplay(0x08));
    QVERIFY(!isHexDisplay(0x18));
    QCOMPARE(writeLevel(0x53), int{WrServ});
}

void TestValueCodec::formatValue_data()
{
    QTest::addColumn<quint8>("type");
    QTest::addColumn<quint32>("info");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("consumed");

    auto row = [](const char* name, quint8 type, quint32 info, const char* hex, const char* text, int consumed) {
        QTest::newRow(name) << type << info << QByteArray::fromHex(hex) << QString::fromUtf8(text) << consumed;
    };
    row("u8 200, 2 decimals", TypeU8, 0x02, "c8", "2.00", 1);
    row("u8 200, hex", TypeU8, 0x08, "c8", "0xC8", 1);
    row("u8 200, plain", TypeU8, 0x00, "c8", "200", 1);
    row("s8 -5", TypeS8, 0x00, "fb", "-5", 1);
    row("s8 5 shows its sign", TypeS8, 0x00, "05", "+5", 1);
    row("s8 0 shows its sign", TypeS8, 0x00, "00", "+0", 1);
    row("s8 -5, hex of the byte", TypeS8, 0x08, "fb", "0xFB", 1);
    row("s8 -5, 1 decimal, no plus", TypeS8, 0x01, "fb", "-0.5", 1);
    row("char A", TypeChar, 0x00, "41", "A", 1);
    row("char zero is empty", TypeChar, 0x00, "00", "", 1);
    row("char Latin-1 degree", TypeChar, 0x00, "b0", "\xc2\xb0", 1);
    row("u16 little-endian", TypeU16, 0x00, "3412", "4660", 2);
    row("u16 hex", TypeU16, 0x08, "3412", "0x1234", 2);
    row("s16 -300, 1 decimal", TypeS16, 0x01, "d4fe", "-30.0", 2);
    row("s16 -1 hex", TypeS16, 0x08, "ffff", "0xFFFF", 2);
    row("u32 max", TypeU32, 0x00, "ffffffff", "4294967295", 4);
    row("u32 max, 7 decimals", TypeU32, 0x07, "ffffffff", "429.4967295", 4);
    row("s32 min", TypeS32, 0x00, "00000080", "-2147483648", 4);
    row("s32 7", TypeS32, 0x00, "07000000", "+7", 4);
    row("s32 -1234, 3 decimals", TypeS32, 0x03, "2efbffff", "-1.234", 4);
    row("float 1.5, 2 decimals", TypeFloat, 0x02, "0000c03f", "1.50", 4);
    row("float ignores hex display", TypeFloat, 0x09, "0000c03f", "1.5", 4);
    row("char ignores hex display", TypeChar, 0x08, "41", "A", 1);
    row("unknown type reads nothing", 0x20, 0x00, "0102", "", 0);
    row("u16 cut short", TypeU16, 0x00, "01", "", 0);
    row("u32 cut short", TypeU32, 0x00, "010203", "", 0);
    row("element of several read once", TypeU16, 0x00, "010203", "513", 2);
}

void TestValueCodec::formatValue()
{
    QFETCH(quint8, type);
    QFETCH(quint32, info);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, consumed);

    ByteReader cursor(bytes.constData(), bytes.size());
    QCOMPARE(::formatValue(cursor, scalarAttr(type), info), text);
    QCOMPARE(cursor.consumed(), qsizetype{consumed});
    const bool cutShort = elementSize(type) > bytes.size();
    QCOMPARE(cursor.failed(), cutShort);

    // What is shown parses back to the same bytes.
    if (consumed > 0) {
        quint32 raw = 0;
        QVERIFY(::parseValue(text, scalarAttr(type), info, raw));
        ByteWriter out(4);
        QCOMPARE(::storeRaw(raw, out, scalarAttr(type)), consumed);
        QCOMPARE(out.bytes(), bytes.left(consumed));
    }
}

void TestValueCodec::parseValue_data()
{
    QTest::addColumn<quint8>("type");
    QTest::addColumn<quint32>("info");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("raw");

    auto row = [](const char* name, quint8 type, quint32 info, const char* text, bool ok, quint32 raw) {
        QTest::newRow(name) << type << info << QString::fromUtf8(text) << ok << raw;
    };
    row("1.25 with 2 decimals", TypeU16, 0x02, "1.25", true, 125);
    row("0.25 with 1 decimal rounds up", TypeU8, 0x01, "0.25", true, 3);
    row("-0.25 with 1 decimal rounds away from zero", TypeS8, 0x01, "-0.25", true, 0xFFFFFFFD);
    row("blanks around a number", TypeU8, 0x02, " 2.00 ", true, 200);
    row("character: empty is 0", TypeChar, 0x00, "", true, 0);
    row("character: AB is A", TypeChar, 0x00, "AB", true, 65);
    row("character: Latin-1", TypeChar, 0x00, "\xc2\xb0", true, 0xB0);
    row("character: beyond Latin-1 refused", TypeChar, 0x00, "\xe2\x82\xac", false, 0);
    row("hex with 0x", TypeU8, 0x08, "0xC8", true, 200);
    row("hex without 0x", TypeU8, 0x08, "c8", true, 200);
    row("hex of a signed byte", TypeS8, 0x08, "0xFB", true, 0xFB);
    row("hex above the element refused", TypeU8, 0x08, "0x1FF", false, 0);
    row("hex of u32 max", TypeU32, 0x08, "0xFFFFFFFF", true, 0xFFFFFFFF);
    row("u8 255", TypeU8, 0x00, "255", true, 255);
    row("u8 256 refused", TypeU8, 0x00, "256", false, 0);
    row("u8 -1 refused", TypeU8, 0x00, "-1", false, 0);
    row("s8 +5", TypeS8, 0x00, "+5", true, 5);
    row("s8 -128", TypeS8, 0x00, "-128", true, 0xFFFFFF80);
    row("s8 128 refused", TypeS8, 0x00, "128", false, 0);
    row("s16 -32768", TypeS16, 0x00, "-32768", true, 0xFFFF8000);
    row("s16 40000 refused", TypeS16, 0x00, "40000", false, 0);
    row("s16 327.67 with 2 decimals", TypeS16, 0x02, "327.67", true, 32767);
    row("s16 327.68 with 2 decimals refused", TypeS16, 0x02, "327.68", false, 0);
    row("u32 max", TypeU32, 0x00, "4294967295", true, 0xFFFFFFFF);
    row("u32 above max refused", TypeU32, 0x00, "4294967296", false, 0);
    row("u32 far above max refused", TypeU32, 0x00, "99999999999999999999999", false, 0);
    row("s32 2^31 refused", TypeS32, 0x00, "2147483648", false, 0);
    row("s32 min", TypeS32, 0x00, "-2147483648", true, 0x80000000);
    row("huge scaled refused", TypeU32, 0x07, "1e300", false, 0);
    row("no number refused", TypeU16, 0x00, "abc", false, 0);
    row("empty refused", TypeU16, 0x00, "", false, 0);
    row("float 1.5", TypeFloat, 0x02, "1.5", true, 0x3FC00000);
    row("float -0.25", TypeFloat, 0x00, "-0.25", true, 0xBE800000);
    row("float ignores hex display", TypeFloat, 0x08, "2", true, 0x40000000);
    row("character ignores hex display", TypeChar, 0x08, "A", true, 0x41);
    row("float nan refused", TypeFloat, 0x00, "nan", false, 0);
    row("float beyond single refused", TypeFloat, 0x00, "1e39", false, 0);
}

void TestValueCodec::parseValue()
{
    QFETCH(quint8, type);
    QFETCH(quint32, info);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(quint32, raw);

    quint32 parsed = 12345;
    QCOMPARE(::parseValue(text, scalarAttr(type), info, parsed), ok);
    QCOMPARE(parsed, raw);
}

void TestValueCodec::storeRaw_data()
{
    QTest::addColumn<quint8>("type");
    QTest::addColumn<quint32>("raw");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("u8 low byte") << quint8{TypeU8} << 0x12345678U << QByteArray::fromHex("78");
    QTest::newRow("char") << quint8{TypeChar} << 0x41U << QByteArray::fromHex("41");
    QTest::newRow("s16 low half") << quint8{TypeS16} << 0xFFFF8000U << QByteArray::fromHex("0080");
    QTest::newRow("u32") << quint8{TypeU32} << 0x12345678U << QByteArray::fromHex("78563412");
    QTest::newRow("float bits") << quint8{TypeFloat} << 0x3FC00000U << QByteArray::fromHex("0000c03f");
    QTest::newRow("unknown type") << quint8{0x22} << 0x12345678U << QByteArray();
}

void TestValueCodec::storeRaw()
{
    QFETCH(quint8, type);
    QFETCH(quint32, raw);
    QFETCH(QByteArray, bytes);

    ByteWriter out(16);
    QCOMPARE(::storeRaw(raw, out, scalarAttr(type)), int(bytes.size()));
    QCOMPARE(out.bytes(), bytes);
}

void TestValueCodec::storeRawIntoFullWriter()
{
    ByteWriter out(5);
    QCOMPARE(::storeRaw(1, out, scalarAttr(TypeU32)), 4);
    QCOMPARE(::storeRaw(2, out, scalarAttr(TypeU32)), 0);
    QCOMPARE(::storeRaw(3, out, scalarAttr(TypeU8)), 1);
    QCOMPARE(out.bytes(), QByteArray::fromHex("0100000003"));
}

QTEST_GUILESS_MAIN(TestValueCodec)
#include "tst_valuecodec.moc"
