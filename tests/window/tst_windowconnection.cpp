// Connecting and disconnecting the wrench, the port list, the status line and
// the link failures, with the simulated wrench on a pseudo-terminal.
#include "windowtest.h"

#include "platform/pseudoterminal.h"
#include "platform/serial.h"

#include <unistd.h>

#include <QCheckBox>
#include <QListWidget>

using namespace windowtest;

namespace {

const QString lostText = QStringLiteral("Com Port is no longer available!");
const QString writeErrorText = QStringLiteral(
    "Write Error to Com Port.\nPress Ok and disconnect the Port.\nCheck your Application and reopen the Port!");

QStringList listedPorts(TolvoTool& window)
{
    QStringList names;
    const auto* list = window.findChild<QListWidget*>(QStringLiteral("listWidgetComPort"));
    for (int row = 0; row < list->count(); ++row)
        names.append(list->item(row)->text());
    return names;
}

void toggle(TolvoTool& window, bool byKey)
{
    if (byKey)
        QTest::keyClick(&window, Qt::Key_F9);
    else
        QTest::mouseClick(button(window, "pushButtonOnline"), Qt::LeftButton);
}

void checkOffline(TolvoTool& window)
{
    QVERIFY(!window.isOnline());
    QCOMPARE(statusText(window), offlineStatus);
    QCOMPARE(button(window, "pushButtonOnline")->text(), QStringLiteral("Connect Wrench"));
    QVERIFY(button(window, "pushButtonSetup")->isVisibleTo(&window));
    QVERIFY(button(window, "pushButtonSetup")->isEnabled());
}

// A far end that never reads: the line fills up.
bool chooseSilentPort(ToolFolder& folder, platform::PseudoTerminal& line)
{
    const QString link = folder.filePath(QStringLiteral("silent"));
    return line.open(link.toStdString()) && folder.mapPort(43, link)
        && folder.set("SETUP", "FAVORITE_PORT", QStringLiteral("COM43"));
}

// Sends until a write fails; false if none did.
bool sendUntilRefused(TolvoTool& window)
{
    const QByteArray block(1000, 'x');
    for (int sent = 0; sent < 1000; ++sent) {
        if (!window.messageService().sendCommand("DSP", block.constData(), 1, 1000, false))
            return true;
    }
    return false;
}

const QString defaultIdentified =
    onlineStatus(QStringLiteral("TOLVO TW-200"), QStringLiteral("V 2.14"), QStringLiteral("TW-200;CAL 2023-04"));

} // namespace

class TestWindowConnection : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeWorld()); }
    void cleanup() { tearDownWorld(); }

    void chosenPortAbsentAtStartThenAppears();
    void chosenPortNotListed();
    void connectAndDisconnect_data();
    void connectAndDisconnect();
    void identificationInStatusLine_data();
    void identificationInStatusLine();
    void portThatCannotOpen_data();
    void portThatCannotOpen();
    void unplugAndPlugBackIn();
    void writeFailureClosesThePort();
    void deviceGoneWhileWriteErrorShown();
    void automaticConnectionWhenPortAppears_data();
    void automaticConnectionWhenPortAppears();
    void automaticConnectionAfterPlugBackIn();
    void automaticConnectionRefusedStaysQuiet();
};

void TestWindowConnection::chosenPortAbsentAtStartThenAppears()
{
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
    TolvoTool window;
    window.show();

    QVERIFY(!listedPorts(window).contains(QStringLiteral("COM42")));
    QVERIFY(!button(window, "pushButtonOnline")->isEnabled());
    checkOffline(window);

    // The link appears: the port watcher tells, the list is read again.
    QVERIFY(m_wrench->start());
    QTRY_VERIFY_WITH_TIMEOUT(button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    QVERIFY(listedPorts(window).contains(QStringLiteral("COM42")));
    // Nothing connects by itself.
    checkOffline(window);
    QVERIFY(!window.messageService().isOpen());
    QVERIFY(m_user->boxes.isEmpty());
}

void TestWindowConnection::chosenPortNotListed()
{
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM99")));
    TolvoTool window;

    QVERIFY(listedPorts(window).contains(QStringLiteral("COM42")));
    QVERIFY(!button(window, "pushButtonOnline")->isEnabled());
    checkOffline(window);
}

void TestWindowConnection::connectAndDisconnect_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("F9") << true;
    QTest::newRow("Online button") << false;
}

