// The report viewer: lines counted as the text has them, a mouse drag or
// Shift with the movement keys selects, Ctrl+A / Ctrl+C copy, the keys move
// the caret and scroll, Ctrl+F finds, and a screen reader reads the report.

#include "history/reportview.h"
#include "wrenchreports.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// Matches in any case, with enough lines between them that one is off screen.
QString findText()
{
    QString text = QStringLiteral("Torque OK\nangle nOK\n");
    for (int line = 0; line < 200; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    return text + QStringLiteral("TORQUE ok\ntorque");
}

const QString threeLines = QStringLiteral("abcdefg\n1234567\nshort");

} // namespace

class TestReportView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineCount_data();
    void lineCount();
    void dragSelects_data();
    void dragSelects();
    void copyAndKeys();
    void keysSelect_data();
    void keysSelect();
    void pageKeys();
    void accessibleReport_data();
    void accessibleReport();
    void accessibleBoundaries_data();
    void accessibleBoundaries();
    void accessibleSelection();
    void find_data();
    void find();
    void findBarCloses_data();
    void findBarCloses();

private:
    // The viewport point of a character (line, column): its left half.
    QPoint pointOf(int line, int column) const;
    void clickAt(int line, int column);
    QAccessibleTextInterface* textInterface() const;
    template<typename Part>
    Part* findBarPart(const char* name) const;
    std::unique_ptr<ReportView> m_view;
};

void TestReportView::init()
{
    m_view = std::make_unique<ReportView>();
    m_view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    m_view->resize(400, 200);
    m_view->show();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
}

void TestReportView::cleanup()
{
    m_view.reset();
}

void TestReportView::clickAt(int line, int column)
{
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, pointOf(line, column));
}

QAccessibleTextInterface* TestReportView::textInterface() const
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_view.get());
    return accessible ? accessible->textInterface() : nullptr;
}

template<typename Part>
Part* TestReportView::findBarPart(const char* name) const
{
    return m_view->findChild<Part*>(QString::fromLatin1(name));
}

QPoint TestReportView::pointOf(int line, int column) const
{
    const QFontMetricsF metrics(m_view->font());
    const qreal advance = metrics.horizontalAdvance(u'0');
    // 2 px of indent, then a quarter into the character.
    return QPointF(2 + (column + 0.25) * advance, (line + 0.5) * QFontMetrics(m_view->font()).lineSpacing())
        .toPoint();
}

void TestReportView::lineCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("one line") << QStringLiteral("abc") << 1;
    QTest::newRow("line end last") << QStringLiteral("abc\n") << 2;
    QTest::newRow("blank lines") << QStringLiteral("\n\n\nx") << 4;
}

void TestReportView::lineCount()
{
    QFETCH(QString, text);
    QFETCH(int, lines);
    m_view->setPlainText(text);
    QCOMPARE(m_view->lineCount(), lines);
    QCOMPARE(m_view->toPlainText(), text);
    m_view->selectAll();
    QCOMPARE(m_view->selectedText(), text);
}

void TestReportView::dragSelects_data()
{
    QTest::addColumn<QPoint>("from"); // (column, line)
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("selected");
    QTest::newRow("within a line") << QPoint(2, 0) << QPoint(5, 0) << QStringLiteral("cde");
    QTest::newRow("backwards") << QPoint(5, 0) << QPoint(2, 0) << QStringLiteral("cde");
    QTest::newRow("across lines") << QPoint(6, 0) << QPoint(2, 1) << QStringLiteral("g\n12");
    QTest::newRow("past a line's end") << QPoint(1, 2) << QPoint(30, 2) << QStringLiteral("hort");
    QTest::newRow("below the last line") << QPoint(0, 2) << QPoint(3, 9) << QStringLiteral("short");
}

void TestReportView::dragSelects()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, selected);
    m_view->setPlainText(threeLines);
    QWidget* area = m_view->viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, pointOf(from.y(), from.x()));
    QTest::mouseMove(area, pointOf(to.y(), to.x()));
    QTest::mouseRelease(area, Qt::LeftButton, {}, pointOf(to.y(), to.x()));
    QCOMPARE(m_view->selectedText(), selected);
}

