#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPalette>
#include <QPixmap>
#include <QString>
#include <QXmlDefaultHandler>

#include <memory>
#include <optional>
#include <vector>

class QStyle;
class QWidget;

// Reads the style file (named window layouts, fonts and colours) through the
// SAX reader and applies a layout to a live window, scaled from the design
// resolution to the screen.
class QorbXmlMachine : public QXmlDefaultHandler
{
public:
    // One "widget" element of a layout.
    struct LayoutItem {
        QString className;
        QString name;
        QString caption;
        QString rect;       // "x, y, width, height" in design pixels
        QString fontName;
        QString colors;     // "foreground[;background]"
        LayoutItem* parent = nullptr;
        std::vector<std::unique_ptr<LayoutItem>> children;
    };

    // How a described widget is looked up and treated, by its class name.
    enum class Treatment : int;

    struct Colors {
        std::optional<QColor> foreground;
        std::optional<QColor> background;
    };

    QorbXmlMachine();
    ~QorbXmlMachine() override;

    void setScreen(int width, int height, int dpi);
    // The style that polishes the base palette before every layout, and the
    // picture laid under tree headers; both optional and not owned.
    void setPaletteStyle(QStyle* style) { m_paletteStyle = style; }
    void setListHeaderPicture(const QPixmap* picture) { m_listHeaderPicture = picture; }

    bool startElement(const QString& namespaceURI, const QString& localName,
                      const QString& qName, const QXmlAttributes& attributes) override;
    bool endElement(const QString& namespaceURI, const QString& localName,
                    const QString& qName) override;
    bool characters(const QString& text) override;
    bool fatalError(const QXmlParseException& exception) override;
    QString errorString() const override;

    // Elements nested deeper than this fail the file: the reader recurses.
    static constexpr int MaxDepth = 256;
    // Sane ranges whatever the file says: scales from the design resolution,
    // and point sizes as read and as scaled.
    static constexpr double MinScale = 1.0 / 16;
    static constexpr double MaxScale = 16.0;
    static constexpr int MaxPointSize = 144;

    // The named font (the default font for unknown names) with its point
    // size scaled to the screen.
    QFont font(const QString& name);
    // The first colour of that name; for unknown names none when
    // nullIfMissing, else the default colour (magenta).
    std::optional<QColor> color(const QString& name, bool nullIfMissing) const;
    Colors parseColors(const QString& colorText) const;
    // Scales "x, y, width, height", held to the screen; false (and nothing
    // changed) unless the text holds four numbers.
    bool parseRect(const QString& text, double sx, double sy);
    QRect rect() const;

    QString applyLayout(QWidget* window, const QString& layoutName, double xFactor, double yFactor);

    const std::vector<std::unique_ptr<LayoutItem>>& layouts() const { return m_layouts; }
    double xScale() const { return m_xScale; }
    double yScale() const { return m_yScale; }

private:
    void readFontValue(const QString& element);
    void readLayoutValue(const QString& element);
    void readResolution(const QString& element);
    void applyChildren(QWidget* window, const LayoutItem& item);
    void applyItem(QWidget* window, const LayoutItem& item);
    void applyPalette(QWidget* widget, Treatment treatment, const Colors& colours);
    QColor disabledColor(const char* name) const;
    QString trimmedBuffer() const { return m_charBuffer.trimmed(); }
    int bufferNumber() const;

    std::vector<std::unique_ptr<LayoutItem>> m_layouts;
    LayoutItem* m_currentItem = nullptr;
    QString m_section;
    QString m_charBuffer;
    int m_depth = 0;
    int m_left = 0;
    int m_top = 0;
    int m_right = -1;
    int m_bottom = -1;
    // Index into m_fonts / m_colors of the element being read, -1 for none.
    qsizetype m_currentFont = -1;
    qsizetype m_currentColor = -1;
    QStringList m_fontNames;
    QList<QFont> m_fonts;
    QStringList m_colorNames;
    QList<QColor> m_colors;
    QFont m_defaultFont;
    QPalette m_basePalette;
    double m_xScale = 1.0;
    double m_yScale = 1.0;
    double m_xFactor = 1.0;
    double m_yFactor = 1.0;
    int m_screenWidth = 1280;
    int m_screenHeight = 1024;
    int m_screenDpi = 96;
    QStyle* m_paletteStyle = nullptr;
    const QPixmap* m_listHeaderPicture = nullptr;
};
