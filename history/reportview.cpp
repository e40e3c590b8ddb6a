#include "history/reportview.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Room left of the text, so that a selection can start at the first column.
constexpr int textIndent = 2;

} // namespace

ReportView::ReportView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    clear();
}

void ReportView::setPlainText(const QString& text)
{
    m_text = text;
    m_lineStarts.clear();
    m_lineStarts.push_back(0);
    m_longestLine = 0;
    const qsizetype length = m_text.size();
    const QChar* characters = m_text.constData();
    for (qsizetype at = 0; at < length; ++at) {
        if (characters[at] == u'\n') {
            m_longestLine = std::max(m_longestLine, at - m_lineStarts.back());
            m_lineStarts.push_back(at + 1);
        }
    }
    m_longestLine = std::max(m_longestLine, length - m_lineStarts.back());
    // The sentinel: one past the end, as if a line end followed.
    m_lineStarts.push_back(length + 1);
    m_anchor = m_cursor = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void ReportView::clear()
{
    setPlainText(QString());
}

qsizetype ReportView::topLine() const
{
    return verticalScrollBar()->value();
}

QStringView ReportView::line(qsizetype index) const
{
    const qsizetype start = m_lineStarts[static_cast<std::size_t>(index)];
    const qsizetype end = m_lineStarts[static_cast<std::size_t>(index) + 1] - 1;
    return QStringView(m_text).mid(start, end - start);
}

QString ReportView::selectedText() const
{
    const qsizetype from = std::min(m_anchor, m_cursor);
    return m_text.mid(from, std::max(m_anchor, m_cursor) - from);
}

void ReportView::selectAll()
{
    setSelection(0, m_text.size());
}

void ReportView::copy() const
{
    if (m_anchor != m_cursor)
        QGuiApplication::clipboard()->setText(selectedText());
}

void ReportView::setSelection(qsizetype anchor, qsizetype cursor)
{
    m_anchor = anchor;
    m_cursor = cursor;
    viewport()->update();
}

int ReportView::lineHeight() const
{
    return std::max(1, QFontMetrics(font()).lineSpacing());
}

qreal ReportView::columnX(QStringView text, qsizetype column) const
{
    return QFontMetricsF(font()).horizontalAdvance(text.left(column).toString());
}

void ReportView::updateScrollBars()
{
    const int rows = std::max(1, viewport()->height() / lineHeight());
    const auto lines = static_cast<int>(std::min<qsizetype>(lineCount(), INT_MAX));
    verticalScrollBar()->setRange(0, std::max(0, lines - rows));
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setSingleStep(1);
    const qreal advance = QFontMetricsF(font()).horizontalAdvance(u'0');
    const auto textWidth = static_cast<int>(std::ceil(advance * static_cast<qreal>(m_longestLine))) + 2 * textIndent;
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(static_cast<int>(std::ceil(advance)));
}

void ReportView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette colours = palette();
    const int height = lineHeight();
    const int ascent = QFontMetrics(font()).ascent();
    const qreal left = textIndent - horizontalScrollBar()->value();
    const qsizetype selectionFrom = std::min(m_anchor, m_cursor);
    const qsizetype selectionTo = std::max(m_anchor, m_cursor);
    const qsizetype first = topLine();
    const qsizetype last = std::min(lineCount(), first + viewport()->height() / height + 2);
    for (qsizetype index = first; index < last; ++index) {
        const QStringView text = line(index);
        const QString shown = text.toString();
        const int top = static_cast<int>(index - first) * height;
        const qsizetype start = m_lineStarts[static_cast<std::size_t>(index)];
        const qsizetype from = std::clamp(selectionFrom - start, qsizetype(0), text.size() + 1);
        const qsizetype to = std::clamp(selectionTo - start, qsizetype(0), text.size() + 1);
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(QPointF(left, top + ascent), shown);
        if (from == to)
            continue;
        // A selected line end shows as a space's width.
        const qreal x0 = left + columnX(text, from);
        const qreal x1 = left + columnX(text, to)
            + (to > text.size() ? QFontMetricsF(font()).horizontalAdvance(u' ') : 0.0);
        const QRectF band(x0, top, x1 - x0, height);
        painter.fillRect(band, colours.brush(QPalette::Highlight));
        painter.save();
        painter.setClipRect(band);
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(QPointF(left, top + ascent), shown);
        painter.restore();
    }
}

void ReportView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateScrollBars();
}

qsizetype ReportView::offsetAt(QPoint point) const
{
    const qsizetype row = point.y() < 0 ? -1 : point.y() / lineHeight();
    const qsizetype index = topLine() + row;
    if (index < 0)
        return 0;
    if (index >= lineCount())
        return m_text.size();
    const QStringView text = line(index);
    const qreal x = point.x() - textIndent + horizontalScrollBar()->value();
    const QFontMetricsF metrics(font());
    qreal passed = 0;
    for (qsizetype column = 0; column < text.size(); ++column) {
        const qreal advance = metrics.horizontalAdvance(text[column]);
        if (x < passed + advance / 2)
            return m_lineStarts[static_cast<std::size_t>(index)] + column;
        passed += advance;
    }
    return m_lineStarts[static_cast<std::size_t>(index)] + text.size();
}

void ReportView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        // Arrows and page keys scroll, as the scroll area does.
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReportView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype offset = offsetAt(event->position().toPoint());
    setSelection(event->modifiers() & Qt::ShiftModifier ? m_anchor : offset, offset);
    m_selecting = true;
}

void ReportView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting)
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past an edge scrolls on.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    setSelection(m_anchor, offsetAt(point));
}

void ReportView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_selecting)
        return;
    m_selecting = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && m_anchor != m_cursor)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ReportView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(m_anchor != m_cursor);
    connect(copyAction, &QAction::triggered, this, &ReportView::copy);
    QAction* selectAllAction = menu.addAction(tr("Select All"));
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    connect(selectAllAction, &QAction::triggered, this, &ReportView::selectAll);
    menu.exec(event->globalPos());
}