void TestWindowConnection::connectAndDisconnect()
{
    QFETCH(bool, byKey);
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    TolvoTool window;
    window.show();
    QVERIFY(button(window, "pushButtonOnline")->isEnabled());

    for (int round = 1; round <= 2; ++round) {
        toggle(window, byKey);
        QVERIFY(window.isOnline());
        QVERIFY(window.messageService().isOpen());
        QCOMPARE(button(window, "pushButtonOnline")->text(), QStringLiteral("Disconnect Wrench"));
        QVERIFY(!button(window, "pushButtonSetup")->isVisibleTo(&window));
        QVERIFY(!button(window, "pushButtonSetup")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified TLTERM;V. 1.006"), round), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);

        toggle(window, byKey);
        checkOffline(window);
        QVERIFY(!window.messageService().isOpen());
        // The goodbye went out before the port closed: the wrench read it.
        QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("goodbye"), round), WaitMs);
        const QList<qsizetype> breaks = m_wrench->framesOf("rx", "RBR");
        const QList<qsizetype> requests = m_wrench->framesOf("rx", "DRQ");
        QCOMPARE(breaks.size(), round);
        QVERIFY(!requests.isEmpty());
        QVERIFY(breaks.last() < requests.last());
        const QStringList goodbye = m_wrench->frames().at(requests.last());
        QVERIFY2(goodbye.join(QLatin1Char(' ')).contains(QLatin1String("44 52 51 FF FF 00 00")),
                 qPrintable(goodbye.join(QLatin1Char(' '))));
        // The wrench puts a fresh line behind the link for the next connection.
        QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("ready"), round + 1), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    }
    QVERIFY(m_user->boxes.isEmpty());
}

void TestWindowConnection::identificationInStatusLine_data()
{
    QTest::addColumn<QString>("identification");
    QTest::addColumn<QString>("status");
    QTest::newRow("four parts") << QStringLiteral("TW-9;V 3.1;first;second")
                                << onlineStatus(QStringLiteral("TW-9"), QStringLiteral("V 3.1"),
                                                QStringLiteral("first;second"));
    QTest::newRow("no semicolon") << QStringLiteral("Solo")
                                  << onlineStatus(QStringLiteral("Solo"), QString(), QString());
    QTest::newRow("markup stays text")
        << QStringLiteral("<b>Big</b>;1 & 2;<i>")
        << onlineStatus(QStringLiteral("&lt;b&gt;Big&lt;/b&gt;"), QStringLiteral("1 &amp; 2"),
                        QStringLiteral("&lt;i&gt;"));
}

void TestWindowConnection::identificationInStatusLine()
{
    QFETCH(QString, identification);
    QFETCH(QString, status);
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42"),
                                     {QStringLiteral("--ident"), identification}));
    TolvoTool window;

    QTest::keyClick(&window, Qt::Key_F9);
    // Until the answer: the parts of the previous wrench, none here.
    QCOMPARE(statusText(window), onlineStatus(QString(), QString(), QString()));
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), status, WaitMs);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("labelCommunication"))->textFormat(), Qt::RichText);

    // Offline the line says so; connected again, the last parts show first.
    QTest::keyClick(&window, Qt::Key_F9);
    QCOMPARE(statusText(window), offlineStatus);
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("ready"), 2), WaitMs);
    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(window.isOnline());
    QCOMPARE(statusText(window), status);
}

// The box says why, and what to do.
void TestWindowConnection::portThatCannotOpen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a terminal") << "plain file"
                                    << "The port refuses the line settings, or is no serial port: check the port "
                                       "and the baud rate in Setup.";
    QTest::newRow("no device behind the name") << "missing"
                                               << "The port is not there: plug the wrench in, or choose its port in "
                                                  "Setup.";
    QTest::newRow("held by another program") << "busy"
                                             << "Another program is using the port: close it and connect again.";
    QTest::newRow("no permission") << "no permission"
                                   << "This account may not use the port: add it to the port's group (usually "
                                      "dialout) and log in again, or install the tool's udev rule "
                                      "(70-tolvo-wrench.rules).";
}

