// The parameter service through the real window and the simulated wrench:
// every connection downloads the wrench's descriptions into the model once,
// reads the identity parameters and raises the access level.
#include "windowtest.h"

#include "history/viewhistory.h"
#include "params/qorbpidman.h"
#include "params/viewparam.h"

#include <QProgressBar>
#include <QTreeWidget>

using namespace windowtest;

namespace {

constexpr int AccessLevel = 5;
// As on the wire: "RST" for the description list and for its end.
const QString listRecordStart = QStringLiteral("52 53 54 FF FF");
const QString listEndStart = QStringLiteral("52 53 54 00 00");
// The text access code 720356 as a 32-bit value.
const QString accessCodeWrite = QStringLiteral("44 53 50 00 05 00 04 E4 FD 0A 00");

int countSent(const Wrench& wrench, const char* direction, const char* mnemonic, const QString& bytes)
{
    // One reading of the log: it grows while the test runs.
    int found = 0;
    for (const QStringList& frame : wrench.frames())
        found += frame[0] == QLatin1String(direction) && frame[3] == QLatin1String(mnemonic)
                && frame.join(QLatin1Char(' ')).contains(bytes)
            ? 1
            : 0;
    return found;
}

QString modelValue(const QorbPIDMan& model, quint32 id)
{
    QString value;
    QString unit;
    return model.scalarValue(id, value, unit, nullptr) ? value : QStringLiteral("<none>");
}

// The IDs the tool asked for, in order, from the "DRQ" frames of the log:
// start byte, control, sequence, mnemonic, ID; 0x10 escapes the byte after it.
QList<int> requestedIds(const Wrench& wrench)
{
    QList<int> ids;
    for (const QStringList& frame : wrench.frames()) {
        if (frame[0] != QLatin1String("rx") || frame[3] != QLatin1String("DRQ"))
            continue;
        QList<int> bytes;
        const QStringList hex = frame.mid(5);
        for (qsizetype at = 0; at < hex.size(); ++at) {
            if (hex[at] == QLatin1String("10") && at + 1 < hex.size())
                ++at;
            bytes.append(hex[at].toInt(nullptr, 16));
        }
        if (bytes.size() > 7)
            ids.append(bytes[6] << 8 | bytes[7]);
    }
    return ids;
}

} // namespace

class TestWindowParamService : public QObject
{
    Q_OBJECT

private slots:
    void everyConnectionDownloadsOnceAndRaisesAccess();

private:
    void connectAndAwaitList(TolvoTool& window, Wrench& wrench, int connection);
};

void TestWindowParamService::connectAndAwaitList(TolvoTool& window, Wrench& wrench, int connection)
{
    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(window.isOnline());
    QTRY_COMPARE_WITH_TIMEOUT(countSent(wrench, "tx", "RST", listEndStart), connection, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(window.deviceService().paramServiceState(), -1, WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(window.paramView()->progressBar()->isHidden(), WaitMs);
}

void TestWindowParamService::everyConnectionDownloadsOnceAndRaisesAccess()
{
    ToolFolder folder;
    QVERIFY(folder.isValid());
    Wrench wrench(folder);
    QVERIFY(wrench.startAsChosenPort(folder, QStringLiteral("COM42")));
    StyleObject style;
    BoxWatcher user;
    TolvoTool window;
    const QorbPIDMan& model = *window.paramView()->model();
    QCOMPARE(window.historyView()->model(), window.paramView()->model());

    connectAndAwaitList(window, wrench, 1);
    const int records = countSent(wrench, "tx", "RST", listRecordStart);
    QVERIFY(records > 10);
    QCOMPARE(window.paramView()->progressBar()->maximum(), records);
    QCOMPARE(window.deviceService().paramListCount(), records);
    const int parameters = parameterItems(model);
    QVERIFY(parameters > 10);
    QCOMPARE(window.paramView()->findChild<QLabel*>(QStringLiteral("labelFilename"))->text(), QString());
    // The list's descriptions are in the description file once it has ended.
    QFile descriptions(folder.filePath(QStringLiteral("Description.ini")));
    QVERIFY(descriptions.open(QIODevice::ReadOnly));
    QCOMPARE(descriptions.readAll().count("\r\nID_"), parameters);

    // The identity parameters, read through the tick one after the other.
    QTRY_COMPARE_WITH_TIMEOUT(window.serialNumber(), QStringLiteral("TW2000123"), WaitMs);
    QList<int> identityReads = requestedIds(wrench);
    QCOMPARE(identityReads.removeAll(1), 1);
    QCOMPARE(identityReads.mid(0, 6), (QList<int>{5, 113, 100, 101, 103, 135}));
    QCOMPARE(window.deviceDesignation(), QStringLiteral("TOLVO TW-200"));
    QCOMPARE(window.firmwareVersion(), QStringLiteral("FW 2.14.0"));
    QCOMPARE(window.hardwareVersion(), QStringLiteral("HW 3.1"));
    QCOMPARE(window.firmwareKind(), 2);
    QCOMPARE(window.historyMode(), 2);

    // Level 1 is below service level: the access code goes out once and the
    // level read back is 3.
    QTRY_COMPARE_WITH_TIMEOUT(modelValue(model, AccessLevel), QStringLiteral("3"), WaitMs);
    QCOMPARE(countSent(wrench, "rx", "DSP", accessCodeWrite), 1);

    // A second connection: the list again, the model not doubled.
    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(!window.isOnline());
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("ready"), 2), WaitMs);
    connectAndAwaitList(window, wrench, 2);
    QCOMPARE(countSent(wrench, "tx", "RST", listRecordStart), 2 * records);
    QCOMPARE(parameterItems(model), parameters);
    QCOMPARE(requestedIds(wrench).count(1), 2);
    QTRY_COMPARE_WITH_TIMEOUT(modelValue(model, AccessLevel), QStringLiteral("3"), WaitMs);
    QVERIFY(user.boxes.isEmpty());
}

QTEST_MAIN(TestWindowParamService)
#include "tst_windowparamservice.moc"
