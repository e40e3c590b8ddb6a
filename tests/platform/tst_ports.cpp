#include "platform/ports.h"
#include "platform/ports_posix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::string path(const QString& name)
{
    return name.toStdString();
}

QStringList names(const std::vector<std::string>& ports)
{
    QStringList list;
    for (const std::string& port : ports)
        list.append(QString::fromStdString(port));
    return list;
}

} // namespace

// Port names over a device folder and a tty class folder of the test's own.
class TestPorts : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_devices;
    QString m_ttyClass;
    QString m_settings;

    bool createFile(const QString& name, const QByteArray& content = {}) const
    {
        QFile file(name);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    // A legacy port: its node, and in the class folder a device link and the UART type.
    void addLegacyPort(const QString& name, bool withDevice, const QByteArray& type) const
    {
        QVERIFY(createFile(m_devices + QLatin1Char('/') + name));
        const QString attributes = m_ttyClass + QLatin1Char('/') + name;
        QVERIFY(QDir().mkpath(attributes));
        if (withDevice)
            QVERIFY(QFile::link(m_dir.path(), attributes + QStringLiteral("/device")));
        QVERIFY(createFile(attributes + QStringLiteral("/type"), type));
    }

    void writeMapping(const QByteArray& section)
    {
        QVERIFY(createFile(m_settings, "[SETUP]\r\nFAVORITE_PORT=COM3\r\n[PORTS]\r\n" + section));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        m_devices = m_dir.filePath(QStringLiteral("dev"));
        m_ttyClass = m_dir.filePath(QStringLiteral("sys/class/tty"));
        m_settings = m_dir.filePath(QStringLiteral("TolvoTool.ini"));
        QVERIFY(QDir().mkpath(m_devices));
        QVERIFY(QDir().mkpath(m_ttyClass));
        platform::setDeviceFolders(path(m_devices), path(m_ttyClass));
        platform::setPortMappingFile(path(m_settings));
    }

    void cleanupTestCase()
    {
        platform::setDeviceFolders("/dev", "/sys/class/tty");
        platform::setPortMappingFile({});
    }

    void conventionNamesDevicePaths()
    {
        const std::string dev = path(m_devices);
        QCOMPARE(platform::devicePathForPort(1), dev + "/ttyS0");
        QCOMPARE(platform::devicePathForPort(32), dev + "/ttyS31");
        QCOMPARE(platform::devicePathForPort(33), dev + "/ttyUSB0");
        QCOMPARE(platform::devicePathForPort(64), dev + "/ttyUSB31");
        QCOMPARE(platform::devicePathForPort(65), dev + "/ttyACM0");
        QCOMPARE(platform::devicePathForPort(96), dev + "/ttyACM31");
        QCOMPARE(platform::devicePathForPort(0), std::string());
        QCOMPARE(platform::devicePathForPort(97), std::string());
        QCOMPARE(platform::devicePathForPort(-3), std::string());
    }

    void mappingWinsOverConvention()
    {
        writeMapping("COM33=/dev/serial/by-id/usb-Wrench-if00\r\n"
                     "com5 = \"/tmp/wrench link\"\r\n"
                     "COM07=/ignored/leading/zero\r\n"
                     "COM200=/tmp/high\r\n"
                     "COM34=\r\n");
        QCOMPARE(platform::devicePathForPort(33), std::string("/dev/serial/by-id/usb-Wrench-if00"));
        QCOMPARE(platform::devicePathForPort(5), std::string("/tmp/wrench link"));
        QCOMPARE(platform::devicePathForPort(7), path(m_devices) + "/ttyS6");
        QCOMPARE(platform::devicePathForPort(200), std::string("/tmp/high"));
        // An empty value maps nothing.
        QCOMPARE(platform::devicePathForPort(34), path(m_devices) + "/ttyUSB1");
    }

    // A section of 100,000 names: the first of duplicate names still wins,
    // and every lookup finds its entry (the lookups once grew with the
    // square of the section's size).
    void longMappingIsReadWhole()
    {
        constexpr int entries = 100000;
        QByteArray section;
        for (int i = 0; i < entries; ++i)
            section += "COM" + QByteArray::number(100 + i) + "=" + QFile::encodeName(m_devices) + "/p"
                + QByteArray::number(i) + "\r\n";
        section += "com100=/second/spelling\r\n";
        writeMapping(section);
        QVERIFY(createFile(m_devices + QStringLiteral("/p0")));
        QVERIFY(createFile(m_devices + QStringLiteral("/p99999")));

        QCOMPARE(platform::devicePathForPort(100), path(m_devices) + "/p0");
        QCOMPARE(platform::devicePathForPort(100 + entries - 1), path(m_devices) + "/p99999");
        QCOMPARE(names(platform::availablePortNames()),
                 (QStringList{QStringLiteral("COM100"), QStringLiteral("COM100099")}));
        QCOMPARE(platform::mappedPortPaths().size(), std::size_t{entries});
    }

    void onlyExistingPortsAreListedInNumberOrder()
    {
        addLegacyPort(QStringLiteral("ttyS2"), true, "4\n");  // COM3, a UART
        addLegacyPort(QStringLiteral("ttyS3"), true, "0\n");  // COM4, no UART
        addLegacyPort(QStringLiteral("ttyS4"), false, "4\n"); // COM5, no device
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyS5"))); // COM6, no attributes
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyUSB1"))); // COM34, but mapped away
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyUSB9"))); // COM42
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyACM0"))); // COM65
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyACM31"))); // COM96
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyACM32"))); // beyond the convention
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyUSBx")));
        const QString wrench = m_dir.filePath(QStringLiteral("wrench"));
        QVERIFY(createFile(wrench));
        const QString dangling = m_dir.filePath(QStringLiteral("dangling"));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("gone")), dangling));
        writeMapping("COM12=" + wrench.toUtf8() + "\r\n"
                     "COM150=" + wrench.toUtf8() + "\r\n"
                     "COM34=" + m_dir.filePath(QStringLiteral("missing")).toUtf8() + "\r\n"
                     "COM7=" + dangling.toUtf8() + "\r\n");

        QCOMPARE(names(platform::availablePortNames()),
                 QStringList({QStringLiteral("COM3"), QStringLiteral("COM12"), QStringLiteral("COM42"),
                              QStringLiteral("COM65"), QStringLiteral("COM96"), QStringLiteral("COM150")}));
    }

    void withoutMappingTheConventionAlone()
    {
        QVERIFY(createFile(m_devices + QStringLiteral("/ttyUSB0")));
        QCOMPARE(names(platform::availablePortNames()), QStringList{QStringLiteral("COM33")});
        platform::setPortMappingFile({});
        QCOMPARE(names(platform::availablePortNames()), QStringList{QStringLiteral("COM33")});
    }

    void noPortsGiveAnEmptyList()
    {
        writeMapping("");
        QVERIFY(platform::availablePortNames().empty());
    }

    void conventionalDeviceNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isPort");
        QTest::newRow("ttyS0") << QStringLiteral("ttyS0") << true;
        QTest::newRow("ttyUSB12") << QStringLiteral("ttyUSB12") << true;
        QTest::newRow("ttyACM3") << QStringLiteral("ttyACM3") << true;
        QTest::newRow("ttyS") << QStringLiteral("ttyS") << false;
        QTest::newRow("ttySAC0") << QStringLiteral("ttySAC0") << false;
        QTest::newRow("tty1") << QStringLiteral("tty1") << false;
        QTest::newRow("pts") << QStringLiteral("pts") << false;
        QTest::newRow("ttyUSB0.lock") << QStringLiteral("ttyUSB0.lock") << false;
    }

    void conventionalDeviceNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, isPort);
        QCOMPARE(platform::isConventionalDeviceName(path(name)), isPort);
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