void TestReportView::copyAndKeys()
{
    QString text;
    for (int line = 0; line < 500; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    m_view->setPlainText(text);
    QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_view->topLine(), m_view->verticalScrollBar()->maximum());
    QVERIFY(m_view->topLine() > 480);
    QTest::keyClick(m_view.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(m_view->topLine(), 0);
    QTest::keyClick(m_view.get(), Qt::Key_PageDown);
    QCOMPARE(m_view->topLine(), m_view->verticalScrollBar()->pageStep());

    QApplication::clipboard()->clear();
    QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), text);
    // A new report drops the old selection.
    m_view->setPlainText(QStringLiteral("new"));
    QCOMPARE(m_view->selectedText(), QString());
}

void TestReportView::keysSelect_data()
{
    QTest::addColumn<QPoint>("caret"); // (column, line), placed by a click
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("selected");
    QTest::newRow("shift+right") << QPoint(6, 0) << QStringLiteral("Shift+Right, Shift+Right") << QStringLiteral("g\n");
    QTest::newRow("shift+left") << QPoint(2, 0) << QStringLiteral("Shift+Left, Shift+Left") << QStringLiteral("ab");
    QTest::newRow("shift+down") << QPoint(2, 0) << QStringLiteral("Shift+Down") << QStringLiteral("cdefg\n12");
    QTest::newRow("shift+up") << QPoint(3, 1) << QStringLiteral("Shift+Up") << QStringLiteral("defg\n123");
    QTest::newRow("the column kept over a shorter line")
        << QPoint(6, 0) << QStringLiteral("Shift+Down, Shift+Down, Shift+Up") << QStringLiteral("g\n123456");
    QTest::newRow("shift+end") << QPoint(2, 0) << QStringLiteral("Shift+End") << QStringLiteral("cdefg");
    QTest::newRow("shift+home") << QPoint(4, 1) << QStringLiteral("Shift+Home") << QStringLiteral("1234");
    QTest::newRow("ctrl+shift+end") << QPoint(2, 1) << QStringLiteral("Ctrl+Shift+End") << QStringLiteral("34567\nshort");
    QTest::newRow("ctrl+shift+home") << QPoint(2, 1) << QStringLiteral("Ctrl+Shift+Home")
                                     << QStringLiteral("abcdefg\n12");
    QTest::newRow("moved, then selected") << QPoint(2, 0) << QStringLiteral("Right, Down, Shift+End")
                                          << QStringLiteral("4567");
    QTest::newRow("an arrow leaves a selection at its end")
        << QPoint(0, 0) << QStringLiteral("Shift+Right, Shift+Right, Right, Shift+Right") << QStringLiteral("c");
    QTest::newRow("nothing before the start") << QPoint(0, 0) << QStringLiteral("Left, Up, Shift+Right")
                                              << QStringLiteral("a");
}

void TestReportView::keysSelect()
{
    QFETCH(QPoint, caret);
    QFETCH(QString, keys);
    QFETCH(QString, selected);
    m_view->setPlainText(threeLines);
    clickAt(caret.y(), caret.x());
    QTest::keySequence(m_view.get(), QKeySequence(keys));
    QCOMPARE(m_view->selectedText(), selected);
}

