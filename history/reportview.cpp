#include "history/reportview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <climits>
#include <cmath>
#include <utility>

namespace {

// Room left of the text, so that a selection can start at the first column.
constexpr int textIndent = 2;
constexpr int caretWidth = 1;

// The page gives the view a style sheet for all its children; the find bar
// sets its own so that the report's padding and border stay off its parts.
const QString findBarStyle = QStringLiteral(
    "*{font-family:sans-serif;font-size:12px;font-weight:normal;color:#033921;background-color:#F2F2DC;"
    "border:none;padding:0px}"
    "#findBar{border-bottom:1px dotted #959526}"
    "QLineEdit{background-color:#FFFFFF;border:1px solid #959526;padding:2px 4px}"
    "QPushButton{background-color:#FFFFF5;border:1px solid #959526;padding:2px 10px}"
    "QPushButton:pressed{background-color:#E2E2C0}"
    "#findStatus{color:#A01010;font-weight:bold}");

// Accessibility counts in int; a report stays far below its range.
int accessibleOffset(qsizetype offset)
{
    return static_cast<int>(std::clamp<qsizetype>(offset, INT_MIN, INT_MAX));
}

// A stretch of the report for QAccessibleTextInterface's own boundary rules:
// they run a boundary finder over all of the text they are given, which for
// a long report takes longer than a screen reader should wait.
class TextExcerpt : public QAccessibleTextInterface
{
public:
    explicit TextExcerpt(QString text)
        : m_text(std::move(text))
    {
    }

    QString text(int startOffset, int endOffset) const override
    {
        return m_text.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return accessibleOffset(m_text.size()); }

    // Only the text counts for the boundary rules.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    QString m_text;
};

} // namespace

