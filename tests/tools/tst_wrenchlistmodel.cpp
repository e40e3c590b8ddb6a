// The simulated wrench's generated description lists as the tool's own
// parameter model takes them: every record is accepted, none is doubled.
#include "params/qorbpidman.h"
#include "tools/parametergenerator.h"
#include "tools/parametertable.h"

#include <QTest>
#include <QTreeWidget>

using namespace wrench;

class TestWrenchListModel : public QObject {
    Q_OBJECT

private slots:
    void modelTakesEveryRecord_data();
    void modelTakesEveryRecord();
};

void TestWrenchListModel::modelTakesEveryRecord_data()
{
    QTest::addColumn<int>("settings");
    QTest::newRow("standard settings") << -1;
    QTest::newRow("every shape once") << parametergenerator::shapeCount();
    QTest::newRow("493 generated") << 493;
}

void TestWrenchListModel::modelTakesEveryRecord()
{
    QFETCH(int, settings);
    const ParameterTable table(DeviceIdentity(), settings < 0 ? ParameterTable::standardSettings()
                                                              : parametergenerator::generate(settings));
    QorbPIDMan model(nullptr, nullptr);
    const QList<QByteArray> records = table.descriptionRecords();
    for (const QByteArray& record : records)
        QVERIFY2(model.addParamInfo(record.constData(), record.size()), record.toHex().constData());
    // A second download updates the same items.
    for (const QByteArray& record : records)
        QVERIFY(model.addParamInfo(record.constData(), record.size()));
    int parameters = 0;
    for (int module = 0; module < model.tree()->topLevelItemCount(); ++module)
        parameters += model.tree()->topLevelItem(module)->childCount();
    QCOMPARE(parameters, records.size());
    for (const Parameter& p : table.parameters())
        QVERIFY2(model.findParam(p.id) != nullptr, qPrintable(QString::number(p.id)));
}

QTEST_MAIN(TestWrenchListModel)
#include "tst_wrenchlistmodel.moc"
