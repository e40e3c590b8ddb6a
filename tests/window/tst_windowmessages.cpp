// The message boxes that the wrench asks for ("MGD") and the answers it gets
// ("MGC"), with the simulated wrench on a pseudo-terminal.
#include "windowtest.h"

#include <QScreen>

using namespace windowtest;

namespace {

bool isOpen(const QPointer<DlgMessageImpl>& box)
{
    return box && box->isVisible();
}

void click(const QPointer<DlgMessageImpl>& box, const char* name)
{
    if (isOpen(box))
        QTest::mouseClick(messageButton(box, name), Qt::LeftButton);
}

} // namespace

class TestWindowMessages : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void titleAndMessageFromTheText();
    void emptyQuestionNamesKindAndId();
    void backslashNBreaksTheLine();
    void captions_data();
    void captions();
    void typesWithoutBoxAreDropped();
    void secondMessageWhileOneIsOpen();
    void closeRequest_data();
    void closeRequest();
    void closeRequestLeavesToolBoxesAlone();
    void unplugWithdrawsTheWrenchBoxAndStillReports();
    void errorReportWaitsForTheWrenchAnswer();
    void errorsWaitingBehindTheBoxEndWithTheConnection();
    void longTextStaysOnScreen();

private:
    // Sends a message request and waits for the window's answer.
    bool requestAndAnswer(const QByteArray& command, const QString& answer);
    // Once the answer to a probe message (refused while a box is open) is
    // out, the window has handled every frame sent before it.
    bool probe(int id);
};

void TestWindowMessages::init()
{
    QVERIFY(makeWorld());
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    m_window = std::make_unique<TolvoTool>();
    m_window->show();
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified")), WaitMs);
}

void TestWindowMessages::cleanup()
{
    tearDownWorld();
}

bool TestWindowMessages::requestAndAnswer(const QByteArray& command, const QString& answer)
{
    return m_wrench->command(command)
        && QTest::qWaitFor([this, &answer] { return m_wrench->saw(answer); }, WaitMs);
}

bool TestWindowMessages::probe(int id)
{
    return requestAndAnswer("mgd " + QByteArray::number(id) + " 1 Probe",
                            QStringLiteral("answer %1 65535").arg(id));
}

void TestWindowMessages::titleAndMessageFromTheText()
{
    QVERIFY(requestAndAnswer("mgd 3 4 Calibration;Calibrate now?", QStringLiteral("answer 3 1")));
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("Calibration"));
    QCOMPARE(m_user->boxes[0].text, QStringLiteral("Calibrate now?"));
    QCOMPARE(m_user->boxes[0].captions, (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
    // The answer travelled as "MGC" with the ID and the button.
    const QList<QStringList> frames = m_wrench->frames();
    const QList<qsizetype> answers = m_wrench->framesOf("rx", "MGC");
    QCOMPARE(answers.size(), 1);
    QVERIFY(frames[answers[0]].join(QLatin1Char(' ')).contains(QLatin1String("4D 47 43 00 10 03 00 10 01")));
}

void TestWindowMessages::emptyQuestionNamesKindAndId()
{
    m_user->onBox = [](DlgMessageImpl* box) { click(box, "pushButtonCancel"); };
    QVERIFY(requestAndAnswer("mgd 7 4", QStringLiteral("answer 7 0")));
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("Question"));
    QCOMPARE(m_user->boxes[0].text, QStringLiteral("Question ID = 7"));
}

void TestWindowMessages::backslashNBreaksTheLine()
{
    QVERIFY(requestAndAnswer("mgd 5 2 Note;First line\\nSecond line", QStringLiteral("answer 5 1")));
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].text, QStringLiteral("First line\nSecond line"));
    QCOMPARE(m_user->boxes[0].captions, QStringList{QStringLiteral("OK")});
}

void TestWindowMessages::captions_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("captions"); // visible, left to right
    QTest::addColumn<QByteArray>("pressed");
    QTest::addColumn<int>("answer");
    QTest::newRow("info without text") << QByteArray("1") << QStringLiteral("OK") << QByteArray("pushButtonOK") << 1;
    QTest::newRow("question without text")
        << QByteArray("4") << QStringLiteral("No|Yes") << QByteArray("pushButtonCancel") << 0;
    QTest::newRow("title and message") << QByteArray("3 Fault;Motor") << QStringLiteral("OK")
                                       << QByteArray("pushButtonOK") << 1;
    QTest::newRow("three captions") << QByteArray("4 T;M;Abort;Retry;Ignore")
                                    << QStringLiteral("Retry|Ignore|Abort") << QByteArray("pushButtonThird")
                                    << 2;
    QTest::newRow("empty caption dropped")
        << QByteArray("2 T;M;;Later") << QStringLiteral("Later") << QByteArray("pushButtonOK") << 1;
    QTest::newRow("only empty captions")
        << QByteArray("4 T;M;;;") << QStringLiteral("No|Yes") << QByteArray("pushButtonOK") << 1;
}

