#pragma once

#include <QAbstractScrollArea>
#include <QString>

#include <algorithm>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

// The report on the history page: read-only plain text that lays out only
// the lines on screen. The text report of ten thousand records is five
// million characters; a text document would lay out and keep every line.
// Text is selected with the mouse or from the caret with Shift and the
// arrow, page, Home and End keys, or with Ctrl+A, and copied with Ctrl+C or
// the context menu; Ctrl+F opens a find bar above the text. Assistive
// technology reads the text, caret and selection through an accessible text
// interface. The report's columns assume a fixed-pitch font.
class ReportView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum class FindDirection { Forward, Backward };

    explicit ReportView(QWidget* parent = nullptr);

    // Shares text (no copy); line ends are "\n".
    void setPlainText(const QString& text);
    void clear();
    const QString& toPlainText() const { return m_text; }
    qsizetype lineCount() const { return static_cast<qsizetype>(m_lineStarts.size()) - 1; }
    // The first line on screen.
    qsizetype topLine() const;

    QString selectedText() const;
    qsizetype selectionStart() const { return std::min(m_anchor, m_cursor); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_cursor); }
    // The caret: the end of the selection that moves.
    qsizetype cursorPosition() const { return m_cursor; }
    // Offsets outside the text are taken as its nearest end.
    void setSelection(qsizetype anchor, qsizetype cursor);
    void selectAll();
    void copy() const;

    // Selects the next occurrence of text after the selection (or the last
    // one before it), ignoring case and going on from the other end of the
    // report, and scrolls to it; false when the report holds none.
    bool find(const QString& text, FindDirection direction);
    void showFindBar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class ReportViewAccessible;

    enum class Motion {
        PreviousCharacter,
        NextCharacter,
        PreviousLine,
        NextLine,
        PreviousPage,
        NextPage,
        LineStart,
        LineEnd,
        DocumentStart,
        DocumentEnd
    };

    QStringView line(qsizetype index) const;
    qsizetype lineStart(qsizetype index) const { return m_lineStarts[static_cast<std::size_t>(index)]; }
    // The line that holds a text offset.
    qsizetype lineOf(qsizetype offset) const;
    // The text offset nearest to a point of the viewport.
    qsizetype offsetAt(QPoint point) const;
    // Where a character (or the caret before it) is, in viewport coordinates.
    QRectF characterBox(qsizetype offset) const;
    qreal columnX(QStringView text, qsizetype column) const;
    int lineHeight() const;
    int visibleRows() const;
    void updateScrollBars();
    void paintCaret(QPainter& painter) const;
    void announceSelection(qsizetype oldStart, qsizetype oldEnd, qsizetype oldCursor);
    void announceText(const QString& oldText);

    bool moveByKey(const QKeyEvent* event);
    void moveCursor(Motion motion, bool extend);
    qsizetype motionTarget(Motion motion, bool extend, qsizetype column) const;
    // The offset at a column of a line, both kept inside the text.
    qsizetype offsetInLine(qsizetype index, qsizetype column) const;
    void ensureVisible(qsizetype offset);

    qsizetype nextMatch(const QString& text) const;
    qsizetype previousMatch(const QString& text) const;
    void createFindBar();
    QPushButton* addFindButton(const QString& text, const QString& name);
    void placeFindBar();
    void hideFindBar();
    void findFromBar(FindDirection direction);
    bool findBarKey(const QKeyEvent* event, bool inField);

    QString m_text;
    // Where each line starts, and one past the end of the text.
    std::vector<qsizetype> m_lineStarts;
    qsizetype m_longestLine = 0;
    qsizetype m_anchor = 0;
    qsizetype m_cursor = 0;
    // The column that moves up and down keep across shorter lines; -1: the caret's.
    qsizetype m_goalColumn = -1;
    bool m_selecting = false;
    // Made on the first Ctrl+F; children of this view.
    QWidget* m_findBar = nullptr;
    QLineEdit* m_findText = nullptr;
    QLabel* m_findStatus = nullptr;
};
