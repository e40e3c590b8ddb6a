#include "ui/qorbxmlmachine.h"

#include "ui/uilog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBox>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>

enum class QorbXmlMachine::Treatment : int {
    PushButton, Label, RadioButton, CheckBox, ComboBox, LineEdit, TextEdit, TreeWidget,
    ListWidget, ProgressBar, GroupBox, GradientFrame, Slider, LcdNumber, PlainFrame,
    ToolBox, TabWidget, StackedWidget, Widget, Other
};

namespace {

using Treatment = QorbXmlMachine::Treatment;

int saturated(qint64 value)
{
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// Integer part of value, saturated to the int range.
int integerPart(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(value), double(INT_MIN), double(INT_MAX)));
}

// The style file gives weights on the old 0..99 scale (50 normal, 75 bold);
// take the nearest weight of the current scale.
QFont::Weight weightFromLegacy(int legacy)
{
    static constexpr std::array<std::pair<int, QFont::Weight>, 9> table{{
        {0, QFont::Thin}, {12, QFont::ExtraLight}, {25, QFont::Light},
        {50, QFont::Normal}, {57, QFont::Medium}, {63, QFont::DemiBold},
        {75, QFont::Bold}, {81, QFont::ExtraBold}, {87, QFont::Black},
    }};
    const auto nearest = std::min_element(table.begin(), table.end(), [legacy](const auto& a, const auto& b) {
        return std::abs(qint64(a.first) - legacy) < std::abs(qint64(b.first) - legacy);
    });
    return nearest->second;
}

Treatment treatmentFor(const QString& className)
{
    static const QHash<QString, Treatment> table{
        {QStringLiteral("QPushButton"), Treatment::PushButton},
        {QStringLiteral("QorbPushButton"), Treatment::PushButton},
        {QStringLiteral("QorbFormButton"), Treatment::PushButton},
        {QStringLiteral("QorbImageButton"), Treatment::PushButton},
        {QStringLiteral("QorbToolBoxButton"), Treatment::PushButton},
        {QStringLiteral("QLabel"), Treatment::Label},
        {QStringLiteral("QorbLabel"), Treatment::Label},
        {QStringLiteral("QorbGraphHeader"), Treatment::Label},
        {QStringLiteral("QRadioButton"), Treatment::RadioButton},
        {QStringLiteral("QorbRadioButton"), Treatment::RadioButton},
        {QStringLiteral("QCheckBox"), Treatment::CheckBox},
        {QStringLiteral("QorbCheckBox"), Treatment::CheckBox},
        {QStringLiteral("QComboBox"), Treatment::ComboBox},
        {QStringLiteral("QorbComboBox"), Treatment::ComboBox},
        {QStringLiteral("QLineEdit"), Treatment::LineEdit},
        {QStringLiteral("QorbLineEdit"), Treatment::LineEdit},
        {QStringLiteral("QTextEdit"), Treatment::TextEdit},
        {QStringLiteral("QorbTextEdit"), Treatment::TextEdit},
        {QStringLiteral("QTreeWidget"), Treatment::TreeWidget},
        {QStringLiteral("QorbTreeWidget"), Treatment::TreeWidget},
        {QStringLiteral("QorbDropDownTree"), Treatment::TreeWidget},
        {QStringLiteral("QListWidget"), Treatment::ListWidget},
        {QStringLiteral("QorbListWidget"), Treatment::ListWidget},
        {QStringLiteral("QProgressBar"), Treatment::ProgressBar},
        {QStringLiteral("QorbProgressBar"), Treatment::ProgressBar},
        {QStringLiteral("QGroupBox"), Treatment::GroupBox},
        {QStringLiteral("QorbGroupBox"), Treatment::GradientFrame},
        {QStringLiteral("QSlider"), Treatment::Slider},
        {QStringLiteral("QLCDNumber"), Treatment::LcdNumber},
        {QStringLiteral("QorbToolBox"), Treatment::PlainFrame},
        {QStringLiteral("QToolBox"), Treatment::ToolBox},
        {QStringLiteral("QTabWidget"), Treatment::TabWidget},
        {QStringLiteral("QStackedWidget"), Treatment::StackedWidget},
        {QStringLiteral("QWidget"), Treatment::Widget},
    };
    return table.value(className, Treatment::Other);
}