void TestWindowMessages::captions()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, captions);
    QFETCH(QByteArray, pressed);
    QFETCH(int, answer);
    m_user->onBox = [pressed](DlgMessageImpl* box) { click(box, pressed.constData()); };
    QVERIFY(requestAndAnswer("mgd 21 " + request, QStringLiteral("answer 21 %1").arg(answer)));
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].captions.join(QLatin1Char('|')), captions);
}

void TestWindowMessages::typesWithoutBoxAreDropped()
{
    // More than the receive pool holds: each frame's slot must come back.
    for (int id = 100; id < 240; ++id)
        QVERIFY(m_wrench->command("mgd " + QByteArray::number(id) + (id % 2 ? " 6 Whatever" : " 5 Text")));
    QVERIFY(requestAndAnswer("mgd 300 1 After;the others", QStringLiteral("answer 300 1")));
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("After"));
    QCOMPARE(m_wrench->count(QStringLiteral("answer")), 1);
}

void TestWindowMessages::secondMessageWhileOneIsOpen()
{
    bool secondRefused = false;
    m_user->onBox = [this, &secondRefused](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> first = box;
        secondRefused = requestAndAnswer("mgd 2 1 Second", QStringLiteral("answer 2 65535"));
        click(first, "pushButtonOK");
    };
    QVERIFY(requestAndAnswer("mgd 1 1 First", QStringLiteral("answer 1 1")));
    QVERIFY(secondRefused);
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].title, QStringLiteral("First"));
}

void TestWindowMessages::closeRequest_data()
{
    QTest::addColumn<int>("closingId");
    QTest::addColumn<bool>("closes");
    QTest::newRow("ID 0 closes any") << 0 << true;
    QTest::newRow("its own ID") << 4 << true;
    QTest::newRow("another ID") << 9 << false;
}

void TestWindowMessages::closeRequest()
{
    QFETCH(int, closingId);
    QFETCH(bool, closes);
    bool closedByWrench = false;
    m_user->onBox = [this, closingId, &closedByWrench](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> open = box;
        m_wrench->command("mgd " + QByteArray::number(closingId) + " 0");
        if (!probe(50))
            return click(open, "pushButtonCancel");
        closedByWrench = !isOpen(open);
        click(open, "pushButtonCancel");
    };
    // Closed by the wrench, the box answers as if its first button was chosen.
    QVERIFY(requestAndAnswer("mgd 4 4 Pending;Waiting for the wrench",
                             QStringLiteral("answer 4 %1").arg(closes ? 1 : 0)));
    QCOMPARE(closedByWrench, closes);
    QCOMPARE(m_user->boxes.size(), 1);
}

void TestWindowMessages::closeRequestLeavesToolBoxesAlone()
{
    // A box of the tool's own, such as a time-out message: a message request
    // meanwhile is refused, and neither its ID nor ID 0 closes the box.
    bool stillOpen = false;
    m_user->onBox = [this, &stillOpen](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> own = box;
        const bool refused = requestAndAnswer("mgd 5 1 Refused", QStringLiteral("answer 5 65535"));
        m_wrench->command("mgd 5 0");
        m_wrench->command("mgd 0 0");
        stillOpen = refused && probe(51) && isOpen(own);
        QTest::keyClick(own, Qt::Key_Escape);
    };
    const int result = StyleTemplate::instance()->showMessage(
        QStringLiteral("Error"), QStringLiteral("Timeout"), QStringLiteral("Timeout Parameter Request\nID: 5"),
        QStringLiteral("OK"), m_window.get());
    QCOMPARE(result, 0);
    QVERIFY(stillOpen);

    // The refused request left nothing pending: its ID does not close the
    // next wrench box, that box's own ID does.
    bool survivedOldId = false;
    m_user->onBox = [this, &survivedOldId](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> open = box;
        m_wrench->command("mgd 5 0");
        survivedOldId = probe(52) && isOpen(open);
        m_wrench->command("mgd 8 0");
        if (!QTest::qWaitFor([&open] { return !isOpen(open); }, WaitMs))
            qWarning("the box stayed open");
        click(open, "pushButtonCancel");
    };
    QVERIFY(requestAndAnswer("mgd 8 4 Next;Question", QStringLiteral("answer 8 1")));
    QVERIFY(survivedOldId);
}