// What assistive technology reads: the report as read-only text with the
// view's caret and one selection. The accessibility cache owns it.
class ReportViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ReportViewAccessible(ReportView* view)
        : QAccessibleWidget(view, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        state.focusable = true;
        return state;
    }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? view()->toPlainText() : QAccessibleWidget::text(type);
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        const bool selected = selectionIndex == 0 && selectionCount() == 1;
        *startOffset = selected ? accessibleOffset(view()->selectionStart()) : 0;
        *endOffset = selected ? accessibleOffset(view()->selectionEnd()) : 0;
    }
    int selectionCount() const override { return view()->selectionStart() == view()->selectionEnd() ? 0 : 1; }
    // One selection only: another replaces it.
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            view()->setSelection(view()->cursorPosition(), view()->cursorPosition());
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            view()->setSelection(startOffset, endOffset);
    }

    int cursorPosition() const override { return accessibleOffset(view()->cursorPosition()); }
    void setCursorPosition(int position) override
    {
        view()->setSelection(position, position);
        view()->ensureVisible(view()->cursorPosition());
    }

    QString text(int startOffset, int endOffset) const override
    {
        const QString& all = view()->toPlainText();
        const qsizetype from = std::clamp<qsizetype>(startOffset, 0, all.size());
        // -1: to the end.
        const qsizetype to = endOffset < 0 ? all.size() : std::clamp<qsizetype>(endOffset, from, all.size());
        return all.mid(from, to - from);
    }
    int characterCount() const override { return accessibleOffset(view()->toPlainText().size()); }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override
    {
        return boundaryText(&QAccessibleTextInterface::textBeforeOffset, offset, boundaryType, startOffset,
                            endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override
    {
        return boundaryText(&QAccessibleTextInterface::textAfterOffset, offset, boundaryType, startOffset,
                            endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override
    {
        return boundaryText(&QAccessibleTextInterface::textAtOffset, offset, boundaryType, startOffset,
                            endOffset);
    }

    QRect characterRect(int offset) const override
    {
        if (offset < 0 || offset > characterCount())
            return {};
        const QWidget* viewport = view()->viewport();
        return view()->characterBox(offset).toAlignedRect().translated(viewport->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        return view()->viewport()->rect().contains(local) ? accessibleOffset(view()->offsetAt(local)) : -1;
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        view()->ensureVisible(std::clamp<qsizetype>(endIndex, 0, characterCount()));
        view()->ensureVisible(std::clamp<qsizetype>(startIndex, 0, characterCount()));
    }
    // The report has one look throughout.
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    using BoundaryQuery = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;

    ReportView* view() const { return static_cast<ReportView*>(widget()); }

    // Lines are found by searching for line ends, which stays near the offset;
    // characters, words and sentences are looked for in the offset's line and
    // its neighbours.
    QString boundaryText(BoundaryQuery query, int offset, QAccessible::TextBoundaryType boundaryType,
                         int* startOffset, int* endOffset) const
    {
        const ReportView* report = view();
        const qsizetype length = report->toPlainText().size();
        qsizetype from = 0;
        qsizetype to = length;
        const bool local = boundaryType == QAccessible::CharBoundary || boundaryType == QAccessible::WordBoundary
            || boundaryType == QAccessible::SentenceBoundary;
        if (local) {
            const qsizetype row = report->lineOf(offset == -1 ? length : std::clamp<qsizetype>(offset, 0, length));
            from = report->lineStart(std::max<qsizetype>(row - 1, 0));
            to = std::min(length, report->lineStart(std::min(row + 2, report->lineCount())));
            if (offset == -1)
                offset = accessibleOffset(length);
        }
        const TextExcerpt excerpt(report->toPlainText().mid(from, to - from));
        const QString found = (excerpt.*query)(accessibleOffset(offset - from), boundaryType, startOffset, endOffset);
        if (*startOffset >= 0) {
            *startOffset += accessibleOffset(from);
            *endOffset += accessibleOffset(from);
        }
        return found;
    }
};

namespace {

QAccessibleInterface* reportViewAccessible(const QString& className, QObject* object)
{
    auto* view = qobject_cast<ReportView*>(object);
    if (!view || className != QLatin1String(ReportView::staticMetaObject.className()))
        return nullptr;
    // QAccessible keeps it in its cache and deletes it with the view.
    return new ReportViewAccessible(view);
}

void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(reportViewAccessible);
        return true;
    }();
    Q_UNUSED(installed)
}

} // namespace

ReportView::ReportView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    installAccessibleFactory();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    clear();
}

void ReportView::setPlainText(const QString& text)
{
    const QString oldText = std::exchange(m_text, text);
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
    m_goalColumn = -1;
    if (m_findStatus)
        m_findStatus->clear();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    announceText(oldText);
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
    const qsizetype start = lineStart(index);
    return QStringView(m_text).mid(start, lineStart(index + 1) - 1 - start);
}

qsizetype ReportView::lineOf(qsizetype offset) const
{
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return std::clamp<qsizetype>(after - m_lineStarts.begin() - 1, 0, lineCount() - 1);
}

QString ReportView::selectedText() const
{
    return m_text.mid(selectionStart(), selectionEnd() - selectionStart());
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
    const qsizetype oldStart = selectionStart();
    const qsizetype oldEnd = selectionEnd();
    const qsizetype oldCursor = m_cursor;
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_text.size());
    m_cursor = std::clamp<qsizetype>(cursor, 0, m_text.size());
    m_goalColumn = -1;
    viewport()->update();
    announceSelection(oldStart, oldEnd, oldCursor);
}

// Unless a screen reader listens, Qt drops the events after making the
// accessible interface for them.
void ReportView::announceSelection(qsizetype oldStart, qsizetype oldEnd, qsizetype oldCursor)
{
    if (!QAccessible::isActive())
        return;
    const bool hadSelection = oldStart != oldEnd;
    const bool hasSelection = selectionStart() != selectionEnd();
    if ((hadSelection || hasSelection) && (oldStart != selectionStart() || oldEnd != selectionEnd())) {
        QAccessibleTextSelectionEvent event(this, accessibleOffset(selectionStart()),
                                            accessibleOffset(selectionEnd()));
        event.setCursorPosition(accessibleOffset(m_cursor));
        QAccessible::updateAccessibility(&event);
    } else if (oldCursor != m_cursor) {
        QAccessibleTextCursorEvent event(this, accessibleOffset(m_cursor));
        QAccessible::updateAccessibility(&event);
    }
}

