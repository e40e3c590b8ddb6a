// The main window's form, its size on the screen and its background.
#include "windowtest.h"

#include "history/viewhistory.h"
#include "params/viewparam.h"

#include <QGridLayout>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace windowtest;

namespace {

const QString buttonStyle = QStringLiteral(
    "*{color:black;border-radius:4px;border-width:1px;border-color:#859789;border-style:solid;"
    "background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 2, stop: 0 #F6F7FA, stop: 1 #AAABAE)}\n"
    ":hover{border-width:1px;border-color:#FF7777;border-style:solid;background-color: qlineargradient(x1: "
    "0, y1: 0, x2: 0, y2: 1, stop: 0 #f6f7fa, stop: 1 #dadbde)}\n"
    ":pressed {background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #dadbde, stop: 1 "
"#f6f7fa);}"
    // Air beside the text, and the style object's disabled colours (its defaults).
    "\n*{padding:0px 6px;}\n:disabled{color:#808080;background-color:#c0c0c0;}");

QSize backgroundSize(const QWidget& window)
{
    return window.palette().brush(QPalette::Active, QPalette::Window).texture().size();
}

} // namespace

class TestWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void formObjects();
    void viewsOfTheWindow();
    void missingPictureGivesScreenSize();
    void backgroundCoversTheWindow();
    void onlyF9Toggles();
    void startIsQuiet();
};