bool isSection(const QString& name)
{
    static const QStringList sections{
        QStringLiteral("layouts"), QStringLiteral("messages"), QStringLiteral("infos"),
        QStringLiteral("fonts"), QStringLiteral("colors"), QStringLiteral("resolution"),
        QStringLiteral("language"), QStringLiteral("revision"), QStringLiteral("comment"),
        QStringLiteral("author")};
    return sections.contains(name);
}

} // namespace

QorbXmlMachine::QorbXmlMachine()
    : m_defaultFont(QStringLiteral("Tahoma"), 11, QFont::Normal, false)
{
}

QorbXmlMachine::~QorbXmlMachine() = default;

void QorbXmlMachine::setScreen(int width, int height, int dpi)
{
    if (width > 0)
        m_screenWidth = width;
    if (height > 0)
        m_screenHeight = height;
    m_screenDpi = dpi > 0 ? dpi : 96;
}

bool QorbXmlMachine::startElement(const QString& /*namespaceURI*/, const QString& /*localName*/,
                                  const QString& qName, const QXmlAttributes& attributes)
{
    if (++m_depth > MaxDepth)
        return false;
    if (qName == QLatin1String("widget")) {
        auto item = std::make_unique<LayoutItem>();
        item->className = attributes.value(QStringLiteral("class"));
        item->name = attributes.value(QStringLiteral("name"));
        item->fontName = attributes.value(QStringLiteral("font"));
        item->colors = attributes.value(QStringLiteral("colors"));
        item->parent = m_currentItem;
        auto& siblings = m_currentItem ? m_currentItem->children : m_layouts;
        siblings.push_back(std::move(item));
        m_currentItem = siblings.back().get();
    } else if (qName == QLatin1String("font")) {
        const QString name = attributes.value(QStringLiteral("name"));
        m_fontNames.append(name);
        m_fonts.append(QFont());
        m_currentFont = m_fonts.size() - 1;
        qCDebug(lcUi).noquote() << QStringLiteral("FontName: ") + name;
    } else if (qName == QLatin1String("color")) {
        const QString name = attributes.value(QStringLiteral("name"));
        m_colorNames.append(name);
        m_colors.append(QColor());
        m_currentColor = m_colors.size() - 1;
        qCDebug(lcUi).noquote() << QStringLiteral("ColorName: ") + name;
    } else if (isSection(qName)) {
        m_section = qName;
    }
    m_charBuffer.clear();
    return true;
}

bool QorbXmlMachine::characters(const QString& text)
{
    m_charBuffer += text;
    return true;
}

bool QorbXmlMachine::endElement(const QString& /*namespaceURI*/, const QString& /*localName*/,
                                const QString& qName)
{
    --m_depth;
    if (m_section == QLatin1String("layouts")) {
        readLayoutValue(qName);
    } else if (m_section == QLatin1String("fonts")) {
        readFontValue(qName);
    } else if (m_section == QLatin1String("colors")) {
        if (qName == QLatin1String("color") && m_currentColor >= 0) {
            const QColor value = QColor::fromString(trimmedBuffer());
            if (!value.isValid())
                qCWarning(lcUi).noquote() << "Unknown colour" << trimmedBuffer() << "for"
                                          << m_colorNames.at(m_currentColor);
            m_colors[m_currentColor] = value;
        }
    } else if (m_section == QLatin1String("resolution")) {
        readResolution(qName);
    }
    return true;
}

bool QorbXmlMachine::fatalError(const QXmlParseException& exception)
{
    qCWarning(lcUi).noquote() << QStringLiteral("Parse error at line %1, column %2: %3")
                                   .arg(exception.lineNumber())
                                   .arg(exception.columnNumber())
                                   .arg(exception.message());
    return false;
}

QString QorbXmlMachine::errorString() const
{
    if (m_depth > MaxDepth)
        return QStringLiteral("elements nested deeper than %1 levels").arg(MaxDepth);
    return QXmlDefaultHandler::errorString();
}

int QorbXmlMachine::bufferNumber() const
{
    bool ok = false;
    const int value = trimmedBuffer().toInt(&ok, 10);
    return ok ? value : 0;
}