void ReportView::announceText(const QString& oldText)
{
    if (!QAccessible::isActive() || (oldText.isEmpty() && m_text.isEmpty()))
        return;
    QAccessibleTextUpdateEvent event(this, 0, oldText, m_text);
    event.setCursorPosition(accessibleOffset(m_cursor));
    QAccessible::updateAccessibility(&event);
}

int ReportView::lineHeight() const
{
    return std::max(1, QFontMetrics(font()).lineSpacing());
}

int ReportView::visibleRows() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

qreal ReportView::columnX(QStringView text, qsizetype column) const
{
    return QFontMetricsF(font()).horizontalAdvance(text.left(column).toString());
}

QRectF ReportView::characterBox(qsizetype offset) const
{
    const qsizetype row = lineOf(offset);
    const QStringView text = line(row);
    const qsizetype column = std::clamp<qsizetype>(offset - lineStart(row), 0, text.size());
    const QFontMetricsF metrics(font());
    // A line end is as wide as a space.
    const qreal width = metrics.horizontalAdvance(column < text.size() ? text[column] : QChar(u' '));
    const qreal x = textIndent - horizontalScrollBar()->value() + columnX(text, column);
    return QRectF(x, static_cast<qreal>((row - topLine()) * lineHeight()), width, lineHeight());
}

void ReportView::updateScrollBars()
{
    const int rows = visibleRows();
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
    const qsizetype first = topLine();
    const qsizetype last = std::min(lineCount(), first + viewport()->height() / height + 2);
    for (qsizetype index = first; index < last; ++index) {
        const QStringView text = line(index);
        const QString shown = text.toString();
        const int top = static_cast<int>(index - first) * height;
        const qsizetype start = lineStart(index);
        const qsizetype from = std::clamp(selectionStart() - start, qsizetype(0), text.size() + 1);
        const qsizetype to = std::clamp(selectionEnd() - start, qsizetype(0), text.size() + 1);
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
    paintCaret(painter);
}

// A caret that does not blink: a blinking one would wake the idle window.
void ReportView::paintCaret(QPainter& painter) const
{
    if (!hasFocus())
        return;
    const QRectF box = characterBox(m_cursor);
    if (box.bottom() < 0 || box.top() > viewport()->height())
        return;
    painter.fillRect(QRectF(box.left(), box.top(), caretWidth, box.height()), palette().color(QPalette::Text));
}

void ReportView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    placeFindBar();
}

void ReportView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateScrollBars();
        placeFindBar();
    }
}

void ReportView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ReportView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
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
            return lineStart(index) + column;
        passed += advance;
    }
    return lineStart(index) + text.size();
}

void ReportView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::Find)) {
        showFindBar();
    } else if (findBarKey(event, false) || moveByKey(event)) {
        return;
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool ReportView::moveByKey(const QKeyEvent* event)
{
    struct KeyMotion {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        Motion motion;
    };
    static constexpr KeyMotion keyMotions[] = {
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Motion::PreviousCharacter},
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Motion::NextCharacter},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Motion::PreviousLine},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Motion::NextLine},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Motion::PreviousPage},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Motion::NextPage},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Motion::LineStart},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Motion::LineEnd},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Motion::DocumentStart},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Motion::DocumentEnd},
    };
    for (const KeyMotion& keyMotion : keyMotions) {
        const bool extend = event->matches(keyMotion.select);
        if (extend || event->matches(keyMotion.move)) {
            moveCursor(keyMotion.motion, extend);
            return true;
        }
    }
    return false;
}