void TestReportView::pageKeys()
{
    QString text;
    for (int line = 0; line < 500; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    m_view->setPlainText(text);
    const int rows = m_view->verticalScrollBar()->pageStep();
    QTest::keyClick(m_view.get(), Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(m_view->selectedText(), text.section(u'\n', 0, rows - 1) + u'\n');
    QCOMPARE(m_view->topLine(), rows);
    QTest::keyClick(m_view.get(), Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(m_view->selectedText(), QString());
    QCOMPARE(m_view->topLine(), 0);
    // The caret stays on screen.
    for (int line = 0; line < rows; ++line)
        QTest::keyClick(m_view.get(), Qt::Key_Down);
    QCOMPARE(m_view->topLine(), 1);
}

void TestReportView::accessibleReport_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("historyMode");
    QTest::addColumn<QChar>("separator");
    QTest::newRow("every kind of record") << wrench::history::DefaultCount << 2 << QChar(u',');
    QTest::newRow("a long history") << 2000 << 3 << QChar(u'.');
}

// As a screen reader reads it.
void TestReportView::accessibleReport()
{
    QFETCH(int, records);
    QFETCH(int, historyMode);
    QFETCH(QChar, separator);
    const QString report =
        testsupport::wrenchReports(records, historyMode, separator, QDateTime::currentDateTime(), QString()).text;
    m_view->setPlainText(report);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_view.get());
    QVERIFY(accessible);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(0, text->characterCount()), report);
    QCOMPARE(accessible->text(QAccessible::Value), report);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QVERIFY(accessible->state().readOnly);
}

void TestReportView::accessibleBoundaries_data()
{
    QTest::addColumn<int>("boundary");
    QTest::addColumn<int>("side"); // -1 before, 0 at, 1 after the offset
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("found");
    QTest::addColumn<int>("start");
    const int line = QAccessible::LineBoundary;
    const int character = QAccessible::CharBoundary;
    QTest::newRow("line at") << line << 0 << 5 << QStringLiteral("de\n") << 4;
    QTest::newRow("line before") << line << -1 << 5 << QStringLiteral("abc\n") << 0;
    QTest::newRow("line after") << line << 1 << 5 << QStringLiteral("\n") << 7;
    QTest::newRow("last line") << line << 0 << 9 << QStringLiteral("xyz") << 8;
    QTest::newRow("character at") << character << 0 << 1 << QStringLiteral("b") << 1;
    QTest::newRow("character before a line") << character << -1 << 4 << QStringLiteral("\n") << 3;
    QTest::newRow("character after") << character << 1 << 9 << QStringLiteral("z") << 10;
    QTest::newRow("word at") << int(QAccessible::WordBoundary) << 0 << 9 << QStringLiteral("xyz") << 8;
}

void TestReportView::accessibleBoundaries()
{
    QFETCH(int, boundary);
    QFETCH(int, side);
    QFETCH(int, offset);
    QFETCH(QString, found);
    QFETCH(int, start);
    m_view->setPlainText(QStringLiteral("abc\nde\n\nxyz"));
    QAccessibleTextInterface* text = textInterface();
    QVERIFY(text);
    const auto type = static_cast<QAccessible::TextBoundaryType>(boundary);
    int from = -1;
    int to = -1;
    const QString answer = side < 0   ? text->textBeforeOffset(offset, type, &from, &to)
                           : side > 0 ? text->textAfterOffset(offset, type, &from, &to)
                                      : text->textAtOffset(offset, type, &from, &to);
    QCOMPARE(answer, found);
    QCOMPARE(QPoint(from, to), QPoint(start, start + static_cast<int>(found.size())));
}

void TestReportView::accessibleSelection()
{
    m_view->setPlainText(QStringLiteral("abc\nde\n\nxyz"));
    QAccessibleTextInterface* text = textInterface();
    QVERIFY(text);
    text->setSelection(0, 4, 6);
    QCOMPARE(m_view->selectedText(), QStringLiteral("de"));
    QCOMPARE(text->selectionCount(), 1);
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(QPoint(start, end), QPoint(4, 6));
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);
    QCOMPARE(m_view->selectedText(), QString());
    text->addSelection(8, 11);
    QCOMPARE(m_view->selectedText(), QStringLiteral("xyz"));

    text->setCursorPosition(9);
    QCOMPARE(text->cursorPosition(), 9);
    QCOMPARE(m_view->cursorPosition(), 9);
    QCOMPARE(text->offsetAtPoint(text->characterRect(9).center()), 9);
    // Outside the text: nothing, and no crash.
    QVERIFY(text->characterRect(-1).isEmpty());
    QVERIFY(text->characterRect(12).isEmpty());
    QCOMPARE(text->offsetAtPoint(m_view->mapToGlobal(QPoint(-50, -50))), -1);
}

