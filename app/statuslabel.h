#pragma once

#include <QLabel>
#include <QString>

// The status line: one styled span of plain text. Its width follows the
// window, not the text: a text too long for the label is cut with an
// ellipsis, and the tool tip then tells all of it.
class StatusLabel : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLabel(QWidget* parent = nullptr);

    // spanStyle: the span's CSS; text: shown as it stands, never as markup.
    void setStatus(const QString& spanStyle, const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showFitting();
    QString markup(const QString& shown) const;
    bool fits(const QString& candidate, int width) const;

    QString m_spanStyle;
    QString m_text;
};