void TestWindowForm::formObjects()
{
    ToolFolder folder;
    StyleObject style;
    BoxWatcher user;
    TolvoTool window;

    QCOMPARE(window.objectName(), QStringLiteral("TolvoTool"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tolvo-Tool - V. 1.006"));
    QCOMPARE(window.font().family(), QStringLiteral("Arial"));
    QCOMPARE(window.font().weight(), QFont::Bold);
    const int available = QGuiApplication::primaryScreen()->availableGeometry().height();
    QCOMPARE(window.font().pointSize(), available > 768 ? 10 : 9);

    auto* column = qobject_cast<QVBoxLayout*>(window.layout());
    QVERIFY(column);
    QCOMPARE(column->objectName(), QStringLiteral("vboxLayout"));
    QCOMPARE(column->itemAt(0)->widget()->objectName(), QStringLiteral("widget"));
    auto* row = qobject_cast<QGridLayout*>(column->itemAt(1)->layout());
    QVERIFY(row);
    QCOMPARE(row->objectName(), QStringLiteral("gridLayout"));
    const char* const order[] = {"pushButtonOnline", "labelCommunication", "pushButtonSetup", "pushButtonExit"};
    for (int columnIndex = 0; columnIndex < 4; ++columnIndex)
        QCOMPARE(row->itemAtPosition(0, columnIndex)->widget()->objectName(),
                 QLatin1String(order[columnIndex]));

    QPushButton* online = button(window, "pushButtonOnline");
    QCOMPARE(online->minimumSize(), QSize(120, 24));
    // At least 120 wide, wider for a longer text.
    QCOMPARE(online->maximumSize(), QSize(QWIDGETSIZE_MAX, 24));
    QVERIFY(!online->isCheckable());
    QVERIFY(!online->autoDefault());
    QCOMPARE(button(window, "pushButtonSetup")->minimumSize(), QSize(100, 24));
    QCOMPARE(button(window, "pushButtonSetup")->maximumWidth(), 138);
    QCOMPARE(button(window, "pushButtonExit")->minimumSize(), QSize(100, 24));
    QCOMPARE(button(window, "pushButtonExit")->maximumWidth(), 140);
    for (const char* name : {"pushButtonOnline", "pushButtonSetup", "pushButtonExit"}) {
        QCOMPARE(button(window, name)->styleSheet(), buttonStyle);
        QCOMPARE(button(window, name)->focusPolicy(), Qt::NoFocus);
        // The window's font, although the style sheet came first.
        button(window, name)->ensurePolished();
        QCOMPARE(button(window, name)->font().weight(), QFont::Bold);
    }
    QCOMPARE(button(window, "pushButtonSetup")->text(), QStringLiteral("Setup"));
    QCOMPARE(button(window, "pushButtonExit")->text(), QStringLiteral("Exit"));

    auto* status = window.findChild<QLabel*>(QStringLiteral("labelCommunication"));
    QCOMPARE(status->minimumHeight(), 24);
    // A real minimum: 0 would let the text decide the window's width.
    QCOMPARE(status->minimumWidth(), 1);
    QCOMPARE(status->maximumHeight(), 24);
    QCOMPARE(status->alignment(), Qt::AlignCenter);
    QCOMPARE(status->frameShape(), QFrame::StyledPanel);
    const QString sheet = QStringLiteral("*{border-width:1px;font:bold;border-radius:5px;background-color: "
                                         "qlineargradient(x1: 0,y1:0,x2:0,y2:2,stop:0#F8F9FC,stop:1#6A6B6E)}");
    QCOMPARE(status->styleSheet(), sheet);

    // Without the declaration Qt ignored ("borde:none;") the label looks the
    // same to the pixel.
    window.show();
    const QImage shown = status->grab().toImage();
    status->setStyleSheet(QString(sheet).replace(QStringLiteral("border-radius"), QStringLiteral("borde:none;border-radius")));
    QCOMPARE(status->grab().toImage(), shown);
    status->setStyleSheet(QString(sheet).replace(QStringLiteral("#F8F9FC"), QStringLiteral("#FF0000")));
    QVERIFY(status->grab().toImage() != shown);

    // Exit closes the window.
    QVERIFY(window.isVisible());
    QTest::mouseClick(button(window, "pushButtonExit"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(user.boxes.isEmpty());
}

void TestWindowForm::viewsOfTheWindow()
{
    ToolFolder folder;
    StyleObject style;
    TolvoTool window;
    window.show();

    auto* history = window.findChild<ViewHistory*>();
    QVERIFY(history);
    QCOMPARE(history->parentWidget()->objectName(), QStringLiteral("widget"));
    QVERIFY(!history->isActive());
    auto* scrollArea = window.findChild<QScrollArea*>();
    QCOMPARE(scrollArea->widget(), history->contentWidget());
    QCOMPARE(scrollArea->widget()->objectName(), QStringLiteral("widgetHistory"));
    QCOMPARE(scrollArea->frameShape(), QFrame::NoFrame);
    QCOMPARE(scrollArea->backgroundRole(), QPalette::Window);

    // The parameter view is driven but never shown.
    auto* params = window.findChild<ViewParam*>();
    QVERIFY(params);
    QVERIFY(!params->isVisible());
    params->show();
    QVERIFY(!params->isVisible());
    QVERIFY(!params->progressBar()->isVisibleTo(params));
    params->setProgress(true, false);
    QVERIFY(params->progressBar()->isVisibleTo(params));
}

void TestWindowForm::missingPictureGivesScreenSize()
{
    ToolFolder folder;
    StyleObject style;
    TolvoTool window;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(window.geometry(), QRect(0, 25, available.width(), available.height() - 25));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The plain background stays.
    QVERIFY(backgroundSize(window).isEmpty());
}

void TestWindowForm::backgroundCoversTheWindow()
{
    ToolFolder folder;
    QVERIFY(folder.provideBackground(QSize(600, 400)));
    StyleObject style;
    TolvoTool window;
    QCOMPARE(window.geometry(), QRect(0, 25, 600, 375));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Scaled to cover the window, the aspect ratio kept: cropped at the bottom.
    QTRY_COMPARE(backgroundSize(window), QSize(600, 400));

    window.resize(800, 500);
    QTRY_COMPARE(backgroundSize(window), QSize(800, 533));
    auto* scrollArea = window.findChild<QScrollArea*>();
    QCOMPARE(scrollArea->geometry(), QRect(0, 0, 800, 425));
    QCOMPARE(scrollArea->widget()->size(), QSize(750, 425));

    // Narrower than the picture's shape: cropped at the right.
    window.resize(600, 500);
    QTRY_COMPARE(backgroundSize(window), QSize(750, 500));
}

void TestWindowForm::onlyF9Toggles()
{
    ToolFolder folder;
    StyleObject style;
    BoxWatcher user;
    TolvoTool window;
    for (Qt::Key key : {Qt::Key_F8, Qt::Key_F10, Qt::Key_Return, Qt::Key_Space})
        QTest::keyClick(&window, key);
    QVERIFY(user.boxes.isEmpty());
    QVERIFY(!window.isOnline());
    // No chosen port: F9 tries, and says it cannot.
    QTest::keyClick(&window, Qt::Key_F9);
    QCOMPARE(user.boxes.size(), 1);
    QCOMPARE(user.boxes[0].text, QStringLiteral("Com Port is not available!\nThe port is not there: plug the wrench "
                                                "in, or choose its port in Setup."));
    QVERIFY(!window.isOnline());
}

// A user's terminal hears nothing from a normal start: no debug lines, no
// style sheet warnings, no file opened without a name.
void TestWindowForm::startIsQuiet()
{
    static QStringList heard;
    heard.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { heard.append(text); });
    {
        ToolFolder folder;
        StyleObject style(true);
        TolvoTool window;
        for (QWidget* widget : window.findChildren<QWidget*>())
            widget->ensurePolished();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(heard.isEmpty(), qPrintable(heard.join(QLatin1String(" | "))));
}

QTEST_MAIN(TestWindowForm)
#include "tst_windowform.moc"
