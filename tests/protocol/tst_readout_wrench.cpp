// A whole history read out of the simulated wrench through the engine and the
// message service, on a pseudo-terminal, with the wrench's fault switches.

#include "protocoltest.h"

#include "protocol/kapsmessage.h"
#include "protocol/qkapsmsgio.h"
#include "tools/historygenerator.h"

#include <QTest>

using namespace wrench;

namespace {

constexpr int Records = 1000;
constexpr int WaitMs = 60000;

int countLog(const QStringList& lines, const QString& direction, const QString& control,
             const QString& mnemonic)
{
    int count = 0;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() >= 5 && fields[1] == direction
            && (control.isEmpty() || fields[2] == control) && fields[4] == mnemonic)
            ++count;
    }
    return count;
}

} // namespace

class TestReadoutWithWrench : public QObject {
    Q_OBJECT
private slots:
    void historyArrivesByteIdentical_data();
    void historyArrivesByteIdentical();
};

void TestReadoutWithWrench::historyArrivesByteIdentical_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("blockSize");
    QTest::newRow("clean") << QStringList() << 256;
    QTest::newRow("one frame in 50 corrupted")
        << QStringList{QStringLiteral("--corrupt-every"), QStringLiteral("50")} << 64;
    QTest::newRow("duplicated blocks")
        << QStringList{QStringLiteral("--duplicate-every"), QStringLiteral("3")} << 256;
    QTest::newRow("both, CRC frames")
        << QStringList{QStringLiteral("--corrupt-every"), QStringLiteral("50"),
                       QStringLiteral("--duplicate-every"), QStringLiteral("7"), QStringLiteral("--crc")}
        << 64;
}

void TestReadoutWithWrench::historyArrivesByteIdentical()
{
    QFETCH(QStringList, faults);
    QFETCH(int, blockSize);
    testsupport::WrenchProcess wrench;
    QVERIFY2(startMappedWrench(wrench, QStringList{QStringLiteral("--history-count"), QString::number(Records),
                                                   QStringLiteral("--block-size"), QString::number(blockSize)}
                                           + faults),
             qPrintable(wrench.error));

    EventRecorder receiver;
    QKapsMsgIO io;
    QVERIFY(io.open(&receiver, WrenchPort, 115200));
    QVERIFY(receiver.waitFor(kaps::Identification, 1, WaitMs));
    QVERIFY(io.connected());
    QVERIFY(io.requestRecords(0xFFF0));
    QVERIFY(receiver.waitFor(kaps::TransferEnd, 1, WaitMs));

    const QByteArray expected = history::encode(history::generate(Records));
    QCOMPARE(expected.size(), Records * 64);
    const auto starts = receiver.ofType(kaps::TransferStart);
    QCOMPARE(starts.size(), 1);
    QCOMPARE(starts[0].value1, 0xFFF0);
    QCOMPARE(starts[0].value2, static_cast<int>(expected.size()));
    QCOMPARE(receiver.ofType(kaps::Progress).last().progress, static_cast<int>(expected.size()));
    QVERIFY(receiver.ofType(kaps::TransferEnd)[0].bytes == expected);
    io.close();

    // The faults did happen, and the tool's answers made up for them.
    const QStringList log = wrench.logLines();
    const int blocks = static_cast<int>((expected.size() + blockSize - 1) / blockSize);
    if (faults.contains(QStringLiteral("--corrupt-every"))) {
        QVERIFY(countLog(log, QStringLiteral("tx-corrupt"), QString(), QStringLiteral("RRN")) > 0);
        QVERIFY(countLog(log, QStringLiteral("rx"), QStringLiteral("40"), QStringLiteral("ACK")) > 0);
    }
    if (faults.contains(QStringLiteral("--duplicate-every")))
        QVERIFY(countLog(log, QStringLiteral("tx"), QString(), QStringLiteral("RRN")) > blocks);
}

QTEST_GUILESS_MAIN(TestReadoutWithWrench)
#include "tst_readout_wrench.moc"
