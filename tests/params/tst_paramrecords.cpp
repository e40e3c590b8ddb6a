#include "params/paramattr.h"
#include "params/paramrecord.h"
#include "params/qorbpidman.h"
#include "treemodelcheck.h"

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include "modeltexts.h"

using namespace paramattr;

using modeltexts::texts;

namespace {

constexpr quint32 allFields = 0x7BF; // every field but the skipped block

ParamRecord scalarRecord(quint32 pid, quint8 type, quint32 info, const QByteArray& value)
{
    ParamRecord record;
    record.flags = allFields;
    record.pid = pid;
    record.attr = makeAttr(type, 1, 1);
    record.access = 0x13;
    record.info = info;
    record.min = 0;
    record.max = 1000;
    record.value = value;
    record.name = QStringLiteral("Torque");
    record.unit = QStringLiteral("Nm");
    record.module = QStringLiteral("Measure");
    record.description = QStringLiteral("Nominal torque");
    return record;
}

ParamRecord tableRecord(quint32 pid, quint8 type, quint32 rowCount, quint32 columnCount, const QByteArray& value)
{
    ParamRecord record = scalarRecord(pid, type, 0, value);
    record.attr = makeAttr(type, rowCount, columnCount);
    record.max = 0;
    record.name = QStringLiteral("Table");
    return record;
}

// The texts of columns 0 to 11 of an item.
QStringList columnTexts(const QTreeWidgetItem* item)
{
    QStringList texts;
    for (int column = 0; column < QorbPIDMan::ColumnCount; ++column)
        texts.append(item->text(column));
    return texts;
}

QStringList childNames(const QTreeWidgetItem* item)
{
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names.append(item->child(i)->text(0));
    return names;
}

} // namespace

class TestParamRecords : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void textTableCells();
    void recordWithoutValueAddsModuleOnly();
    void downloadUpdatesTheSameId();
    void modulesAtTopLevelAfterBrokenFile();
    void modelStaysConsistentDuringDownload();
};

void TestParamRecords::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QStringList>("columns");

    
    QTest::newRow("u16 scalar, 1 decimal")
        << serializeParamRecord(scalarRecord(7, TypeU16, 0x01, QByteArray::fromHex("7b00"))) << true
        << texts({"Torque", "7", "Nm", "0x01000000", "0x00000013", "0x00000001", "Nominal torque", "0.0",
                    "100.0", "12.3", "", ""});

    ParamRecord minAboveMax = scalarRecord(8, TypeU8, 0x02, QByteArray::fromHex("c8"));
    minAboveMax.min = 10;
    minAboveMax.max = 5;
    QTest::newRow("MIN 10 MAX 5 shown plain")
        << serializeParamRecord(minAboveMax) << true
        << texts({"Torque", "8", "Nm", "0x00000000", "0x00000013", "0x00000002", "Nominal torque", "10", "5",
                    "2.00", "", ""});

    ParamRecord signedLimits = scalarRecord(9, TypeS8, 0, QByteArray::fromHex("fb"));
    signedLimits.min = static_cast<quint32>(-5);
    signedLimits.max = 5;
    QTest::newRow("s8 limits in own form")
        << serializeParamRecord(signedLimits) << true
        << texts({"Torque", "9", "Nm", "0x00100000", "0x00000013", "0x00000000", "Nominal torque", "-5", "+5",
                    "-5", "", ""});

    QTest::newRow("empty value shows ---")
        << serializeParamRecord(scalarRecord(10, TypeU32, 0, QByteArray())) << true
        << texts({"Torque", "10", "Nm", "0x03000000", "0x00000013", "0x00000000", "Nominal torque", "0",
                    "1000", "---", "", ""});

    ParamRecord skipped = scalarRecord(11, TypeU8, 0, QByteArray::fromHex("2a"));
    skipped.flags |= ParamRecord::HasSkipped;
    QByteArray skippedBytes = serializeParamRecord(skipped);
    // The skipped block (length 2 and two bytes) after the value; MAX 1000 keeps
    // only its low byte for a u8.
    const qsizetype blockAt = 4 + 6 * 4 + 4 + 1;
    skippedBytes.replace(blockAt, 4, QByteArray::fromHex("02000000eeee"));
    QTest::newRow("skipped block") << skippedBytes << true
        << texts({"Torque", "11", "Nm", "0x00000000", "0x00000013", "0x00000000", "Nominal torque", "0",
                    "232", "42", "", ""});

    ParamRecord fieldsMissing;
    fieldsMissing.flags = ParamRecord::HasPid | ParamRecord::HasValue;
    fieldsMissing.pid = 12;
    fieldsMissing.value = QByteArray::fromHex("05");
    QTest::newRow("absent fields count as 0 and empty")
        << serializeParamRecord(fieldsMissing) << true
        << texts({"", "12", "", "0x00000000", "0x00000000", "0x00000000", "", "0", "0", "5", "", ""});

    QTest::newRow("number table")
        << serializeParamRecord(tableRecord(13, TypeU16, 2, 2, QByteArray::fromHex("0100020003000400"))) << true
        << texts({"Table", "13", "Nm", "0x01000401", "0x00000013", "0x00000000", "Nominal torque", "0", "0",
                    "1", "2", ">>"});
    QTest::newRow("text table OK with a second row")
        << serializeParamRecord(tableRecord(14, TypeChar, 2, 4, QByteArray("OK\0XAB\0\0", 8))) << true
        << texts({"Table", "14", "Nm", "0x00200C01", "0x00000013", "0x00000000", "Nominal torque", "0", "0",
                    "OK", "4", ">>"});
    QTest::newRow("text table of one row")
        << serializeParamRecord(tableRecord(15, TypeChar, 1, 4, QByteArray("OK\0X", 4))) << true
        << texts({"Table", "15", "Nm", "0x00200C00", "0x00000013", "0x00000000", "Nominal torque", "0", "0",
                    "OK", "4", ""});

    const QByteArray whole = serializeParamRecord(scalarRecord(16, TypeU8, 0, QByteArray::fromHex("01")));
    QTest::newRow("ends inside the last text") << whole.left(whole.size() - 1) << false << QStringList();
    QTest::newRow("ends inside the flags") << whole.left(3) << false << QStringList();
    QTest::newRow("ends inside the limits") << whole.left(4 + 5 * 4 + 2) << false << QStringList();
    QByteArray longValue = whole;
    longValue.replace(4 + 6 * 4, 4, QByteArray::fromHex("ffffff7f"));
    QTest::newRow("value longer than the record") << longValue << false << QStringList();
    QTest::newRow("table above its value length")
        << serializeParamRecord(tableRecord(17, TypeU16, 2, 4, QByteArray(10, '\1'))) << false << QStringList();
    QTest::newRow("scalar above its value length")
        << serializeParamRecord(scalarRecord(18, TypeU32, 0, QByteArray(3, '\1'))) << false << QStringList();
    QTest::newRow("table above 64 Ki cells")
        << serializeParamRecord(tableRecord(19, TypeU8, 1024, 65, QByteArray())) << false << QStringList();
}

