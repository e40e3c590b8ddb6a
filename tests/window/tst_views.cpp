// The two device views on their own: the history view's identity reads and
// access level, the view base's writes and data-set loading, and the hidden
// parameter view, on the real parameter model and real files.
#include "windowtest.h"

#include "history/viewhistory.h"
#include "pagehost.h"
#include "params/qorbcrc32.h"
#include "params/qorbpidman.h"
#include "params/viewhost.h"
#include "params/viewparam.h"

#include <QFileInfo>
#include <QTreeWidget>

using namespace windowtest;

namespace {

constexpr quint32 TypeU8 = 0x00;
constexpr quint32 TypeU32 = 0x30;

void appendU32(QByteArray& out, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFFU));
}

// A wrench description of one scalar parameter with its value.
QByteArray scalarRecord(quint32 id, quint32 type, quint32 info, const QByteArray& value)
{
    QByteArray record;
    appendU32(record, 0x001 | 0x002 | 0x004 | 0x008 | 0x020 | 0x080 | 0x200);
    appendU32(record, id);
    appendU32(record, type << 20);
    appendU32(record, 1);
    appendU32(record, info);
    appendU32(record, static_cast<quint32>(value.size()));
    record.append(value);
    record.append("Param\0System\0", 14);
    return record;
}

QByteArray u32(quint32 value)
{
    QByteArray bytes;
    appendU32(bytes, value);
    return bytes;
}

const QByteArray dataSetText = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                               "<CONFIG NAME=\"Test\" VERSION=\"1\" COMPANY=\"Tolvo\">\r\n"
                               "    <MODUL NAME=\"Settings\" DESCR=\"\">\r\n"
                               "        <PARAM ID=\"200\" NAME=\"Torque unit\" UNIT=\"\" ATTR=\"0x00000000\" "
                               "ACCESS=\"0x00000001\" INFO=\"0x00000000\" DESCR=\"\">\r\n"
                               "            <VALUE MIN=\"0\" MAX=\"3\">2</VALUE>\r\n"
                               "        </PARAM>\r\n"
                               "    </MODUL>\r\n"
                               "</CONFIG>\r\n";

const QString checksumPrefix = QStringLiteral("<!-- CHECKSUM=");
const QString checksumSuffix = QStringLiteral(" -->");

} // namespace

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void accessLevel_data();
    void accessLevel();
    void historyModeFromItsParameter();
    void comingOnlineStartsServiceAndReadList_data();
    void comingOnlineStartsServiceAndReadList();
    void queuedWrites_data();
    void queuedWrites();
    void loadXml_data();
    void loadXml();
    void paramViewStaysHidden();
    void endOfListAppliesFilter();
    void separatorsWrittenOnFirstStart();

private:
    std::unique_ptr<ToolFolder> m_folder;
    std::unique_ptr<StyleObject> m_style;
    std::unique_ptr<BoxWatcher> m_user;
    std::unique_ptr<PageHost> m_host;
    std::unique_ptr<ViewParam> m_paramView;
    std::unique_ptr<ViewHistory> m_historyView;
};

void TestViews::init()
{
    m_folder = std::make_unique<ToolFolder>();
    QVERIFY(m_folder->isValid());
    m_style = std::make_unique<StyleObject>();
    m_user = std::make_unique<BoxWatcher>();
    m_host = std::make_unique<PageHost>();
    m_host->kind = 0; // parameter 101 not read yet
    m_paramView = std::make_unique<ViewParam>(nullptr, m_host.get());
    m_historyView = std::make_unique<ViewHistory>(nullptr, m_host.get());
    m_historyView->setModel(m_paramView->model());
}

void TestViews::cleanup()
{
    m_historyView.reset();
    m_paramView.reset();
    m_host.reset();
    m_user.reset();
    m_style.reset();
    m_folder.reset();
}

void TestViews::accessLevel_data()
{
    QTest::addColumn<quint32>("info");
    QTest::addColumn<quint32>("level");
    QTest::addColumn<bool>("codeWritten");
    QTest::addColumn<quint32>("sentCode"); // the code as parameter 5's description encodes it

    QTest::newRow("service level") << 0U << 3U << false << 0U;
    QTest::newRow("above") << 0U << 5U << false << 0U;
    QTest::newRow("below") << 0U << 2U << true << 720356U;
    QTest::newRow("no number (3.00)") << 2U << 300U << true << 72035600U;
}