void TestWindowConnection::portThatCannotOpen()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    if (kind == QLatin1String("no permission") && ::geteuid() == 0)
        QSKIP("root opens whatever the permissions say; the unprivileged run covers it");
    const QString device = m_folder->filePath(QStringLiteral("device"));
    platform::PseudoTerminal terminal;
    platform::SerialPort holder;
    if (kind == QLatin1String("busy")) {
        QVERIFY2(terminal.open(QFile::encodeName(device).toStdString()), terminal.error().c_str());
        QVERIFY(holder.open(terminal.linkPath(), {}));
    } else if (kind != QLatin1String("missing")) {
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        if (kind == QLatin1String("no permission"))
            QVERIFY(file.setPermissions(QFileDevice::Permissions()));
    }
    QVERIFY(m_folder->mapPort(44, device));
    QVERIFY(m_folder->set("SETUP", "FAVORITE_PORT", QStringLiteral("COM44")));
    TolvoTool window;
    // A mapped name counts as present only while its device is there.
    if (kind != QLatin1String("missing"))
        QVERIFY(button(window, "pushButtonOnline")->isEnabled());

    window.setOnline(true);
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("Error"));
    QCOMPARE(m_user->boxes[0].text, QStringLiteral("Com Port is not available!\n") + reason);
    QCOMPARE(m_user->boxes[0].captions, QStringList{QStringLiteral("OK")});
    checkOffline(window);
}

