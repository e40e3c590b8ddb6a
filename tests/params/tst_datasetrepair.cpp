// A data-set file whose checksum does not match, loaded by a device view:
// the user has it repaired or not, and a repair that fails loads the file
// all the same and says why.
#include "filebytes.h"
#include "pagehost.h"
#include "params/qorbcrc32.h"
#include "params/qorbpidman.h"
#include "params/viewparam.h"
#include "tests/window/windowtest.h"

#include <cerrno>

#include <unistd.h>

using namespace windowtest;

namespace {

// The golden data set with a checksum that does not match.
QByteArray damagedDataSet()
{
    const QByteArray golden = fileBytes(QStringLiteral(TOLVO_PARAMS_DATA "dataset.xml"));
    return golden.left(golden.lastIndexOf("<!--")) + "<!-- CHECKSUM=0x12345678 -->";
}

const QString checksumPrefix = QStringLiteral("<!-- CHECKSUM=");
const QString checksumSuffix = QStringLiteral(" -->");

// The repair writes a temporary file beside the file. Permissions stop that
// for everyone but root; a name so long that no temporary name fits beside
// it stops root too.
enum class Block { None, ReadOnlyFolder, ReadOnlyFile, LongName };

bool blocksThisUser(Block block)
{
    return ::geteuid() != 0 || block == Block::None || block == Block::LongName;
}

// The damaged data set, blocked as asked in a folder of its own; writable
// again when it goes, so that the temporary folder can go too.
class BlockedFile
{
public:
    BlockedFile(const QString& parent, Block block) : m_folder(QDir(parent).filePath(QStringLiteral("blocked")))
    {
        const QString name = block == Block::LongName ? QString(250, u's') : QStringLiteral("set");
        fileName = QDir(m_folder).filePath(name + QStringLiteral(".xml"));
        valid = QDir().mkpath(m_folder) && writeFileBytes(fileName, damagedDataSet());
        if (block == Block::ReadOnlyFile)
            valid = valid && QFile::setPermissions(fileName, QFile::ReadOwner);
        if (block == Block::ReadOnlyFolder)
            valid = valid && QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~BlockedFile()
    {
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
    }
    BlockedFile(const BlockedFile&) = delete;
    BlockedFile& operator=(const BlockedFile&) = delete;

    QString fileName;
    bool valid = false;

private:
    QString m_folder;
};

} // namespace

Q_DECLARE_METATYPE(Block)

class TestDatasetRepair : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answeredRepair_data();
    void answeredRepair();

private:
    std::unique_ptr<PageHost> m_host;
    std::unique_ptr<ViewParam> m_view;
};

void TestDatasetRepair::init()
{
    QVERIFY(makeWorld());
    m_host = std::make_unique<PageHost>();
    m_view = std::make_unique<ViewParam>(nullptr, m_host.get());
}

void TestDatasetRepair::cleanup()
{
    m_view.reset();
    m_host.reset();
    tearDownWorld();
}

void TestDatasetRepair::answeredRepair_data()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("told");
    QTest::addColumn<QString>("reason"); // empty: any

    const QString yes = QStringLiteral("pushButtonOK");
    const QString no = QStringLiteral("pushButtonCancel");
    QTest::newRow("repaired") << Block::None << yes << true << false << QString();
    QTest::newRow("read-only folder") << Block::ReadOnlyFolder << yes << true << true << qt_error_string(EACCES);
    QTest::newRow("read-only file") << Block::ReadOnlyFile << yes << true << true << QString();
    QTest::newRow("no room for a temporary name") << Block::LongName << yes << true << true << QString();
    QTest::newRow("not repaired") << Block::LongName << no << false << false << QString();
}

void TestDatasetRepair::answeredRepair()
{
    QFETCH(Block, block);
    QFETCH(QString, answer);
    QFETCH(bool, loaded);
    QFETCH(bool, told);
    QFETCH(QString, reason);
    if (!blocksThisUser(block))
        QSKIP("root writes whatever the permissions say");
    const BlockedFile file(m_folder->filePath(QString()), block);
    QVERIFY(file.valid);
    m_user->onBox = [&answer](DlgMessageImpl* box) {
        QTest::mouseClick(messageButton(box, qPrintable(answer)), Qt::LeftButton);
    };

    QCOMPARE(m_view->loadXml(file.fileName), loaded);
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("XML File"));
    QCOMPARE(m_view->model()->findParam(201) != nullptr, loaded);
    QCOMPARE(m_host->currentFile, loaded ? file.fileName : QString());
    QCOMPARE(QorbCRC32::verifyChecksum(file.fileName, checksumPrefix, checksumSuffix), loaded && !told);
    if (!told) {
        QCOMPARE(m_host->errors, QStringList());
        return;
    }
    QCOMPARE(fileBytes(file.fileName), damagedDataSet());
    QCOMPARE(m_host->errors.size(), 1);
    const QString& error = m_host->errors[0];
    const QString named = QStringLiteral("The checksum of %1 could not be repaired:\n")
                              .arg(QDir::toNativeSeparators(file.fileName));
    const QString loadedAnyway = QStringLiteral("\nThe file was loaded as it is.");
    QVERIFY2(error.startsWith(named) && error.endsWith(loadedAnyway), qPrintable(error));
    const QString why = error.mid(named.size(), error.size() - named.size() - loadedAnyway.size());
    QVERIFY2(!why.isEmpty(), qPrintable(error));
    if (!reason.isEmpty())
        QCOMPARE(why, reason);
}

QTEST_MAIN(TestDatasetRepair)
#include "tst_datasetrepair.moc"
