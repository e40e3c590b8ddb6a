// The line settings a port gets: made from a terminal that is as far from
// them as it can be, for every rate and parity; and read back from the far
// end of a pseudo-terminal after the port opens (its termios are the near
// end's, though it keeps 8 data bits and no parity bit whatever it is told).
#include "platform/pseudoterminal.h"
#include "platform/serial.h"
#include "platform/serial_posix.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Cooked, 7 bits, two stop bits, odd parity, hardware and software flow
// control, 1200 baud.
void spoil(termios& tio)
{
    tio.c_iflag |= IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | PARMRK;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE | CLOCAL | CREAD)) | CS7 | CSTOPB | PARENB | PARODD
        | CMSPAR | CRTSCTS;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 5;
    ::cfsetispeed(&tio, B1200);
    ::cfsetospeed(&tio, B1200);
}

// Raw, 8 data bits, one stop bit, no flow control, reads that return at once.
void verifyRawLine(const termios& tio, speed_t speed)
{
    QCOMPARE(uint(::cfgetispeed(&tio)), uint(speed));
    QCOMPARE(uint(::cfgetospeed(&tio)), uint(speed));
    QCOMPARE(uint(tio.c_cflag & CSIZE), uint(CS8));
    QCOMPARE(uint(tio.c_cflag & (CSTOPB | CRTSCTS)), 0U);
    QCOMPARE(uint(tio.c_cflag & (CLOCAL | CREAD)), uint(CLOCAL | CREAD));
    QCOMPARE(uint(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK)), 0U);
    QCOMPARE(uint(tio.c_oflag & OPOST), 0U);
    QCOMPARE(uint(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)), 0U);
    QCOMPARE(int(tio.c_cc[VMIN]), 0);
    QCOMPARE(int(tio.c_cc[VTIME]), 0);
}

} // namespace

class TestSerialLine : public QObject
{
    Q_OBJECT

private slots:
    void lineSettings_data();
    void lineSettings();
    void appliedWhenThePortOpens();
};

void TestSerialLine::lineSettings_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity"); // 0 none, 1 odd, 2 even, 3 mark, 4 space
    QTest::addColumn<uint>("speed");
    QTest::addColumn<uint>("parityFlags");

    QTest::newRow("the tool's default") << 57600 << 0 << uint(B57600) << 0U;
    QTest::newRow("9600, none") << 9600 << 0 << uint(B9600) << 0U;
    QTest::newRow("115200, odd") << 115200 << 1 << uint(B115200) << uint(PARENB | PARODD);
    QTest::newRow("19200, even") << 19200 << 2 << uint(B19200) << uint(PARENB);
    QTest::newRow("38400, mark") << 38400 << 3 << uint(B38400) << uint(PARENB | PARODD | CMSPAR);
    QTest::newRow("4800, space") << 4800 << 4 << uint(B4800) << uint(PARENB | CMSPAR);
    QTest::newRow("a rate no driver takes") << 12345 << 0 << 0U << 0U;
    QTest::newRow("no such parity") << 57600 << 5 << 0U << 0U;
}

void TestSerialLine::lineSettings()
{
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(uint, speed);
    QFETCH(uint, parityFlags);
    termios tio{};
    spoil(tio);
    const bool made = platform::makeLineTermios({baud, parity, true, true}, tio);
    QCOMPARE(made, speed != 0);
    if (!made)
        return;
    verifyRawLine(tio, static_cast<speed_t>(speed));
    QCOMPARE(uint(tio.c_cflag & (PARENB | PARODD | CMSPAR)), parityFlags);
}

void TestSerialLine::appliedWhenThePortOpens()
{
    QTemporaryDir folder;
    platform::PseudoTerminal pty;
    QVERIFY2(pty.open(QFile::encodeName(folder.filePath(QStringLiteral("line"))).toStdString()), pty.error().c_str());
    termios tio{};
    QCOMPARE(::tcgetattr(pty.masterFd(), &tio), 0);
    spoil(tio);
    QCOMPARE(::tcsetattr(pty.masterFd(), TCSANOW, &tio), 0);

    platform::SerialPort port;
    QVERIFY(port.open(pty.linkPath(), {57600, 0, true, true}));
    QCOMPARE(::tcgetattr(pty.masterFd(), &tio), 0);
    verifyRawLine(tio, B57600);
}

QTEST_GUILESS_MAIN(TestSerialLine)
#include "tst_serialline.moc"