void TestViews::accessLevel()
{
    QFETCH(quint32, info);
    QFETCH(quint32, level);
    QFETCH(bool, codeWritten);
    QFETCH(quint32, sentCode);

    const QByteArray record = scalarRecord(5, TypeU32, info, u32(1));
    QVERIFY(m_paramView->model()->addParamInfo(record.constData(), record.size()));
    const QByteArray value = u32(level);
    m_historyView->onParamValue(5, value.constData(), static_cast<int>(value.size()));

    QCOMPARE(m_historyView->sendNextWrite(), codeWritten);
    if (codeWritten) {
        QCOMPARE(m_host->writes.size(), 1);
        QCOMPARE(m_host->writes[0].id, 5);
        QCOMPARE(m_host->writes[0].value, u32(sentCode));
        QVERIFY(m_host->writes[0].reRead);
    }
    QVERIFY(!m_historyView->sendNextWrite());
}

void TestViews::historyModeFromItsParameter()
{
    // Not decoded without its description.
    m_historyView->onParamValue(113, "\x02", 1);
    QCOMPARE(m_host->historyModeSet, -1);

    const QByteArray record = scalarRecord(113, TypeU8, 0, QByteArray(1, '\x00'));
    QVERIFY(m_paramView->model()->addParamInfo(record.constData(), record.size()));
    m_historyView->onParamValue(113, "\x02", 1);
    QCOMPARE(m_host->historyModeSet, 2);
}

void TestViews::comingOnlineStartsServiceAndReadList_data()
{
    QTest::addColumn<bool>("identified");
    QTest::addColumn<QList<QByteArray>>("transfers");

    QTest::newRow("identified") << true << QList<QByteArray>{"begin"};
    QTest::newRow("not yet identified") << false << QList<QByteArray>{};
}

void TestViews::comingOnlineStartsServiceAndReadList()
{
    QFETCH(bool, identified);
    QFETCH(QList<QByteArray>, transfers);

    m_host->identified = identified;
    m_historyView->queueWrite(5, QStringLiteral("1"), false);
    m_historyView->setActive(true);
    QVERIFY(m_historyView->isEnabled());
    QCOMPARE(m_host->serviceStarts, 1);
    QCOMPARE(m_host->transfers, transfers);
    QList<int> reads;
    for (int id = m_historyView->nextRead(); id != -1; id = m_historyView->nextRead())
        reads.append(id);
    QCOMPARE(reads, (QList<int>{5, 113, 100, 101, 103, 135}));
    // The write queued before is gone.
    QVERIFY(!m_historyView->sendNextWrite());

    m_historyView->setActive(false);
    QVERIFY(!m_historyView->isEnabled());
    QCOMPARE(m_host->serviceStarts, 1);
}

void TestViews::queuedWrites_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("refused");

    QTest::newRow("u8 value") << 200 << QStringLiteral("12") << QByteArray(1, '\x0C') << false;
    QTest::newRow("unknown ID goes out empty") << 999 << QStringLiteral("12") << QByteArray() << false;
    QTest::newRow("above the type") << 200 << QStringLiteral("300") << QByteArray() << true;
    QTest::newRow("no number") << 200 << QStringLiteral("abc") << QByteArray() << true;
}

void TestViews::queuedWrites()
{
    QFETCH(int, pid);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    QFETCH(bool, refused);

    const QByteArray record = scalarRecord(200, TypeU8, 0, QByteArray(1, '\x01'));
    QVERIFY(m_paramView->model()->addParamInfo(record.constData(), record.size()));
    m_paramView->queueWrite(pid, text, false);
    QVERIFY(m_paramView->sendNextWrite());
    if (refused) {
        QVERIFY(m_host->writes.isEmpty());
        QCOMPARE(m_host->errors.size(), 1);
        QVERIFY(m_host->errors[0].startsWith(QStringLiteral("Parameter %1 was not written: ").arg(pid)));
    } else {
        QCOMPARE(m_host->writes.size(), 1);
        QCOMPARE(m_host->writes[0].id, pid);
        QCOMPARE(m_host->writes[0].value, sent);
        QVERIFY(m_host->errors.isEmpty());
    }
}

