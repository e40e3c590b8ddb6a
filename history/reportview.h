#pragma once

#include <QAbstractScrollArea>
#include <QString>

#include <vector>

// The report on the history page: read-only plain text that lays out only
// the lines on screen. The text report of ten thousand records is five
// million characters; a text document would lay out and keep every line.
// Text is selected with the mouse (Shift extends) or Ctrl+A and copied with
// Ctrl+C or the context menu. The report's columns assume a fixed-pitch font.
class ReportView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent = nullptr);

    // Shares text (no copy); line ends are "\n".
    void setPlainText(const QString& text);
    void clear();
    const QString& toPlainText() const { return m_text; }
    qsizetype lineCount() const { return static_cast<qsizetype>(m_lineStarts.size()) - 1; }
    // The first line on screen.
    qsizetype topLine() const;

    QString selectedText() const;
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QStringView line(qsizetype index) const;
    // The text offset nearest to a point of the viewport.
    qsizetype offsetAt(QPoint point) const;
    qreal columnX(QStringView text, qsizetype column) const;
    int lineHeight() const;
    void updateScrollBars();
    void setSelection(qsizetype anchor, qsizetype cursor);

    QString m_text;
    // Where each line starts, and one past the end of the text.
    std::vector<qsizetype> m_lineStarts;
    qsizetype m_longestLine = 0;
    qsizetype m_anchor = 0;
    qsizetype m_cursor = 0;
    bool m_selecting = false;
};
