#include "app/dlgmessageimpl.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString resourceDir = QStringLiteral(TOLVO_RESOURCE_DIR);

QPushButton* button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}

QLabel* label(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLabel*>(QLatin1String(name));
}

QStringList visibleCaptions(QWidget* dialog)
{
    QStringList captions;
    for (const char* name : {"pushButtonCancel", "pushButtonThird", "pushButtonOK"}) {
        if (button(dialog, name)->isVisibleTo(dialog))
            captions << button(dialog, name)->text();
    }
    return captions;
}

int xOf(QWidget* dialog, const char* name)
{
    return button(dialog, name)->mapTo(dialog, QPoint(0, 0)).x();
}

// Runs action on the message box once it is open. Whatever the action
// checks, the box is closed afterwards so that a failed check cannot hang
// the test in the box's event loop.
void whenOpen(std::function<void(DlgMessageImpl*)> action)
{
    QTimer::singleShot(0, qApp, [action] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<DlgMessageImpl*>(widget);
            if (dialog && dialog->isVisible()) {
                QPointer<DlgMessageImpl> guard = dialog;
                action(dialog);
                if (guard && guard->isVisible())
                    guard->done(-7);
                return;
            }
        }
        whenOpen(action);
    });
}

} // namespace

class TstDlgMessage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void singleOkButton();
    void escapeGivesZero();
    void yesNoShowsNoOnTheLeft_data();
    void yesNoShowsNoOnTheLeft();
    void threeCaptions_data();
    void threeCaptions();
    void emptyOrOverlongListShowsNoButton_data();
    void emptyOrOverlongListShowsNoButton();
    void emptyEntryGivesCaptionlessButton();
    void closeMessageAcceptsTheOpenBox();
    void secondMessageIsRefusedWhileOneIsOpen();
    void unknownKindLeavesTheFormEmpty();
    void knownKindShowsScaledIconAndTitle();
    void longTextWidensByTheRule();
    void overlongTextWrapsWithinTheScreen_data();
    void overlongTextWrapsWithinTheScreen();
    void enterTriggersTheFirstCaption();
    void markupShowsLiterally();
    void parentDeletedWhileOpen();

private:
    std::unique_ptr<StyleTemplate> m_style;
};

void TstDlgMessage::initTestCase()
{
    bool loaded = false;
    ScreenMetrics metrics;
    m_style = std::make_unique<StyleTemplate>(resourceDir + QStringLiteral("images/"),
                                              resourceDir + QStringLiteral("TolvoTool.sty"), &loaded, metrics);
    QVERIFY(loaded);
    StyleTemplate::setInstance(m_style.get());
}

void TstDlgMessage::cleanupTestCase()
{
    m_style.reset();
}

void TstDlgMessage::singleOkButton()
{
    whenOpen([](DlgMessageImpl* dialog) {
        QCOMPARE(visibleCaptions(dialog), QStringList{QStringLiteral("OK")});
        const Qt::WindowFlags flags = dialog->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QTest::mouseClick(button(dialog, "pushButtonOK"), Qt::LeftButton);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Error"), QStringLiteral("Error"), QStringLiteral("Port lost"),
                                  QStringLiteral("OK")),
             1);
}