void QorbXmlMachine::readLayoutValue(const QString& element)
{
    // Parts of a widget outside any widget element have nowhere to go.
    if (!m_currentItem)
        return;
    if (element == QLatin1String("widget")) {
        m_currentItem = m_currentItem->parent;
    } else if (element == QLatin1String("string")) {
        m_currentItem->caption = m_charBuffer;
    } else if (element == QLatin1String("x")) {
        m_left = bufferNumber();
    } else if (element == QLatin1String("y")) {
        m_top = bufferNumber();
    } else if (element == QLatin1String("width")) {
        m_right = saturated(qint64(m_left) + bufferNumber() - 1);
    } else if (element == QLatin1String("height")) {
        m_bottom = saturated(qint64(m_top) + bufferNumber() - 1);
    } else if (element == QLatin1String("rect")) {
        m_currentItem->rect = QString::asprintf("%d, %d, %d, %d", m_left, m_top,
                                                saturated(qint64(m_right) - m_left + 1),
                                                saturated(qint64(m_bottom) - m_top + 1));
    }
}

void QorbXmlMachine::readFontValue(const QString& element)
{
    if (m_currentFont < 0)
        return;
    QFont& target = m_fonts[m_currentFont];
    const bool isTrue = trimmedBuffer() == QLatin1String("true");
    if (element == QLatin1String("family")) {
        target.setFamily(trimmedBuffer());
    } else if (element == QLatin1String("pointsize")) {
        const int size = bufferNumber();
        if (size > 0)
            target.setPointSize(std::min(size, MaxPointSize));
    } else if (element == QLatin1String("weight")) {
        target.setWeight(weightFromLegacy(bufferNumber()));
    } else if (element == QLatin1String("bold")) {
        target.setWeight(isTrue ? QFont::Bold : QFont::Normal);
    } else if (element == QLatin1String("italic")) {
        target.setItalic(isTrue);
    } else if (element == QLatin1String("underline")) {
        target.setUnderline(isTrue);
    } else if (element == QLatin1String("strikeout")) {
        target.setStrikeOut(isTrue);
    }
}

void QorbXmlMachine::readResolution(const QString& element)
{
    // A design resolution of 0 or less would divide by nothing: keep the scale.
    const int designPixels = bufferNumber();
    if (designPixels <= 0)
        return;
    if (element == QLatin1String("xPix"))
        m_xScale = std::clamp(double(m_screenWidth) / designPixels, MinScale, MaxScale);
    else if (element == QLatin1String("yPix"))
        m_yScale = std::clamp(double(m_screenHeight) / designPixels, MinScale, MaxScale);
}

QFont QorbXmlMachine::font(const QString& name)
{
    const qsizetype index = m_fontNames.indexOf(name);
    QFont scaled = index >= 0 ? m_fonts.at(index) : m_defaultFont;
    const int stored = scaled.pointSize();
    if (stored > 0) {
        const double size = stored * m_yScale * m_yFactor * 96.0 / m_screenDpi + 0.5;
        scaled.setPointSize(std::clamp(integerPart(size), 1, MaxPointSize));
    }
    return scaled;
}

std::optional<QColor> QorbXmlMachine::color(const QString& name, bool nullIfMissing) const
{
    const qsizetype index = m_colorNames.indexOf(name);
    if (index >= 0 && m_colors.at(index).isValid())
        return m_colors.at(index);
    if (nullIfMissing)
        return std::nullopt;
    return QColor(Qt::magenta);
}

QorbXmlMachine::Colors QorbXmlMachine::parseColors(const QString& colorText) const
{
    const QStringList parts = colorText.split(QLatin1Char(';'));
    Colors result;
    if (parts.size() == 2) {
        result.foreground = color(parts.at(0).trimmed(), true);
        result.background = color(parts.at(1).trimmed(), true);
    } else if (parts.size() == 1) {
        result.foreground = color(parts.at(0).trimmed(), true);
    }
    return result;
}

bool QorbXmlMachine::parseRect(const QString& text, double sx, double sy)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool ok = false;
        values[i] = parts.at(qsizetype(i)).trimmed().toInt(&ok, 10);
        if (!ok)
            values[i] = 0;
    }
    // Nothing larger than the screen, nothing placed beyond it.
    m_left = std::clamp(integerPart(values[0] * sx + 0.5), -m_screenWidth, m_screenWidth);
    m_top = std::clamp(integerPart(values[1] * sy + 0.5), -m_screenHeight, m_screenHeight);
    m_right = m_left + std::clamp(integerPart(values[2] * sx), 0, m_screenWidth) - 1;
    m_bottom = m_top + std::clamp(integerPart(values[3] * sy), 0, m_screenHeight) - 1;
    return true;
}

QRect QorbXmlMachine::rect() const
{
    return QRect(QPoint(m_left, m_top), QPoint(m_right, m_bottom));
}

