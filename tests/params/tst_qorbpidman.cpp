#include "app/qorbinifile.h"
#include "filebytes.h"
#include "params/paramattr.h"
#include "params/paramrecord.h"
#include "params/qorbpidman.h"

#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "modeltexts.h"

using namespace paramattr;

using modeltexts::texts;
using modeltexts::cellTexts;

namespace {

QByteArray record(quint32 pid, quint32 attr, quint32 info, const QByteArray& value,
                  const char* module = "Measure", const char* name = "Torque")
{
    ParamRecord fields;
    fields.flags = 0x7BF;
    fields.pid = pid;
    fields.attr = attr;
    fields.info = info;
    fields.value = value;
    fields.name = QString::fromLatin1(name);
    fields.unit = QStringLiteral("Nm");
    fields.module = QString::fromLatin1(module);
    return serializeParamRecord(fields);
}

void add(QorbPIDMan& model, const QByteArray& bytes)
{
    QVERIFY(model.addParamInfo(bytes.constData(), bytes.size()));
}

} // namespace

class TestQorbPIDMan : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ownsATreeWhenGivenNone();
    void findParamComparesTheDecimalText();
    void decodeValues_data();
    void decodeValues();
    void decodeValuesRefusesBadColumnCount();
    void encodeValue_data();
    void encodeValue();
    void encodeTable_data();
    void encodeTable();
    void scalarAndTableValues();
    void applyFilterShowsModulesWithParameters();
    void descriptionsFromTheDescriptionFile();

private:
    std::unique_ptr<QTreeWidget> m_tree;
    std::unique_ptr<QorbPIDMan> m_model;
};

void TestQorbPIDMan::init()
{
    m_tree = std::make_unique<QTreeWidget>();
    m_model = std::make_unique<QorbPIDMan>(m_tree.get(), nullptr);
    add(*m_model, record(1, makeAttr(TypeU16, 1, 1), 0x01, QByteArray::fromHex("0000")));
    add(*m_model, record(2, makeAttr(TypeU8, 2, 3), 0, QByteArray(6, '\0')));
    add(*m_model, record(3, makeAttr(TypeChar, 1, 4), 0, QByteArray("OK\0\0", 4)));
    add(*m_model, record(4, makeAttr(TypeU32, 16, 16), 0, QByteArray(1024, '\0')));
    add(*m_model, record(5, makeAttr(TypeU32, 15, 16), 0, QByteArray(960, '\0')));
    add(*m_model, record(6, makeAttr(0x20, 1, 1), 0, QByteArray(1, '\0')));
}

void TestQorbPIDMan::cleanup()
{
    m_model.reset();
    m_tree.reset();
}

void TestQorbPIDMan::ownsATreeWhenGivenNone()
{
    QorbPIDMan model(nullptr, nullptr);
    QVERIFY(model.tree());
    QCOMPARE(model.tree()->columnCount(), int{QorbPIDMan::ColumnCount});
    add(model, record(1, 0, 0, QByteArray(1, '\1')));
    QVERIFY(model.findParam(1));
}

void TestQorbPIDMan::findParamComparesTheDecimalText()
{
    auto* module = new QTreeWidgetItem(m_tree.get());
    auto* param = new QTreeWidgetItem(module);
    param->setText(QorbPIDMan::ColId, QStringLiteral("07"));
    auto* row = new QTreeWidgetItem(param);
    row->setText(QorbPIDMan::ColId, QStringLiteral("9"));
    QVERIFY(!m_model->findParam(7));
    QVERIFY(!m_model->findParam(9));
    QCOMPARE(m_model->findParam(2)->text(QorbPIDMan::ColId), QStringLiteral("2"));
    QVERIFY(!m_model->findParam(4294967295U));
    bool ok = true;
    QCOMPARE(QorbPIDMan::parseValue(nullptr, QStringLiteral("5"), &ok), 0U);
    QVERIFY(!ok);
    QCOMPARE(QorbPIDMan::parseValue(m_model->findParam(1), QStringLiteral("1.5"), &ok), 15U);
    QVERIFY(ok);
}

