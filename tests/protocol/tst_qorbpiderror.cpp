#include "protocol/qorbpiderror.h"

#include <QTest>

class TestPidError : public QObject {
    Q_OBJECT
private slots:
    void knownCodes_data();
    void knownCodes();
    void codesWithoutTextAreEmpty_data();
    void codesWithoutTextAreEmpty();
    void unknownAfterKnownIsEmpty();
};

void TestPidError::knownCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("100") << 100 << QStringLiteral("no error");
    QTest::newRow("101") << 101 << QStringLiteral("not writable, cause value exceeds max value\nID = #1");
    QTest::newRow("102") << 102 << QStringLiteral("not writable, cause value under-runs min value\nID = #1");
    QTest::newRow("103") << 103 << QStringLiteral("not writable at the moment\nID = #1");
    QTest::newRow("104") << 104 << QStringLiteral("error wrong message content size\nID = #1");
    QTest::newRow("105") << 105 << QStringLiteral("not available\nID = #1");
    QTest::newRow("106") << 106
                         << QStringLiteral("not writable, because of Service level (value is read-only)\nID = #1");
    QTest::newRow("107") << 107 << QStringLiteral("general error\nID = #1");
    QTest::newRow("108") << 108 << QStringLiteral("wrong index for parameter\nID = #1");
    QTest::newRow("109") << 109 << QStringLiteral("parameter temporarily not readable\nID = #1");
    QTest::newRow("110") << 110 << QStringLiteral("parameter temporarily not writable\nID = #1");
    QTest::newRow("111") << 111 << QStringLiteral("internal buffer too small for transmission\nID = #1");
    QTest::newRow("112") << 112 << QStringLiteral("wrong type\nID = #1");
    QTest::newRow("113") << 113 << QStringLiteral("not readable\nID = #1");
    QTest::newRow("200") << 200 << QStringLiteral("general COM error");
    QTest::newRow("201") << 201 << QStringLiteral("unknown");
    QTest::newRow("202") << 202 << QStringLiteral("wrong terminal name");
    QTest::newRow("203") << 203 << QStringLiteral("wrong terminal version");
    QTest::newRow("204") << 204 << QStringLiteral("not connected");
}

void TestPidError::knownCodes()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QorbPIDError errors;
    QCOMPARE(errors.errorText(code), text);
}

void TestPidError::codesWithoutTextAreEmpty_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("0") << 0;
    QTest::newRow("99") << 99;
    QTest::newRow("114") << 114;
    QTest::newRow("199") << 199;
    QTest::newRow("205") << 205;
    QTest::newRow("group set") << 0x00010069;
    QTest::newRow("negative") << -100;
}

void TestPidError::codesWithoutTextAreEmpty()
{
    QFETCH(int, code);
    QorbPIDError errors;
    QVERIFY(errors.errorText(code).isEmpty());
}

void TestPidError::unknownAfterKnownIsEmpty()
{
    QorbPIDError errors;
    QCOMPARE(errors.errorText(204), QStringLiteral("not connected"));
    QVERIFY(errors.errorText(114).isEmpty());
    QCOMPARE(errors.errorText(100), QStringLiteral("no error"));
}

QTEST_GUILESS_MAIN(TestPidError)
#include "tst_qorbpiderror.moc"
