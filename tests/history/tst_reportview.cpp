// The report viewer: lines counted as the text has them, a mouse drag
// selects the characters under it, Ctrl+A / Ctrl+C copy, and the keys scroll.

#include "history/reportview.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTest>

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

private:
    // The viewport point of a character (line, column): its left half.
    QPoint pointOf(int line, int column) const;
    std::unique_ptr<ReportView> m_view;
};

void TestReportView::init()
{
    m_view = std::make_unique<ReportView>();
    m_view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    m_view->resize(400, 200);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestReportView::cleanup()
{
    m_view.reset();
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
    m_view->setPlainText(QStringLiteral("abcdefg\n1234567\nshort"));
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

QTEST_MAIN(TestReportView)
#include "tst_reportview.moc"
