#include "app/qorbinifile.h"
#include "filebytes.h"
#include "params/qorbcrc32.h"
#include "params/qorbpidman.h"
#include "treemodelcheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "modeltexts.h"

using modeltexts::cellTexts;

namespace {

const QString prefix = QStringLiteral("<!-- CHECKSUM=");
const QString suffix = QStringLiteral(" -->");

QString goldenFile()
{
    return QStringLiteral(TOLVO_PARAMS_DATA "dataset.xml");
}

QStringList childNames(const QTreeWidget& tree)
{
    QStringList names;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        names.append(tree.topLevelItem(i)->text(0));
    return names;
}

} // namespace

class TestDataset : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void goldenFileVerifies();
    void loadsModulesParametersAndTables_data();
    void loadsModulesParametersAndTables();
    void tableItemsAreHiddenAndNamed();
    void loadingTwiceAddsEverythingAgain();
    void cellsWithoutParameterCreateNothing();
    void valuesRoundTripThroughDeviceBytes();
    void descriptionsComeFromTheDescriptionFile();
    void repairRestoresTheGoldenFile();
    void modelStaysConsistentDuringLoad();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QTreeWidget m_tree;
    std::unique_ptr<QorbPIDMan> m_model;
};

void TestDataset::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_tree.clear();
    m_model = std::make_unique<QorbPIDMan>(&m_tree, nullptr);
}

void TestDataset::goldenFileVerifies()
{
    QVERIFY(QorbCRC32::verifyChecksum(goldenFile(), prefix, suffix));
    QCOMPARE(QorbCRC32::fileCrc(goldenFile(), prefix, suffix), 0xa826ba94U);
}

void TestDataset::loadsModulesParametersAndTables_data()
{
    QTest::addColumn<quint32>("pid");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("cols");
    QTest::addColumn<QString>("marker");

    QTest::newRow("text table up to its first empty cell") << 100U << "Device name" << "" << "AB" << "8" << "";
    QTest::newRow("scalar") << 5U << "Access level" << "" << "3" << "" << "";
    QTest::newRow("entity and Latin-1 unit") << 201U << "Angle & offset" << "\u00b0" << "-12.5" << "" << "";
    QTest::newRow("hex") << 202U << "Flags" << "" << "0x0000BEEF" << "" << "";
    QTest::newRow("number table") << 210U << "Curve" << "Nm" << "1" << "3" << ">>";
    QTest::newRow("text table of two rows") << 211U << "Texts" << "" << "OK" << "4" << ">>";
}

void TestDataset::loadsModulesParametersAndTables()
{
    QFETCH(quint32, pid);
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QFETCH(QString, value);
    QFETCH(QString, cols);
    QFETCH(QString, marker);

    QVERIFY2(m_model->parseXml(goldenFile()), qPrintable(m_model->errorString()));
    QCOMPARE(childNames(m_tree), (QStringList{QStringLiteral("Identity"), QStringLiteral("Measure"),
                                              QStringLiteral("Spare")}));
    QCOMPARE(m_tree.topLevelItem(2)->childCount(), 0);
    const QTreeWidgetItem* param = m_model->findParam(pid);
    QVERIFY(param);
    QCOMPARE(param->text(QorbPIDMan::ColName), name);
    QCOMPARE(param->text(QorbPIDMan::ColUnit), unit);
    QCOMPARE(param->text(QorbPIDMan::ColValue), value);
    QCOMPARE(param->text(QorbPIDMan::ColCols), cols);
    QCOMPARE(param->text(QorbPIDMan::ColMore), marker);
}

void TestDataset::tableItemsAreHiddenAndNamed()
{
    QVERIFY(m_model->parseXml(goldenFile()));
    const QTreeWidgetItem* curve = m_model->findParam(210);
    QCOMPARE(curve->childCount(), 2);
    QCOMPARE(curve->child(1)->text(0), QStringLiteral("2[2]"));
    QCOMPARE(curve->child(1)->child(2)->text(0), QStringLiteral("3[3]"));
    QVERIFY(curve->child(1)->isHidden());
    QVERIFY(curve->child(1)->child(2)->isHidden());
    QCOMPARE(curve->text(QorbPIDMan::ColMin), QStringLiteral("0"));
    QCOMPARE(curve->text(QorbPIDMan::ColMax), QStringLiteral("1000"));
    QCOMPARE(cellTexts(curve).join(QLatin1Char(',')), QStringLiteral("1,2,3,4,5,6"));
}

void TestDataset::loadingTwiceAddsEverythingAgain()
{
    QVERIFY(m_model->parseXml(goldenFile()));
    QVERIFY(m_model->parseXml(goldenFile()));
    QCOMPARE(m_tree.topLevelItemCount(), 6);
    QCOMPARE(m_tree.topLevelItem(4)->text(0), QStringLiteral("Measure"));
}