void TestWindowConnection::unplugAndPlugBackIn()
{
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    TolvoTool window;
    window.show();
    QTest::keyClick(&window, Qt::Key_F9);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);

    QVERIFY(m_wrench->command("unplug"));
    QTRY_VERIFY_WITH_TIMEOUT(!window.isOnline(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_user->countText(lostText), 1, WaitMs);
    QVERIFY(!window.messageService().isOpen());
    QVERIFY(!button(window, "pushButtonOnline")->isEnabled());
    QVERIFY(!listedPorts(window).contains(QStringLiteral("COM42")));
    checkOffline(window);

    QVERIFY(m_wrench->command("plug"));
    QTRY_VERIFY_WITH_TIMEOUT(button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    QTest::keyClick(&window, Qt::Key_F9);
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified"), 2), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("Error"));
}

void TestWindowConnection::writeFailureClosesThePort()
{
    platform::PseudoTerminal line;
    QVERIFY(chooseSilentPort(*m_folder, line));
    TolvoTool window;
    auto* autoUpdate = window.findChild<QCheckBox*>(QStringLiteral("checkBoxAuto"));
    auto* cyclic = window.findChild<QCheckBox*>(QStringLiteral("checkBoxCyclicRefresh"));
    autoUpdate->setChecked(true);
    cyclic->setChecked(true);
    int toggledSignals = 0;
    connect(autoUpdate, &QCheckBox::toggled, &window, [&toggledSignals] { ++toggledSignals; });
    connect(cyclic, &QCheckBox::toggled, &window, [&toggledSignals] { ++toggledSignals; });

    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(window.messageService().isOpen());
    QVERIFY(sendUntilRefused(window));

    QTRY_VERIFY_WITH_TIMEOUT(!window.messageService().isOpen(), WaitMs);
    QCOMPARE(m_user->countText(writeErrorText), 1);
    QCOMPARE(m_user->boxes.size(), 1);
    QVERIFY(!autoUpdate->isChecked());
    QVERIFY(!cyclic->isChecked());
    QCOMPARE(toggledSignals, 0);
    // Still online: the user disconnects.
    QVERIFY(window.isOnline());
    QCOMPARE(button(window, "pushButtonOnline")->text(), QStringLiteral("Disconnect Wrench"));
    QVERIFY(!window.messageService().requestData(100, 1));
    QTest::keyClick(&window, Qt::Key_F9);
    checkOffline(window);
    QCOMPARE(m_user->boxes.size(), 1);
}

void TestWindowConnection::deviceGoneWhileWriteErrorShown()
{
    platform::PseudoTerminal line;
    QVERIFY(chooseSilentPort(*m_folder, line));
    TolvoTool window;
    // The write error box stays up until the unplugged line has left the
    // port list; any other box is answered at once.
    bool unplugged = false;
    QPointer<DlgMessageImpl> writeErrorBox;
    m_user->onBox = [&](DlgMessageImpl* box) {
        if (!unplugged) {
            unplugged = true;
            writeErrorBox = box;
            line.close();
        } else {
            QTest::mouseClick(messageButton(box, "pushButtonOK"), Qt::LeftButton);
        }
    };
    QTimer answer;
    connect(&answer, &QTimer::timeout, &window, [&] {
        if (writeErrorBox && !button(window, "pushButtonOnline")->isEnabled()) {
            QTest::mouseClick(messageButton(writeErrorBox, "pushButtonOK"), Qt::LeftButton);
            writeErrorBox.clear();
        }
    });
    answer.start(10);

    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(sendUntilRefused(window));
    QTRY_VERIFY_WITH_TIMEOUT(unplugged && writeErrorBox.isNull(), WaitMs);
    QVERIFY(!window.messageService().isOpen());
    QCOMPARE(m_user->countText(writeErrorText), 1);
    QCOMPARE(m_user->boxes.size(), 1);
    checkOffline(window);
}

void TestWindowConnection::automaticConnectionWhenPortAppears_data()
{
    QTest::addColumn<QString>("stored"); // "" leaves the key out
    QTest::addColumn<bool>("connects");
    QTest::newRow("not set: off") << QString() << false;
    QTest::newRow("off") << QStringLiteral("0") << false;
    QTest::newRow("on") << QStringLiteral("1") << true;
}

void TestWindowConnection::automaticConnectionWhenPortAppears()
{
    QFETCH(QString, stored);
    QFETCH(bool, connects);
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
    if (!stored.isEmpty())
        QVERIFY(m_folder->set("SETUP", "AUTO_CONNECT", stored));
    TolvoTool window;
    window.show();
    checkOffline(window);

    QVERIFY(m_wrench->start());
    // The same list change that enables the button connects, or not.
    QTRY_VERIFY_WITH_TIMEOUT(button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    QCOMPARE(window.isOnline(), connects);
    QCOMPARE(window.messageService().isOpen(), connects);
    if (connects) {
        QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified TLTERM;V. 1.006")), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);
        QVERIFY(!button(window, "pushButtonSetup")->isVisibleTo(&window));
    } else {
        checkOffline(window);
    }
    QVERIFY(m_user->boxes.isEmpty());
}

// A port there at the start is not "appearing"; one plugged back in is.
void TestWindowConnection::automaticConnectionAfterPlugBackIn()
{
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    QVERIFY(m_folder->set("SETUP", "AUTO_CONNECT", QStringLiteral("1")));
    TolvoTool window;
    window.show();
    QVERIFY(button(window, "pushButtonOnline")->isEnabled());
    checkOffline(window);

    QTest::keyClick(&window, Qt::Key_F9);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);
    QVERIFY(m_wrench->command("unplug"));
    QTRY_COMPARE_WITH_TIMEOUT(m_user->countText(lostText), 1, WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    checkOffline(window);

    QVERIFY(m_wrench->command("plug"));
    QTRY_VERIFY_WITH_TIMEOUT(window.isOnline(), WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified"), 2), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);
    QCOMPARE(m_user->boxes.size(), 1);
}

// A device that appears but will not open yet (here not a terminal at all)
// brings no box; the real port in its place connects.
void TestWindowConnection::automaticConnectionRefusedStaysQuiet()
{
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
    QVERIFY(m_folder->set("SETUP", "AUTO_CONNECT", QStringLiteral("1")));
    TolvoTool window;
    window.show();

    QFile notYet(m_wrench->link);
    QVERIFY(notYet.open(QIODevice::WriteOnly));
    notYet.close();
    QTRY_VERIFY_WITH_TIMEOUT(button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    checkOffline(window);
    QVERIFY(m_user->boxes.isEmpty());

    QVERIFY(notYet.remove());
    QTRY_VERIFY_WITH_TIMEOUT(!button(window, "pushButtonOnline")->isEnabled(), WaitMs);
    QVERIFY(m_wrench->start());
    QTRY_VERIFY_WITH_TIMEOUT(window.isOnline(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), defaultIdentified, WaitMs);
    QVERIFY(m_user->boxes.isEmpty());
}

QTEST_MAIN(TestWindowConnection)
#include "tst_windowconnection.moc"
