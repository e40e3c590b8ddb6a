// The window's button row and status line as the user sees them while the
// window changes its size and the texts change their length.
#include "windowtest.h"

#include "app/dlgsetup.h"

#include <QScreen>

using namespace windowtest;

namespace {

const char* const rowNames[] = {"pushButtonOnline", "labelCommunication", "pushButtonSetup", "pushButtonExit"};

QLabel* statusLabel(TolvoTool& window)
{
    return window.findChild<QLabel*>(QStringLiteral("labelCommunication"));
}

// A click where the user would click: through the window, onto whatever
// covers that point.
void clickOnWindow(TolvoTool& window, QWidget* target)
{
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      target->mapTo(&window, target->rect().center()));
}

// Inside the window and on top at its centre, so a click there reaches it.
bool reachable(TolvoTool& window, const char* name)
{
    auto* widget = window.findChild<QWidget*>(QLatin1String(name));
    return widget->isVisible() && window.rect().contains(widget->geometry())
        && window.childAt(widget->geometry().center()) == widget;
}

QColor leftEdgeColour(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(3, image.height() / 2);
}

// Words, so that the cut shows where a word would go on.
QString longIdentification(int length)
{
    QString text = QStringLiteral("TW-LONG;V 9.9;");
    while (text.size() < length)
        text += QStringLiteral("calibrated ");
    return text.left(length);
}

} // namespace

class TestWindowLayout : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeWorld()); }
    void cleanup() { tearDownWorld(); }

    void shrinkingKeepsTheButtonRow_data();
    void shrinkingKeepsTheButtonRow();
    void longIdentificationIsCut();
    void disconnectButtonFitsItsText();
    void disabledConnectButtonLooksDisabled();
};

void TestWindowLayout::shrinkingKeepsTheButtonRow_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("10 px at a time") << 10;
    QTest::newRow("74 px at a time") << 74;
    QTest::newRow("75 px at a time") << 75;
    QTest::newRow("maximised, then restored") << 400;
}

void TestWindowLayout::shrinkingKeepsTheButtonRow()
{
    QFETCH(int, step);
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    TolvoTool window;
    window.resize(1100, 900);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    for (QSize size = window.size(); size.height() - step >= 450;) {
        size -= QSize(step, step);
        window.resize(size);
        QCOMPARE(window.size(), size);
        // Whatever painting the new size asks for happens here.
        QCoreApplication::processEvents();
        for (const char* name : rowNames)
            QVERIFY2(reachable(window, name), name);
    }

    // Each button still answers a click.
    clickOnWindow(window, button(window, "pushButtonOnline"));
    QVERIFY(window.isOnline());
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified")), WaitMs);
    clickOnWindow(window, button(window, "pushButtonOnline"));
    QVERIFY(!window.isOnline());
    clickOnWindow(window, button(window, "pushButtonSetup"));
    auto* setup = window.findChild<DlgSetup*>();
    QVERIFY(setup->isVisible());
    setup->hide();
    clickOnWindow(window, button(window, "pushButtonExit"));
    QVERIFY(!window.isVisible());
    QVERIFY(m_user->boxes.isEmpty());
}

void TestWindowLayout::longIdentificationIsCut()
{
    const QString identification = longIdentification(1020);
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42"),
                                     {QStringLiteral("--ident"), identification}));
    TolvoTool window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize before = window.size();
    const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    QVERIFY(before.width() <= screenWidth);

    QTest::keyClick(&window, Qt::Key_F9);
    const QString whole = QStringLiteral("Connected with   TW-LONG Version V 9.9 ") + identification.mid(14);
    QTRY_COMPARE_WITH_TIMEOUT(statusLabel(window)->toolTip(), whole, WaitMs);
    QCoreApplication::processEvents();
    QCOMPARE(window.size(), before);
    QVERIFY(window.minimumSizeHint().width() <= screenWidth);
    QLabel* status = statusLabel(window);
    QVERIFY(status->text().endsWith(QStringLiteral("\u2026</span>")));
    QVERIFY(status->text().contains(QStringLiteral("Connected with   TW-LONG Version V 9.9 calibrated")));
    QVERIFY(reachable(window, "pushButtonExit"));

    // More room shows more of it; offline the whole line shows again.
    const int shownBefore = static_cast<int>(status->text().size());
    window.resize(before.width() + 200, before.height());
    QVERIFY(status->text().size() > shownBefore);
    QTest::keyClick(&window, Qt::Key_F9);
    QCOMPARE(status->text(), offlineStatus);
    QCOMPARE(status->toolTip(), QString());
    window.resize(before);
    QCOMPARE(window.size(), before);
}

void TestWindowLayout::disconnectButtonFitsItsText()
{
    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    TolvoTool window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPushButton* online = button(window, "pushButtonOnline");
    const auto fitsWithAir = [online] {
        // Room for the border and a little air on each side.
        return online->width() >= 120
            && online->width() >= online->fontMetrics().horizontalAdvance(online->text()) + 8;
    };
    QVERIFY(fitsWithAir());
    const int offlineWidth = online->width();

    QTest::keyClick(&window, Qt::Key_F9);
    QCOMPARE(online->text(), QStringLiteral("Disconnect Wrench"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QVERIFY2(fitsWithAir(), qPrintable(QString::number(online->width())));
    QVERIFY(online->width() > offlineWidth);
    QVERIFY(reachable(window, "pushButtonOnline"));

    QTest::keyClick(&window, Qt::Key_F9);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCOMPARE(online->width(), offlineWidth);
}

void TestWindowLayout::disabledConnectButtonLooksDisabled()
{
    // No chosen port: nothing to connect to.
    TolvoTool disabledWindow;
    disabledWindow.show();
    QPushButton* disabled = button(disabledWindow, "pushButtonOnline");
    QVERIFY(!disabled->isEnabled());

    QVERIFY(m_wrench->startAsChosenPort(*m_folder, QStringLiteral("COM42")));
    TolvoTool enabledWindow;
    enabledWindow.show();
    QPushButton* enabled = button(enabledWindow, "pushButtonOnline");
    QVERIFY(enabled->isEnabled());
    QCOMPARE(enabled->text(), disabled->text());

    QVERIFY(disabled->grab().toImage() != enabled->grab().toImage());
    const QColor disabledBackground = StyleTemplate::instance()->namedColor(QStringLiteral("DisabledBgndColor"));
    QCOMPARE(leftEdgeColour(disabled), disabledBackground);
    QVERIFY(leftEdgeColour(enabled) != disabledBackground);
}

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
