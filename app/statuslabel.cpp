#include "app/statuslabel.h"

#include <QTextDocument>

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::RichText);
}

void StatusLabel::setStatus(const QString& spanStyle, const QString& text)
{
    m_spanStyle = spanStyle;
    m_text = text;
    showFitting();
}

void StatusLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showFitting();
}

void StatusLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    showFitting();
}

// A hidden label has no width of its own yet: it keeps the whole text.
void StatusLabel::showFitting()
{
    const int width = contentsRect().width() - 2 * margin();
    if (!isVisible() || fits(markup(m_text), width)) {
        setText(markup(m_text));
        setToolTip(QString());
        return;
    }
    // The longest beginning that fits with the ellipsis.
    const QChar ellipsis(0x2026);
    qsizetype shortEnough = 0;
    qsizetype tooLong = m_text.size();
    while (tooLong - shortEnough > 1) {
        const qsizetype middle = shortEnough + (tooLong - shortEnough) / 2;
        if (fits(markup(m_text.left(middle) + ellipsis), width))
            shortEnough = middle;
        else
            tooLong = middle;
    }
    setText(markup(m_text.left(shortEnough) + ellipsis));
    setToolTip(m_text);
}

QString StatusLabel::markup(const QString& shown) const
{
    return QLatin1String("<span style=\"") + m_spanStyle + QLatin1String("\">") + shown.toHtmlEscaped()
        + QLatin1String("</span>");
}

// Measured as the label lays out rich text: its font, no document margin.
bool StatusLabel::fits(const QString& candidate, int width) const
{
    QTextDocument document;
    document.setDefaultFont(font());
    document.setDocumentMargin(0);
    document.setHtml(candidate);
    return document.idealWidth() <= width;
}