void TestDataset::cellsWithoutParameterCreateNothing()
{
    const QString fileName = m_dir->filePath(QStringLiteral("stray.xml"));
    QVERIFY(writeFileBytes(fileName, "<CONFIG><TABLE ROWS=\"1\" COLS=\"1\"><TR><TD>x</TD></TR></TABLE>"
                                     "<TD>y</TD><VALUE>3</VALUE></CONFIG>"));
    QVERIFY(m_model->parseXml(fileName));
    QCOMPARE(m_tree.topLevelItemCount(), 0);
}

void TestDataset::valuesRoundTripThroughDeviceBytes()
{
    QVERIFY(m_model->parseXml(goldenFile()));
    for (const quint32 pid : {5U, 200U, 201U, 202U, 203U, 204U}) {
        const QString shown = m_model->findParam(pid)->text(QorbPIDMan::ColValue);
        ByteWriter out(QorbPIDMan::MaxValueBytes);
        QVERIFY(m_model->encodeValue(pid, out, shown) > 0);
        m_model->findParam(pid)->setText(QorbPIDMan::ColValue, QString());
        QVERIFY(m_model->decodeValues(pid, out.bytes().constData(), out.bytes().size()));
        QCOMPARE(m_model->findParam(pid)->text(QorbPIDMan::ColValue), shown);
    }
    for (const quint32 pid : {100U, 210U, 211U}) {
        QTreeWidgetItem* param = m_model->findParam(pid);
        const QStringList cells = cellTexts(param);
        ByteWriter out(QorbPIDMan::MaxValueBytes);
        QVERIFY(m_model->encodeTable(pid, out, 0, 0, QStringLiteral("NULL")) > 0);
        const QByteArray zeros(out.bytes().size(), '\0');
        QVERIFY(m_model->decodeValues(pid, zeros.constData(), zeros.size()));
        QVERIFY(cellTexts(param) != cells);
        QVERIFY(m_model->decodeValues(pid, out.bytes().constData(), out.bytes().size()));
        QCOMPARE(cellTexts(param), cells);
    }
}

void TestDataset::descriptionsComeFromTheDescriptionFile()
{
    const QString iniName = m_dir->filePath(QStringLiteral("Description.ini"));
    QVERIFY(writeFileBytes(iniName, "[Measure]\r\nID_201=Angle\\tafter\\nthreshold\r\n"));
    QorbInifile source;
    source.setFileName(iniName, true);
    QTreeWidget tree;
    QorbPIDMan model(&tree, &source);
    QVERIFY(model.parseXml(goldenFile()));
    QCOMPARE(model.findParam(201)->text(QorbPIDMan::ColDescription), QStringLiteral("Angle\tafter\nthreshold"));
    // The file's DESCR attributes give way to the description file's defaults.
    QCOMPARE(model.findParam(5)->text(QorbPIDMan::ColDescription),
             QStringLiteral("Access level - Detailed Parameter Description.."));
    QCOMPARE(tree.topLevelItem(0)->text(QorbPIDMan::ColDescription),
             QStringLiteral("Detailed Modul Description.."));
    // After the load the file holds an entry for every module and parameter.
    for (const char* section : {"Identity", "Measure", "Spare"}) {
        QVERIFY(!source.readString(QString::fromLatin1(section), QStringLiteral("DESCRIPTION"), QString(), false)
                     .isEmpty());
    }
    for (const quint32 pid : {100U, 5U}) {
        QVERIFY(!source.readString(QStringLiteral("Identity"), QStringLiteral("ID_%1").arg(pid), QString(), false)
                     .isEmpty());
    }
    for (const quint32 pid : {200U, 201U, 202U, 203U, 204U, 210U, 211U}) {
        QVERIFY(!source.readString(QStringLiteral("Measure"), QStringLiteral("ID_%1").arg(pid), QString(), false)
                     .isEmpty());
    }
    QCOMPARE(source.readString(QStringLiteral("Measure"), QStringLiteral("ID_201"), QString(), false),
             QStringLiteral("Angle\\tafter\\nthreshold"));
}

void TestDataset::repairRestoresTheGoldenFile()
{
    const QByteArray golden = fileBytes(goldenFile());
    QByteArray stripped = golden.left(golden.size() - 28);
    stripped.replace("\r\n", "\n");
    const QString copy = m_dir->filePath(QStringLiteral("copy.xml"));
    QVERIFY(writeFileBytes(copy, stripped));
    QVERIFY(!QorbCRC32::verifyChecksum(copy, prefix, suffix));
    QVERIFY(QorbCRC32::repairChecksum(copy, prefix, suffix));
    QCOMPARE(fileBytes(copy), golden);
}

void TestDataset::modelStaysConsistentDuringLoad()
{
    const TreeModelCheck check(m_tree.model());
    QVERIFY(m_model->parseXml(goldenFile()));
    QVERIFY(m_model->parseXml(goldenFile()));
    m_model->applyFilter();
    QCOMPARE(m_tree.topLevelItemCount(), 6);
}

QTEST_MAIN(TestDataset)
#include "tst_dataset.moc"