void ReportView::moveCursor(Motion motion, bool extend)
{
    const bool vertical = motion == Motion::PreviousLine || motion == Motion::NextLine
        || motion == Motion::PreviousPage || motion == Motion::NextPage;
    const qsizetype column = m_goalColumn >= 0 ? m_goalColumn : m_cursor - lineStart(lineOf(m_cursor));
    const qsizetype target = motionTarget(motion, extend, column);
    // A page key turns the page and keeps the caret's place on screen.
    if (motion == Motion::PreviousPage || motion == Motion::NextPage)
        verticalScrollBar()->setValue(verticalScrollBar()->value()
                                      + (motion == Motion::NextPage ? visibleRows() : -visibleRows()));
    setSelection(extend ? m_anchor : target, target);
    if (vertical)
        m_goalColumn = column;
    ensureVisible(m_cursor);
}

qsizetype ReportView::motionTarget(Motion motion, bool extend, qsizetype column) const
{
    const qsizetype row = lineOf(m_cursor);
    // An arrow without Shift leaves a selection at its end on that side.
    const bool collapse = !extend && m_anchor != m_cursor;
    switch (motion) {
    case Motion::PreviousCharacter:
        return collapse ? selectionStart() : std::max<qsizetype>(0, m_cursor - 1);
    case Motion::NextCharacter:
        return collapse ? selectionEnd() : std::min(m_text.size(), m_cursor + 1);
    case Motion::PreviousLine:
        return offsetInLine(row - 1, column);
    case Motion::NextLine:
        return offsetInLine(row + 1, column);
    case Motion::PreviousPage:
        return offsetInLine(row - visibleRows(), column);
    case Motion::NextPage:
        return offsetInLine(row + visibleRows(), column);
    case Motion::LineStart:
        return lineStart(row);
    case Motion::LineEnd:
        return lineStart(row) + line(row).size();
    case Motion::DocumentStart:
        return 0;
    case Motion::DocumentEnd:
        return m_text.size();
    }
    return m_cursor;
}

qsizetype ReportView::offsetInLine(qsizetype index, qsizetype column) const
{
    const qsizetype row = std::clamp<qsizetype>(index, 0, lineCount() - 1);
    return lineStart(row) + std::min(column, line(row).size());
}

void ReportView::ensureVisible(qsizetype offset)
{
    const qsizetype row = lineOf(offset);
    QScrollBar* vertical = verticalScrollBar();
    if (row < topLine())
        vertical->setValue(static_cast<int>(row));
    else if (row >= topLine() + visibleRows())
        vertical->setValue(static_cast<int>(row - visibleRows() + 1));
    // Scrolled so that the character's left edge and the caret fit.
    const qreal x = columnX(line(row), offset - lineStart(row));
    QScrollBar* horizontal = horizontalScrollBar();
    const int width = viewport()->width() - textIndent - caretWidth;
    if (x < horizontal->value())
        horizontal->setValue(static_cast<int>(std::floor(x)));
    else if (x > horizontal->value() + width)
        horizontal->setValue(static_cast<int>(std::ceil(x)) - width);
}

bool ReportView::find(const QString& text, FindDirection direction)
{
    if (text.isEmpty())
        return false;
    const qsizetype at = direction == FindDirection::Forward ? nextMatch(text) : previousMatch(text);
    if (at < 0)
        return false;
    setSelection(at, at + text.size());
    // A match off screen comes to the middle, with the lines around it.
    const qsizetype row = lineOf(at);
    if (row < topLine() || row >= topLine() + visibleRows())
        verticalScrollBar()->setValue(static_cast<int>(row - visibleRows() / 2));
    ensureVisible(at + text.size());
    ensureVisible(at);
    return true;
}

qsizetype ReportView::nextMatch(const QString& text) const
{
    const qsizetype at = m_text.indexOf(text, selectionEnd(), Qt::CaseInsensitive);
    return at >= 0 ? at : m_text.indexOf(text, 0, Qt::CaseInsensitive);
}

qsizetype ReportView::previousMatch(const QString& text) const
{
    // A negative start counts from the end, so the first character is looked at alone.
    const qsizetype before = selectionStart() - 1;
    const qsizetype at = before >= 0 ? m_text.lastIndexOf(text, before, Qt::CaseInsensitive) : -1;
    return at >= 0 ? at : m_text.lastIndexOf(text, Qt::CaseInsensitive);
}