void TestParamRecords::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, added);
    QFETCH(QStringList, columns);

    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    QCOMPARE(model.addParamInfo(bytes.constData(), bytes.size()), added);
    if (!added) {
        QCOMPARE(tree.topLevelItemCount(), 0);
        return;
    }
    QCOMPARE(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem* param = model.findParam(columns.at(1).toUInt());
    QVERIFY(param);
    QCOMPARE(columnTexts(param), columns);
    QCOMPARE(param->data(0, Qt::UserRole).toString(), QStringLiteral("PARAM"));
    QCOMPARE(param->parent()->data(0, Qt::UserRole).toString(), QStringLiteral("MODUL"));
    QVERIFY(param->isExpanded());
}

void TestParamRecords::textTableCells()
{
    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    const QByteArray bytes = serializeParamRecord(tableRecord(14, TypeChar, 2, 4, QByteArray("OK\0XAB\0\0", 8)));
    QVERIFY(model.addParamInfo(bytes.constData(), bytes.size()));
    const QTreeWidgetItem* param = model.findParam(14);
    QCOMPARE(childNames(param), texts({"1[2]", "2[2]"}));
    QCOMPARE(childNames(param->child(1)), texts({"1[4]", "2[4]", "3[4]", "4[4]"}));
    QCOMPARE(param->child(0)->child(3)->text(QorbPIDMan::ColValue), QStringLiteral("X"));
    QCOMPARE(param->child(0)->child(2)->text(QorbPIDMan::ColValue), QString());
    QVERIFY(param->child(0)->isHidden());
    QVERIFY(param->child(0)->child(0)->isHidden());
    QCOMPARE(param->child(1)->data(0, Qt::UserRole).toString(), QStringLiteral("TR"));
    QCOMPARE(param->child(1)->child(0)->data(0, Qt::UserRole).toString(), QStringLiteral("TD"));
}

void TestParamRecords::recordWithoutValueAddsModuleOnly()
{
    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    ParamRecord record = scalarRecord(20, TypeU8, 0, QByteArray());
    record.flags &= ~quint32{ParamRecord::HasValue};
    const QByteArray bytes = serializeParamRecord(record);
    QVERIFY(!model.addParamInfo(bytes.constData(), bytes.size()));
    QVERIFY(!model.addParamInfo(bytes.constData(), bytes.size()));
    QCOMPARE(tree.topLevelItemCount(), 1);
    QCOMPARE(tree.topLevelItem(0)->text(0), QStringLiteral("Measure"));
    QCOMPARE(tree.topLevelItem(0)->childCount(), 0);
    QVERIFY(!model.findParam(20));
    QVERIFY(!model.addParamInfo(nullptr, 10));
    QVERIFY(!model.addParamInfo(bytes.constData(), 0));
}