void TestWindowMessages::unplugWithdrawsTheWrenchBoxAndStillReports()
{
    // The wrench's question can no longer be answered once its port is gone:
    // the box is withdrawn, and the tool's own error is shown after it
    // instead of being refused as a second box.
    bool withdrawn = false;
    m_user->onBox = [this, &withdrawn](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> open = box;
        if (m_user->boxes.size() == 1) {
            m_wrench->command("unplug");
            withdrawn = QTest::qWaitFor([&open] { return !isOpen(open); }, WaitMs);
            if (!withdrawn)
                click(open, "pushButtonCancel");
            return;
        }
        click(open, "pushButtonOK");
    };
    QVERIFY(m_wrench->command("mgd 9 4 Pending;Pull the cable now"));
    QTRY_COMPARE_WITH_TIMEOUT(m_user->boxes.size(), 2, WaitMs);
    QVERIFY(withdrawn);
    QCOMPARE(m_user->boxes[1].text, QStringLiteral("Com Port is no longer available!"));
    QVERIFY(!m_wrench->saw(QStringLiteral("answer 9")));
    QTest::qWait(200);
    QCOMPARE(m_user->boxes.size(), 2);
}

void TestWindowMessages::errorReportWaitsForTheWrenchAnswer()
{
    // The wrench's error report comes while its question is open: the error
    // box follows once the question has been answered and the answer is
    // out, and the wrench's close request for ID 0 leaves the error box be.
    bool answeredBeforeErrorClosed = false;
    bool errorBoxSurvivedClose = false;
    m_user->onBox = [this, &answeredBeforeErrorClosed, &errorBoxSurvivedClose](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> open = box;
        if (m_user->boxes.size() == 1) {
            m_wrench->command("err 105");
            if (!probe(61))
                qWarning("no answer to the probe");
            click(open, "pushButtonOK");
            return;
        }
        answeredBeforeErrorClosed =
            QTest::qWaitFor([this] { return m_wrench->saw(QStringLiteral("answer 7 1")); }, WaitMs) && isOpen(open);
        m_wrench->command("mgd 0 0");
        errorBoxSurvivedClose = probe(62) && isOpen(open);
        click(open, "pushButtonOK");
    };
    QVERIFY(m_wrench->command("mgd 7 4 Question;Go on?"));
    QTRY_COMPARE_WITH_TIMEOUT(m_user->boxes.size(), 2, WaitMs);
    QCOMPARE(m_user->boxes[1].title, QStringLiteral("Error"));
    QCOMPARE(m_user->boxes[1].text, QStringLiteral("Group: 0\nCode: 105\n\nnot available\nID = #1"));
    QVERIFY(answeredBeforeErrorClosed);
    QVERIFY(errorBoxSurvivedClose);
}

// An error report waits behind the wrench's question; the port goes before
// the question is answered: the user hears of the lost port, not of an error
// of a connection that is over.
void TestWindowMessages::errorsWaitingBehindTheBoxEndWithTheConnection()
{
    m_user->onBox = [this](DlgMessageImpl* box) {
        const QPointer<DlgMessageImpl> open = box;
        if (m_user->boxes.size() == 1) {
            m_wrench->command("err 105");
            if (!probe(63))
                qWarning("no answer to the probe");
            m_wrench->command("unplug");
            if (!QTest::qWaitFor([&open] { return !isOpen(open); }, WaitMs))
                click(open, "pushButtonCancel");
            return;
        }
        click(open, "pushButtonOK");
    };
    QVERIFY(m_wrench->command("mgd 9 4 Pending;Pull the cable now"));
    QTRY_COMPARE_WITH_TIMEOUT(m_user->boxes.size(), 2, WaitMs);
    QCOMPARE(m_user->boxes[1].text, QStringLiteral("Com Port is no longer available!"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isOnline(), WaitMs);
    QTest::qWait(200);
    QCOMPARE(m_user->boxes.size(), 2);
}

void TestWindowMessages::longTextStaysOnScreen()
{
    QString text;
    while (text.size() < 900)
        text += QStringLiteral("The torque sensor needs a new calibration. ");
    // The wrench's command line ends at the last word.
    text.chop(1);
    QRect seenAt;
    QRect textAt;
    m_user->onBox = [&](DlgMessageImpl* box) {
        seenAt = box->frameGeometry();
        auto* info = box->findChild<QLabel*>(QStringLiteral("labelInfo"));
        textAt = QRect(info->mapTo(box, QPoint(0, 0)), info->size());
        QTest::mouseClick(messageButton(box, "pushButtonOK"), Qt::LeftButton);
    };
    QVERIFY(requestAndAnswer("mgd 9 2 Sensor;" + text.toLatin1(), QStringLiteral("answer 9 1")));
    QCOMPARE(m_user->boxes.size(), 1);
    QCOMPARE(m_user->boxes[0].text, text);
    const QRect screen = m_window->screen()->availableGeometry();
    QVERIFY2(screen.contains(seenAt), qPrintable(QStringLiteral("%1 %2").arg(seenAt.width()).arg(seenAt.x())));
    // Wrapped into lines within the box.
    QVERIFY(QRect(QPoint(0, 0), seenAt.size()).contains(textAt));
    QVERIFY(textAt.height() > 3 * m_window->fontMetrics().lineSpacing());
}

QTEST_MAIN(TestWindowMessages)
#include "tst_windowmessages.moc"