void TestQorbPIDMan::decodeValues_data()
{
    QTest::addColumn<quint32>("pid");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("decoded");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("cells");

    const QStringList noCells;
    const QStringList zeros(6, QStringLiteral("0"));
    QTest::newRow("scalar") << 1U << QByteArray::fromHex("7b00") << true << QStringLiteral("12.3") << noCells;
    QTest::newRow("scalar with bytes to spare") << 1U << QByteArray::fromHex("7b00ff") << true
                                                << QStringLiteral("12.3") << noCells;
    QTest::newRow("scalar cut short") << 1U << QByteArray::fromHex("7b") << false << QStringLiteral("0.0")
                                      << noCells;
    QTest::newRow("no bytes") << 1U << QByteArray() << false << QStringLiteral("0.0") << noCells;
    QTest::newRow("unknown ID") << 99U << QByteArray::fromHex("01") << false << QString() << noCells;
    QTest::newRow("table") << 2U << QByteArray::fromHex("010203040506") << true << QStringLiteral("0")
                           << texts({"1", "2", "3", "4", "5", "6"});
    QTest::newRow("table, second row cut short keeps the first")
        << 2U << QByteArray::fromHex("0102030405") << false << QStringLiteral("0")
        << texts({"1", "2", "3", "0", "0", "0"});
    QTest::newRow("table, first row cut short") << 2U << QByteArray::fromHex("01") << false
                                                << QStringLiteral("0") << zeros;
    QTest::newRow("text table") << 3U << QByteArray("Hi\0\0", 4) << true << QStringLiteral("OK")
                                << texts({"H", "i", "", ""});
}

void TestQorbPIDMan::decodeValues()
{
    QFETCH(quint32, pid);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, decoded);
    QFETCH(QString, value);
    QFETCH(QStringList, cells);

    QCOMPARE(m_model->decodeValues(pid, bytes.constData(), bytes.size()), decoded);
    const QTreeWidgetItem* param = m_model->findParam(pid);
    if (param == nullptr)
        return;
    QCOMPARE(param->text(QorbPIDMan::ColValue), value);
    QCOMPARE(cellTexts(param), cells);
}

void TestQorbPIDMan::decodeValuesRefusesBadColumnCount()
{
    const QByteArray bytes = QByteArray::fromHex("010203040506");
    QVERIFY(!m_model->decodeValues(2, nullptr, 6));
    m_model->findParam(2)->setText(QorbPIDMan::ColCols, QStringLiteral("x"));
    QVERIFY(!m_model->decodeValues(2, bytes.constData(), bytes.size()));
    m_model->findParam(2)->setText(QorbPIDMan::ColCols, QStringLiteral("0"));
    QVERIFY(!m_model->decodeValues(2, bytes.constData(), bytes.size()));
    QCOMPARE(cellTexts(m_model->findParam(2)), QStringList(6, QStringLiteral("0")));
}

void TestQorbPIDMan::encodeValue_data()
{
    QTest::addColumn<quint32>("pid");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    QTest::newRow("u16, 1 decimal") << 1U << QStringLiteral("12.3") << QByteArray::fromHex("7b00") << QString();
    QTest::newRow("out of range") << 1U << QStringLiteral("6553.6") << QByteArray()
                                  << QStringLiteral("\"6553.6\" is no valid value for parameter 1.");
    QTest::newRow("no number") << 1U << QStringLiteral("abc") << QByteArray()
                               << QStringLiteral("\"abc\" is no valid value for parameter 1.");
    QTest::newRow("unknown ID") << 99U << QStringLiteral("1") << QByteArray()
                                << QStringLiteral("Parameter 99 is not known.");
    QTest::newRow("unknown type") << 6U << QStringLiteral("1") << QByteArray()
                                  << QStringLiteral("Parameter 6 has no known value type.");
    QTest::newRow("character") << 3U << QStringLiteral("AB") << QByteArray("A") << QString();
}

void TestQorbPIDMan::encodeValue()
{
    QFETCH(quint32, pid);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);

    ByteWriter out(QorbPIDMan::MaxValueBytes);
    QCOMPARE(m_model->encodeValue(pid, out, text), int(bytes.size()));
    QCOMPARE(out.bytes(), bytes);
    QCOMPARE(m_model->encodeError(), error);
}