void TestParamRecords::downloadUpdatesTheSameId()
{
    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    const QByteArray first = serializeParamRecord(tableRecord(30, TypeU8, 2, 2, QByteArray::fromHex("01020304")));
    ParamRecord changed = scalarRecord(30, TypeU16, 0, QByteArray::fromHex("0900"));
    changed.module = QStringLiteral("Other");
    const QByteArray second = serializeParamRecord(changed);

    QVERIFY(model.addParamInfo(first.constData(), first.size()));
    QVERIFY(model.addParamInfo(first.constData(), first.size()));
    QCOMPARE(tree.topLevelItem(0)->childCount(), 1);
    QVERIFY(model.addParamInfo(second.constData(), second.size()));
    QCOMPARE(tree.topLevelItemCount(), 2);
    QCOMPARE(tree.topLevelItem(0)->childCount(), 0);
    const QTreeWidgetItem* param = model.findParam(30);
    QCOMPARE(param->parent()->text(0), QStringLiteral("Other"));
    QCOMPARE(param->text(QorbPIDMan::ColValue), QStringLiteral("9"));
    QCOMPARE(param->text(QorbPIDMan::ColCols), QString());
    QCOMPARE(param->childCount(), 0);
}

void TestParamRecords::modulesAtTopLevelAfterBrokenFile()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("broken.xml"));
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<CONFIG><MODUL NAME=\"A\"><PARAM ID=\"1\" NAME=\"p\" ATTR=\"0x00000000\"><VALUE>3</VALUE><oops");
    file.close();

    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    QVERIFY(!model.parseXml(fileName));
    QVERIFY(model.errorString().startsWith(QStringLiteral("Parse error at line 1, column")));
    QVERIFY(model.findParam(1));

    const QByteArray bytes = serializeParamRecord(scalarRecord(40, TypeU8, 0, QByteArray::fromHex("05")));
    QVERIFY(model.addParamInfo(bytes.constData(), bytes.size()));
    QCOMPARE(tree.topLevelItemCount(), 2);
    QCOMPARE(tree.topLevelItem(1)->text(0), QStringLiteral("Measure"));
    QVERIFY(model.findParam(40));
}

void TestParamRecords::modelStaysConsistentDuringDownload()
{
    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    const TreeModelCheck check(tree.model());
    for (quint32 pid = 1; pid <= 20; ++pid) {
        ParamRecord record = pid % 3 == 0
            ? tableRecord(pid, TypeU16, 2, 3, QByteArray(12, '\2'))
            : scalarRecord(pid, TypeU8, 0, QByteArray::fromHex("07"));
        record.module = QStringLiteral("Module %1").arg(pid % 4);
        const QByteArray bytes = serializeParamRecord(record);
        QVERIFY(model.addParamInfo(bytes.constData(), bytes.size()));
    }
    // The second download of the same list updates every item in place.
    for (quint32 pid = 1; pid <= 20; ++pid) {
        ParamRecord record = tableRecord(pid, TypeU8, 2, 2, QByteArray::fromHex("01020304"));
        record.module = QStringLiteral("Module %1").arg(pid % 4);
        const QByteArray bytes = serializeParamRecord(record);
        QVERIFY(model.addParamInfo(bytes.constData(), bytes.size()));
    }
    // A third download with the same shapes brings new values only.
    for (quint32 pid = 1; pid <= 20; ++pid) {
        ParamRecord record = tableRecord(pid, TypeU8, 2, 2, QByteArray::fromHex("05060708"));
        record.module = QStringLiteral("Module %1").arg(pid % 4);
        const QByteArray bytes = serializeParamRecord(record);
        QVERIFY(model.addParamInfo(bytes.constData(), bytes.size()));
    }
    QCOMPARE(model.findParam(7)->child(1)->child(1)->text(QorbPIDMan::ColValue), QStringLiteral("8"));
    QCOMPARE(model.findParam(7)->text(QorbPIDMan::ColValue), QStringLiteral("5"));
    QVERIFY(model.findParam(7)->child(1)->child(1)->isHidden());
    model.applyFilter();
    QCOMPARE(tree.topLevelItemCount(), 4);
    int params = 0;
    for (int m = 0; m < tree.topLevelItemCount(); ++m)
        params += tree.topLevelItem(m)->childCount();
    QCOMPARE(params, 20);
}

QTEST_MAIN(TestParamRecords)
#include "tst_paramrecords.moc"