void TstDlgMessage::escapeGivesZero()
{
    whenOpen([](DlgMessageImpl* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QCOMPARE(m_style->showMessage(QStringLiteral("Error"), QStringLiteral("Error"), QStringLiteral("Port lost"),
                                  QStringLiteral("OK")),
             0);
}

void TstDlgMessage::yesNoShowsNoOnTheLeft_data()
{
    QTest::addColumn<QByteArray>("clicked");
    QTest::addColumn<int>("result");
    QTest::newRow("No") << QByteArray("pushButtonCancel") << 0;
    QTest::newRow("Yes") << QByteArray("pushButtonOK") << 1;
}

void TstDlgMessage::yesNoShowsNoOnTheLeft()
{
    QFETCH(QByteArray, clicked);
    QFETCH(int, result);
    whenOpen([clicked](DlgMessageImpl* dialog) {
        QCOMPARE(visibleCaptions(dialog), (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
        QVERIFY(xOf(dialog, "pushButtonCancel") < xOf(dialog, "pushButtonOK"));
        QTest::mouseClick(button(dialog, clicked.constData()), Qt::LeftButton);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Question"), QStringLiteral("Checksum"),
                                  QStringLiteral("Repair the file?"), QStringLiteral("Yes;No")),
             result);
}

void TstDlgMessage::threeCaptions_data()
{
    QTest::addColumn<QByteArray>("clicked");
    QTest::addColumn<int>("result");
    QTest::newRow("first") << QByteArray("pushButtonOK") << 1;
    QTest::newRow("second") << QByteArray("pushButtonCancel") << 0;
    QTest::newRow("third") << QByteArray("pushButtonThird") << 2;
}

void TstDlgMessage::threeCaptions()
{
    QFETCH(QByteArray, clicked);
    QFETCH(int, result);
    whenOpen([clicked](DlgMessageImpl* dialog) {
        QCOMPARE(visibleCaptions(dialog),
                 (QStringList{QStringLiteral("Two"), QStringLiteral("Three"), QStringLiteral("One")}));
        QVERIFY(xOf(dialog, "pushButtonCancel") < xOf(dialog, "pushButtonThird"));
        QVERIFY(xOf(dialog, "pushButtonThird") < xOf(dialog, "pushButtonOK"));
        QTest::mouseClick(button(dialog, clicked.constData()), Qt::LeftButton);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Info"), QStringLiteral("Wrench"), QStringLiteral("Choose"),
                                  QStringLiteral("One;Two;Three")),
             result);
}

void TstDlgMessage::emptyOrOverlongListShowsNoButton_data()
{
    QTest::addColumn<QString>("buttons");
    QTest::newRow("empty") << QString();
    QTest::newRow("four") << QStringLiteral("a;b;c;d");
}

void TstDlgMessage::emptyOrOverlongListShowsNoButton()
{
    QFETCH(QString, buttons);
    whenOpen([](DlgMessageImpl* dialog) {
        QVERIFY(visibleCaptions(dialog).isEmpty());
        QTest::keyClick(dialog, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Warning"), QStringLiteral("Wrench"), QStringLiteral("Busy"),
                                  buttons),
             0);
}

void TstDlgMessage::emptyEntryGivesCaptionlessButton()
{
    DlgMessageImpl dialog(nullptr, m_style->styleDirectory(), m_style.get());
    dialog.setMessage(QStringLiteral("Info"), QStringLiteral("t"), QStringLiteral("x"), QStringLiteral(";No"));
    QCOMPARE(visibleCaptions(&dialog), (QStringList{QStringLiteral("No"), QString()}));
}

void TstDlgMessage::closeMessageAcceptsTheOpenBox()
{
    m_style->closeMessage(); // nothing open: nothing happens
    whenOpen([this](DlgMessageImpl*) { m_style->closeMessage(); });
    QCOMPARE(m_style->showMessage(QStringLiteral("Question"), QStringLiteral("Wrench"), QStringLiteral("Go on?"),
                                  QStringLiteral("Yes;No")),
             1);
}

void TstDlgMessage::secondMessageIsRefusedWhileOneIsOpen()
{
    int inner = 0;
    whenOpen([this, &inner](DlgMessageImpl* dialog) {
        inner = m_style->showMessage(QStringLiteral("Error"), QStringLiteral("Error"), QStringLiteral("Second"),
                                     QStringLiteral("OK"));
        QTest::mouseClick(button(dialog, "pushButtonCancel"), Qt::LeftButton);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Question"), QStringLiteral("Wrench"), QStringLiteral("First"),
                                  QStringLiteral("Yes;No")),
             0);
    QCOMPARE(inner, -1);

    // The next message opens normally.
    whenOpen([](DlgMessageImpl* dialog) { QTest::mouseClick(button(dialog, "pushButtonOK"), Qt::LeftButton); });
    QCOMPARE(m_style->showMessage(QStringLiteral("Info"), QStringLiteral("Info"), QStringLiteral("Third"),
                                  QStringLiteral("OK")),
             1);
}

void TstDlgMessage::unknownKindLeavesTheFormEmpty()
{
    for (const QString& kind : {QStringLiteral("Text"), QStringLiteral("No"), QStringLiteral("error")}) {
        DlgMessageImpl dialog(nullptr, m_style->styleDirectory(), m_style.get());
        dialog.setMessage(kind, QStringLiteral("Title"), QStringLiteral("Some text"), QStringLiteral("OK"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tolvo-Tool"));
        QVERIFY(label(&dialog, "labelInfo")->text().isEmpty());
        QVERIFY(label(&dialog, "labelIcon")->pixmap().isNull());
        QCOMPARE(visibleCaptions(&dialog), (QStringList{QString(), QString(), QString()}));
    }
}

void TstDlgMessage::knownKindShowsScaledIconAndTitle()
{
    DlgMessageImpl dialog(nullptr, m_style->styleDirectory(), m_style.get());
    dialog.setMessage(QStringLiteral("Warning"), QStringLiteral("Careful"), QStringLiteral("Low battery"),
                      QStringLiteral("OK"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Careful"));
    QCOMPARE(label(&dialog, "labelInfo")->text(), QStringLiteral("Low battery"));
    QLabel* icon = label(&dialog, "labelIcon");
    QCOMPARE(icon->size(), QSize(48, 48));
    QCOMPARE(icon->pixmap().size(), QSize(48, 48));

    // A missing icon file leaves the label empty; the message still shows.
    DlgMessageImpl noIcons(nullptr, QStringLiteral("/nonexistent/"), m_style.get());
    noIcons.setMessage(QStringLiteral("Error"), QStringLiteral("E"), QStringLiteral("Text"), QStringLiteral("OK"));
    QVERIFY(label(&noIcons, "labelIcon")->pixmap().isNull());
    QCOMPARE(label(&noIcons, "labelInfo")->text(), QStringLiteral("Text"));
}

void TstDlgMessage::longTextWidensByTheRule()
{
    const QString longText = QStringLiteral("History read error: ") + QString(12, QLatin1Char('W'));
    DlgMessageImpl shortBox(nullptr, m_style->styleDirectory(), m_style.get());
    shortBox.setMessage(QStringLiteral("Info"), QStringLiteral("t"), QStringLiteral("Done"), QStringLiteral("OK"));
    DlgMessageImpl longBox(nullptr, m_style->styleDirectory(), m_style.get());
    longBox.setMessage(QStringLiteral("Info"), QStringLiteral("t"), longText, QStringLiteral("OK"));

    QLabel* info = label(&longBox, "labelInfo");
    QLabel* icon = label(&longBox, "labelIcon");
    QVERIFY(!info->wordWrap());
    QVERIFY(info->width() >= info->fontMetrics().horizontalAdvance(longText));
    QCOMPARE(longBox.width(), info->width() + 3 * icon->width());
    QCOMPARE(longBox.height(), info->height() + 3 * icon->height());
    QCOMPARE(longBox.minimumSize(), longBox.maximumSize());
    QVERIFY(longBox.width() > shortBox.width());
}

void TstDlgMessage::overlongTextWrapsWithinTheScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("one long line") << QStringLiteral("The wrench reported an error. ").repeated(40);
    QTest::newRow("many lines") << QStringLiteral("Line of the report\n").repeated(200);
}

void TstDlgMessage::overlongTextWrapsWithinTheScreen()
{
    QFETCH(QString, text);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    whenOpen([&](DlgMessageImpl* dialog) {
        QVERIFY(available.contains(dialog->frameGeometry()));
        QVERIFY(dialog->width() <= available.width() * 2 / 3);
        QLabel* info = label(dialog, "labelInfo");
        QCOMPARE(info->text(), text);
        QVERIFY(QRect(QPoint(0, 0), dialog->size()).contains(QRect(info->mapTo(dialog, QPoint(0, 0)), info->size())));
        QTest::mouseClick(button(dialog, "pushButtonOK"), Qt::LeftButton);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Error"), QStringLiteral("Error"), text, QStringLiteral("OK")), 1);
}

void TstDlgMessage::enterTriggersTheFirstCaption()
{
    whenOpen([](DlgMessageImpl* dialog) {
        QPushButton* ok = button(dialog, "pushButtonOK");
        QVERIFY(ok->isDefault());
        QCOMPARE(dialog->focusWidget(), ok);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(m_style->showMessage(QStringLiteral("Question"), QStringLiteral("Checksum"),
                                  QStringLiteral("Repair the file?"), QStringLiteral("Yes;No")),
             1);

    // Also when the key reaches the dialog itself.
    whenOpen([](DlgMessageImpl* dialog) { QTest::keyClick(dialog, Qt::Key_Enter); });
    QCOMPARE(m_style->showMessage(QStringLiteral("Question"), QStringLiteral("Checksum"),
                                  QStringLiteral("Repair the file?"), QStringLiteral("Yes;No")),
             1);
}

void TstDlgMessage::markupShowsLiterally()
{
    const QString markup = QStringLiteral("<b>Device</b> &amp; <a href=\"x\">link</a>");
    DlgMessageImpl dialog(nullptr, m_style->styleDirectory(), m_style.get());
    dialog.setMessage(QStringLiteral("Info"), QStringLiteral("t"), markup, QStringLiteral("OK"));
    QLabel* info = label(&dialog, "labelInfo");
    QCOMPARE(info->textFormat(), Qt::PlainText);
    QCOMPARE(info->text(), markup);
    // Laid out as the literal characters, tags included.
    QVERIFY(info->width() >= info->fontMetrics().horizontalAdvance(markup));

    DlgMessageImpl twoLines(nullptr, m_style->styleDirectory(), m_style.get());
    twoLines.setMessage(QStringLiteral("Info"), QStringLiteral("t"), QStringLiteral("first\nsecond"),
                        QStringLiteral("OK"));
    QLabel* lines = label(&twoLines, "labelInfo");
    QVERIFY(lines->height() >= 2 * lines->fontMetrics().lineSpacing() - 1);
}

void TstDlgMessage::parentDeletedWhileOpen()
{
    auto parent = std::make_unique<QWidget>();
    parent->show();
    whenOpen([&parent](DlgMessageImpl*) { parent.reset(); });
    QCOMPARE(m_style->showMessage(QStringLiteral("Error"), QStringLiteral("Error"), QStringLiteral("Gone"),
                                  QStringLiteral("OK"), parent.get()),
             0);
    QVERIFY(!parent);

    whenOpen([this](DlgMessageImpl*) { m_style->closeMessage(); });
    QCOMPARE(m_style->showMessage(QStringLiteral("Info"), QStringLiteral("Info"), QStringLiteral("Again"),
                                  QStringLiteral("OK")),
             1);
}

QTEST_MAIN(TstDlgMessage)
#include "tst_dlgmessage.moc"