void TestViews::loadXml_data()
{
    QTest::addColumn<bool>("checksum");
    QTest::addColumn<QString>("answer"); // the button pressed, "" for no question
    QTest::addColumn<bool>("loaded");

    QTest::newRow("correct checksum") << true << QString() << true;
    QTest::newRow("no checksum, repaired") << false << QStringLiteral("pushButtonOK") << true;
    QTest::newRow("no checksum, not repaired") << false << QStringLiteral("pushButtonCancel") << false;
}

void TestViews::loadXml()
{
    QFETCH(bool, checksum);
    QFETCH(QString, answer);
    QFETCH(bool, loaded);

    const QString fileName = m_folder->filePath(QStringLiteral("set.xml"));
    {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(dataSetText), dataSetText.size());
    }
    if (checksum)
        QVERIFY(QorbCRC32::appendChecksum(fileName, checksumPrefix, checksumSuffix));
    m_user->onBox = [&answer](DlgMessageImpl* box) {
        QTest::mouseClick(messageButton(box, qPrintable(answer)), Qt::LeftButton);
    };

    QCOMPARE(m_paramView->loadXml(fileName), loaded);
    QCOMPARE(m_user->boxes.size(), answer.isEmpty() ? 0 : 1);
    if (!answer.isEmpty())
        QCOMPARE(m_user->boxes[0].title, QStringLiteral("XML File"));
    QCOMPARE(m_paramView->model()->findParam(200) != nullptr, loaded);
    QCOMPARE(QorbCRC32::verifyChecksum(fileName, checksumPrefix, checksumSuffix), loaded);
    if (loaded) {
        QCOMPARE(m_host->transfers, (QList<QByteArray>{"begin quiet", "end quiet"}));
        QCOMPARE(m_host->currentFile, fileName);
        QVERIFY(m_host->remembered);
        QCOMPARE(m_host->xmlPath, QDir::toNativeSeparators(QFileInfo(fileName).absolutePath()));
    } else {
        QVERIFY(m_host->transfers.isEmpty());
        QVERIFY(m_host->currentFile.isEmpty());
    }
    // A name that opens nothing asks nothing.
    QVERIFY(!m_paramView->loadXml(m_folder->filePath(QStringLiteral("missing.xml"))));
    QVERIFY(!m_paramView->loadXml(QString()));
    QCOMPARE(m_user->boxes.size(), answer.isEmpty() ? 0 : 1);
}

void TestViews::paramViewStaysHidden()
{
    m_paramView->show();
    m_paramView->setVisible(true);
    QVERIFY(m_paramView->isHidden());
}

void TestViews::endOfListAppliesFilter()
{
    auto* tree = m_paramView->findChild<QTreeWidget*>(QStringLiteral("treeWidgetParams"));
    QVERIFY(tree);
    QCOMPARE(tree->columnCount(), 12);
    const bool treeHidden = tree->isHidden();
    m_paramView->onParamInfo(nullptr, 0);
    QCOMPARE(tree->topLevelItemCount(), 0);
    QCOMPARE(tree->isHidden(), treeHidden);

    const QByteArray record = scalarRecord(200, TypeU8, 0, QByteArray(1, '\x01'));
    m_paramView->onParamInfo(record.constData(), static_cast<int>(record.size()));
    QCOMPARE(tree->topLevelItemCount(), 1);
    m_paramView->onParamInfo(nullptr, 0);
    QVERIFY(!tree->topLevelItem(0)->isHidden());
    QVERIFY(!tree->topLevelItem(0)->child(0)->isHidden());
    QCOMPARE(tree->isHidden(), treeHidden);
}

void TestViews::separatorsWrittenOnFirstStart()
{
    QCOMPARE(m_folder->get("CSV", "ID_SEPARATOR"), QStringLiteral(";"));
    QCOMPARE(m_folder->get("CSV", "DECIMAL_SEPARATOR"), QStringLiteral("."));
    QCOMPARE(m_paramView->idSeparator(), QStringLiteral(";"));

    QVERIFY(m_folder->set("CSV", "ID_SEPARATOR", QStringLiteral("|,")));
    const ViewParam another(nullptr, m_host.get());
    QCOMPARE(another.idSeparator(), QStringLiteral("|"));
    QCOMPARE(another.decimalSeparator(), QStringLiteral("."));
}

QTEST_MAIN(TestViews)
#include "tst_views.moc"