void ReportView::showFindBar()
{
    if (!m_findBar)
        createFindBar();
    m_findBar->show();
    placeFindBar();
    m_findText->selectAll();
    m_findText->setFocus(Qt::ShortcutFocusReason);
}

void ReportView::createFindBar()
{
    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("findBar"));
    m_findBar->setAttribute(Qt::WA_StyledBackground);
    m_findBar->setStyleSheet(findBarStyle);
    auto* layout = new QHBoxLayout(m_findBar);
    layout->setContentsMargins(4, 3, 4, 3);
    auto* label = new QLabel(tr("Find:"), m_findBar);
    layout->addWidget(label);
    m_findText = new QLineEdit(m_findBar);
    m_findText->setObjectName(QStringLiteral("findText"));
    m_findText->installEventFilter(this);
    label->setBuddy(m_findText);
    // Room for a label of the report; it keeps its width when "Not found" comes and goes.
    m_findText->ensurePolished();
    m_findText->setFixedWidth(m_findText->fontMetrics().averageCharWidth() * 36);
    layout->addWidget(m_findText);
    connect(addFindButton(tr("Next"), QStringLiteral("findNext")), &QPushButton::clicked, this,
            [this] { findFromBar(FindDirection::Forward); });
    connect(addFindButton(tr("Previous"), QStringLiteral("findPrevious")), &QPushButton::clicked, this,
            [this] { findFromBar(FindDirection::Backward); });
    connect(addFindButton(tr("Close"), QStringLiteral("findClose")), &QPushButton::clicked, this,
            &ReportView::hideFindBar);
    m_findStatus = new QLabel(m_findBar);
    m_findStatus->setObjectName(QStringLiteral("findStatus"));
    layout->addWidget(m_findStatus);
    layout->addStretch();
    connect(m_findText, &QLineEdit::textEdited, m_findStatus, &QLabel::clear);
}

// A click leaves the typing in the field; Tab still reaches the button.
QPushButton* ReportView::addFindButton(const QString& text, const QString& name)
{
    auto* button = new QPushButton(text, m_findBar);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::TabFocus);
    m_findBar->layout()->addWidget(button);
    return button;
}

// Above the text, in room the viewport leaves.
void ReportView::placeFindBar()
{
    if (!m_findBar)
        return;
    const int height = m_findBar->isHidden() ? 0 : m_findBar->sizeHint().height();
    if (viewportMargins().top() != height)
        setViewportMargins(0, height, 0, 0);
    const QRect area = viewport()->geometry();
    m_findBar->setGeometry(area.left(), area.top() - height, area.width(), height);
}

void ReportView::hideFindBar()
{
    m_findBar->hide();
    m_findStatus->clear();
    placeFindBar();
    setFocus(Qt::OtherFocusReason);
}

void ReportView::findFromBar(FindDirection direction)
{
    const QString text = m_findText->text();
    m_findStatus->setText(text.isEmpty() || find(text, direction) ? QString() : tr("Not found"));
}

// Enter finds on (with Shift back) and Escape closes, in the field; F3 and
// Escape also in the text while the bar is open.
bool ReportView::findBarKey(const QKeyEvent* event, bool inField)
{
    if (!m_findBar || m_findBar->isHidden())
        return false;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Escape) {
        hideFindBar();
    } else if ((inField && enter && (event->modifiers() & Qt::ShiftModifier))
               || event->matches(QKeySequence::FindPrevious)) {
        findFromBar(FindDirection::Backward);
    } else if ((inField && enter) || event->matches(QKeySequence::FindNext)) {
        findFromBar(FindDirection::Forward);
    } else {
        return false;
    }
    return true;
}

bool ReportView::eventFilter(QObject* watched, QEvent* event)
{
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (watched != m_findText || !key)
        return QAbstractScrollArea::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int pressed = keyEvent->key();
    if (pressed != Qt::Key_Escape && pressed != Qt::Key_Return && pressed != Qt::Key_Enter)
        return false;
    // A window shortcut on these keys must not take them from the field.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return findBarKey(keyEvent, true);
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