QString QorbXmlMachine::applyLayout(QWidget* window, const QString& layoutName, double xFactor,
                                    double yFactor)
{
    m_xFactor = xFactor;
    m_yFactor = yFactor;
    if (m_paletteStyle)
        m_paletteStyle->polish(m_basePalette);

    const auto layout = std::find_if(m_layouts.cbegin(), m_layouts.cend(),
                                     [&layoutName](const auto& item) { return item->name == layoutName; });
    if (layout == m_layouts.cend() || !window)
        return {};
    if (parseRect((*layout)->rect, m_xScale * m_xFactor, m_yScale * m_yFactor))
        window->resize(std::max(0, rect().width()), std::max(0, rect().height()));
    applyChildren(window, **layout);
    return (*layout)->caption;
}

void QorbXmlMachine::applyChildren(QWidget* window, const LayoutItem& item)
{
    for (const auto& child : item.children) {
        applyItem(window, *child);
        applyChildren(window, *child);
    }
}

QColor QorbXmlMachine::disabledColor(const char* name) const
{
    return *color(QLatin1String(name), false);
}

namespace {

// Sets role to colour in every group; the disabled group then takes disabledColor.
void setRole(QPalette& palette, QPalette::ColorRole role, const std::optional<QColor>& colour,
             const std::optional<QColor>& disabledColor = std::nullopt)
{
    if (!colour)
        return;
    palette.setColor(role, *colour);
    if (disabledColor)
        palette.setColor(QPalette::Disabled, role, *disabledColor);
}

template <typename T>
T* findWidget(QWidget* window, const QString& name)
{
    // An empty name would match any widget.
    return name.isEmpty() ? nullptr : window->findChild<T*>(name);
}

QWidget* findTreated(QWidget* window, Treatment treatment, const QString& name)
{
    switch (treatment) {
    case Treatment::PushButton: return findWidget<QPushButton>(window, name);
    case Treatment::Label: return findWidget<QLabel>(window, name);
    case Treatment::RadioButton: return findWidget<QRadioButton>(window, name);
    case Treatment::CheckBox: return findWidget<QCheckBox>(window, name);
    case Treatment::ComboBox: return findWidget<QComboBox>(window, name);
    case Treatment::LineEdit: return findWidget<QLineEdit>(window, name);
    case Treatment::TextEdit: return findWidget<QTextEdit>(window, name);
    case Treatment::TreeWidget: return findWidget<QTreeWidget>(window, name);
    case Treatment::ListWidget: return findWidget<QListWidget>(window, name);
    case Treatment::ProgressBar: return findWidget<QProgressBar>(window, name);
    case Treatment::GroupBox: return findWidget<QGroupBox>(window, name);
    case Treatment::GradientFrame:
    case Treatment::PlainFrame: return findWidget<QFrame>(window, name);
    case Treatment::Slider: return findWidget<QSlider>(window, name);
    case Treatment::LcdNumber: return findWidget<QLCDNumber>(window, name);
    case Treatment::ToolBox: return findWidget<QToolBox>(window, name);
    case Treatment::TabWidget: return findWidget<QTabWidget>(window, name);
    case Treatment::StackedWidget: return findWidget<QStackedWidget>(window, name);
    case Treatment::Widget:
    case Treatment::Other: return findWidget<QWidget>(window, name);
    }
    return nullptr;
}

bool takesFont(Treatment treatment)
{
    return treatment != Treatment::GradientFrame && treatment != Treatment::Slider
        && treatment != Treatment::LcdNumber && treatment != Treatment::PlainFrame;
}

// Caption, title or header labels, and the fixed size of buttons.
void setCaption(QWidget* widget, Treatment treatment, const QString& caption, bool hasRect)
{
    switch (treatment) {
    case Treatment::PushButton: {
        auto* button = static_cast<QPushButton*>(widget);
        if (hasRect)
            button->setFixedSize(button->size());
        button->setText(caption);
        button->setAutoDefault(true);
        break;
    }
    case Treatment::Label: static_cast<QLabel*>(widget)->setText(caption); break;
    case Treatment::RadioButton:
    case Treatment::CheckBox: static_cast<QAbstractButton*>(widget)->setText(caption); break;
    case Treatment::LineEdit: static_cast<QLineEdit*>(widget)->setText(caption); break;
    case Treatment::GroupBox: static_cast<QGroupBox*>(widget)->setTitle(caption); break;
    case Treatment::Widget: widget->setWindowTitle(caption); break;
    case Treatment::TreeWidget:
        // Without a caption the tree keeps the columns its form gave it.
        if (!caption.isEmpty())
            static_cast<QTreeWidget*>(widget)->setHeaderLabels(caption.split(QLatin1Char(';')));
        break;
    default: break;
    }
}

} // namespace