void TestReportView::find_data()
{
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("steps"); // n/p: Enter/Shift+Enter, N/P: the buttons
    QTest::addColumn<int>("at");        // -1: nothing selected
    const QString text = findText();
    const auto third = static_cast<int>(text.indexOf(QStringLiteral("TORQUE")));
    const auto last = static_cast<int>(text.lastIndexOf(QStringLiteral("torque")));
    QTest::newRow("first") << QStringLiteral("torque") << QStringLiteral("n") << 0;
    QTest::newRow("next, any case") << QStringLiteral("torque") << QStringLiteral("nn") << third;
    QTest::newRow("on from the start after the end") << QStringLiteral("torque") << QStringLiteral("nnnn") << 0;
    QTest::newRow("previous from the start: the last") << QStringLiteral("torque") << QStringLiteral("p") << last;
    QTest::newRow("previous") << QStringLiteral("torque") << QStringLiteral("nnp") << 0;
    QTest::newRow("buttons") << QStringLiteral("ok") << QStringLiteral("NNNP") << 17;
    QTest::newRow("off screen") << QStringLiteral("line 150") << QStringLiteral("N")
                                << static_cast<int>(text.indexOf(QStringLiteral("line 150")));
    QTest::newRow("not found") << QStringLiteral("wrench") << QStringLiteral("n") << -1;
    QTest::newRow("not found, previous") << QStringLiteral("wrench") << QStringLiteral("P") << -1;
}

void TestReportView::find()
{
    QFETCH(QString, wanted);
    QFETCH(QString, steps);
    QFETCH(int, at);
    const QString text = findText();
    m_view->setPlainText(text);
    QTest::keyClick(m_view.get(), Qt::Key_F, Qt::ControlModifier);
    auto* field = findBarPart<QLineEdit>("findText");
    QVERIFY(field);
    QTest::keyClicks(field, wanted);
    for (const QChar step : steps) {
        if (step == u'n' || step == u'p')
            QTest::keyClick(field, Qt::Key_Return, step == u'p' ? Qt::ShiftModifier : Qt::NoModifier);
        else
            QTest::mouseClick(findBarPart<QPushButton>(step == u'N' ? "findNext" : "findPrevious"), Qt::LeftButton);
    }
    QCOMPARE(findBarPart<QLabel>("findStatus")->text(), at < 0 ? QStringLiteral("Not found") : QString());
    QCOMPARE(m_view->selectedText().toLower(), at < 0 ? QString() : wanted);
    if (at < 0)
        return;
    QCOMPARE(m_view->selectionStart(), at);
    const qsizetype line = text.left(at).count(u'\n');
    QVERIFY(line >= m_view->topLine() && line < m_view->topLine() + m_view->verticalScrollBar()->pageStep());
}

void TestReportView::findBarCloses_data()
{
    QTest::addColumn<bool>("escape"); // else the Close button
    QTest::newRow("escape") << true;
    QTest::newRow("close button") << false;
}

// The text gets back the room and the keys.
void TestReportView::findBarCloses()
{
    QFETCH(bool, escape);
    m_view->setPlainText(findText());
    const int rows = m_view->verticalScrollBar()->pageStep();
    QTest::keyClick(m_view.get(), Qt::Key_F, Qt::ControlModifier);
    auto* field = findBarPart<QLineEdit>("findText");
    QVERIFY(field);
    QVERIFY(m_view->verticalScrollBar()->pageStep() < rows);
    if (escape)
        QTest::keyClick(field, Qt::Key_Escape);
    else
        QTest::mouseClick(findBarPart<QPushButton>("findClose"), Qt::LeftButton);
    QVERIFY(!field->isVisible());
    QVERIFY(m_view->hasFocus());
    QCOMPARE(m_view->verticalScrollBar()->pageStep(), rows);
}

QTEST_MAIN(TestReportView)
#include "tst_reportview.moc"