void TestQorbPIDMan::encodeTable_data()
{
    QTest::addColumn<quint32>("pid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("refused");

    QTest::newRow("cell (1,2) replaced") << 2U << 1 << 2 << QStringLiteral("9") << 6
                                         << QByteArray::fromHex("000000000009") << false;
    QTest::newRow("NULL keeps every cell") << 2U << 1 << 2 << QStringLiteral("NULL") << 6
                                           << QByteArray(6, '\0') << false;
    QTest::newRow("bad cell text") << 2U << 0 << 0 << QStringLiteral("256") << 0 << QByteArray() << true;
    QTest::newRow("text table") << 3U << 0 << 2 << QStringLiteral("!") << 4 << QByteArray("OK!\0", 4) << false;
    QTest::newRow("960 bytes fit one frame") << 5U << 0 << 0 << QStringLiteral("NULL") << 960
                                             << QByteArray(4, '\0') << false;
    QTest::newRow("1024 bytes do not") << 4U << 0 << 0 << QStringLiteral("NULL") << 0 << QByteArray() << true;
    QTest::newRow("unknown ID") << 99U << 0 << 0 << QStringLiteral("NULL") << 0 << QByteArray() << true;
}

void TestQorbPIDMan::encodeTable()
{
    QFETCH(quint32, pid);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(int, size);
    QFETCH(QByteArray, head);
    QFETCH(bool, refused);

    ByteWriter out(QorbPIDMan::MaxValueBytes);
    QCOMPARE(m_model->encodeTable(pid, out, row, col, text), size);
    QCOMPARE(out.bytes().size(), qsizetype{size});
    QCOMPARE(out.bytes().left(head.size()), head);
    QCOMPARE(m_model->encodeError().isEmpty(), !refused);
    if (pid == 4)
        QVERIFY(m_model->encodeError().contains(QStringLiteral("1020")));
}

void TestQorbPIDMan::scalarAndTableValues()
{
    const QByteArray bytes = QByteArray::fromHex("7b00");
    QVERIFY(m_model->decodeValues(1, bytes.constData(), bytes.size()));
    QString value = QStringLiteral("old");
    QString unit = QStringLiteral("old");
    QString name;
    QVERIFY(m_model->scalarValue(1, value, unit, &name));
    QCOMPARE(value, QStringLiteral("12.3"));
    QCOMPARE(unit, QStringLiteral("Nm"));
    QCOMPARE(name, QStringLiteral("Torque"));
    QVERIFY(!m_model->scalarValue(2, value, unit, nullptr));
    QVERIFY(value.isEmpty() && unit.isEmpty());
    QVERIFY(!m_model->scalarValue(99, value, unit, nullptr));

    QTableWidget table;
    const QByteArray cells = QByteArray::fromHex("010203040506");
    QVERIFY(m_model->decodeValues(2, cells.constData(), cells.size()));
    QVERIFY(m_model->tableValue(2, table, unit, nullptr));
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.columnCount(), 3);
    QCOMPARE(table.item(1, 2)->text(), QStringLiteral("6"));
    QCOMPARE(unit, QStringLiteral("Nm"));
    QVERIFY(!m_model->tableValue(99, table, unit, nullptr));
    QCOMPARE(table.rowCount(), 0);
}

void TestQorbPIDMan::applyFilterShowsModulesWithParameters()
{
    add(*m_model, record(7, 0, 0, QByteArray(1, '\0'), "Other"));
    auto* empty = new QTreeWidgetItem(m_tree.get());
    empty->setHidden(true);
    m_tree->topLevelItem(0)->setHidden(true);
    m_model->findParam(7)->setHidden(true);
    m_model->applyFilter();
    QVERIFY(!m_tree->topLevelItem(0)->isHidden());
    QVERIFY(!m_model->findParam(7)->isHidden());
    QVERIFY(empty->isHidden());
    QVERIFY(m_model->findParam(2)->child(0)->isHidden());
}

void TestQorbPIDMan::descriptionsFromTheDescriptionFile()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("Description.ini"));
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; kept\r\n[measure]\r\nDESCRIPTION=Torque\\nand angle\r\nID_7=Set\\tpoint\r\nID_8=\r\n");
    file.close();
    QorbInifile source;
    source.setFileName(fileName, true);

    {
        QTreeWidget tree;
        QorbPIDMan model(&tree, &source);
        add(model, record(7, 0, 0, QByteArray(1, '\0')));
        add(model, record(8, 0, 0, QByteArray(1, '\0'), "Measure", "Speed"));
        add(model, record(9, 0, 0, QByteArray(1, '\0'), "Other", "Mode"));
        QCOMPARE(tree.topLevelItem(0)->text(QorbPIDMan::ColDescription), QStringLiteral("Torque\nand angle"));
        QCOMPARE(model.findParam(7)->text(QorbPIDMan::ColDescription), QStringLiteral("Set\tpoint"));
        QCOMPARE(model.findParam(8)->text(QorbPIDMan::ColDescription),
                 QStringLiteral("Speed - Detailed Parameter Description.."));
        QCOMPARE(tree.topLevelItem(1)->text(QorbPIDMan::ColDescription),
                 QStringLiteral("Detailed Modul Description.."));
        QVERIFY(model.flushDescriptions());
        QCOMPARE(fileBytes(fileName),
                 QByteArray("; kept\r\n[measure]\r\nDESCRIPTION=Torque\\nand angle\r\nID_7=Set\\tpoint\r\n"
                            "ID_8=Speed - Detailed Parameter Description..\r\n\r\n"
                            "[Other]\r\nDESCRIPTION=Detailed Modul Description..\r\n"
                            "ID_9=Mode - Detailed Parameter Description..\r\n"));
        // Entries met after the flush wait for the end.
        add(model, record(10, 0, 0, QByteArray(1, '\0'), "Other", "Late"));
        QVERIFY(!fileBytes(fileName).contains("ID_10"));
    }
    QVERIFY(fileBytes(fileName).contains("ID_10=Late - Detailed Parameter Description..\r\n"));
}

QTEST_MAIN(TestQorbPIDMan)
#include "tst_qorbpidman.moc"