void QorbXmlMachine::applyItem(QWidget* window, const LayoutItem& item)
{
    const Treatment treatment = treatmentFor(item.className);
    QWidget* widget = findTreated(window, treatment, item.name);
    if (!widget)
        return;
    if (item.className == QLatin1String("QorbDropDownTree"))
        static_cast<QFrame*>(widget)->setFrameStyle(QFrame::Box | QFrame::Plain);
    const bool hasRect = parseRect(item.rect, m_xScale * m_xFactor, m_yScale * m_yFactor);
    if (hasRect)
        widget->setGeometry(rect());
    if (takesFont(treatment))
        widget->setFont(font(item.fontName));
    setCaption(widget, treatment, item.caption, hasRect);
    applyPalette(widget, treatment, parseColors(item.colors));
}

void QorbXmlMachine::applyPalette(QWidget* widget, Treatment treatment, const Colors& colours)
{
    const std::optional<QColor>& fg = colours.foreground;
    const std::optional<QColor>& bg = colours.background;
    QPalette palette = m_basePalette;
    switch (treatment) {
    case Treatment::PushButton:
        setRole(palette, QPalette::ButtonText, fg, disabledColor("DisabledTextColor"));
        setRole(palette, QPalette::Button, bg, disabledColor("DisabledBgndColor"));
        break;
    case Treatment::Label:
        setRole(palette, QPalette::WindowText, fg, disabledColor("DisabledTextColor"));
        if (bg) {
            widget->setAutoFillBackground(true);
            setRole(palette, QPalette::Window, bg, disabledColor("DisabledBgndColor"));
        }
        break;
    case Treatment::ComboBox:
    case Treatment::LineEdit:
        setRole(palette, QPalette::Text, fg);
        setRole(palette, QPalette::Base, bg);
        palette.setColor(QPalette::Disabled, QPalette::Text, disabledColor("DisabledEditTextColor"));
        palette.setColor(QPalette::Disabled, QPalette::Base, disabledColor("DisabledEditBgndColor"));
        if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit())
            combo->lineEdit()->setPalette(palette);
        break;
    case Treatment::TextEdit:
        setRole(palette, QPalette::Text, fg, disabledColor("DisabledTextColor"));
        setRole(palette, QPalette::Base, bg, disabledColor("DisabledBgndColor"));
        break;
    case Treatment::TreeWidget:
        setRole(palette, QPalette::ButtonText, fg, disabledColor("DisabledTextColor"));
        if (bg && m_listHeaderPicture && !m_listHeaderPicture->isNull()) {
            const QPixmap header = m_listHeaderPicture->scaled(1280, 40, Qt::IgnoreAspectRatio,
                                                               Qt::SmoothTransformation);
            palette.setBrush(QPalette::Button, QBrush(*bg, header));
            palette.setColor(QPalette::Disabled, QPalette::Button, disabledColor("DisabledBgndColor"));
        } else {
            setRole(palette, QPalette::Button, bg, disabledColor("DisabledBgndColor"));
        }
        break;
    case Treatment::ProgressBar:
        setRole(palette, QPalette::Highlight, fg);
        setRole(palette, QPalette::Base, bg);
        break;
    case Treatment::GroupBox:
        setRole(palette, QPalette::WindowText, fg, disabledColor("DisabledTextColor"));
        break;
    case Treatment::GradientFrame:
        // Only a foreground colour paints the frame; otherwise it stays as it is.
        if (!fg)
            return;
        widget->setAutoFillBackground(true);
        if (bg) {
            // Relative to the frame, so the gradient spans it at whatever
            // height its layout gives it.
            QLinearGradient gradient(0, 0, 0, 1);
            gradient.setCoordinateMode(QGradient::ObjectMode);
            gradient.setColorAt(0, *fg);
            gradient.setColorAt(1, *bg);
            palette.setBrush(QPalette::Window, QBrush(gradient));
        } else {
            palette.setColor(QPalette::Window, *fg);
        }
        break;
    default:
        break;
    }
    widget->setPalette(palette);
}
