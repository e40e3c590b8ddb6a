#include "ui/styletemplate.h"

#include "app/dlgmessageimpl.h"
#include "platform/safefile.h"
#include "ui/qorbxmlmachine.h"
#include "ui/uilog.h"

#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QXmlInputSource>
#include <QXmlSimpleReader>

StyleTemplate* StyleTemplate::s_instance = nullptr;
QPointer<DlgMessageImpl> StyleTemplate::s_openMessage;
bool StyleTemplate::s_messageShowing = false;

ScreenMetrics ScreenMetrics::fromPrimaryScreen()
{
    ScreenMetrics metrics;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return metrics;
    metrics.width = screen->geometry().width();
    metrics.height = screen->geometry().height();
    metrics.availableGeometry = screen->availableGeometry();
    const int dpi = qRound(screen->logicalDotsPerInchX());
    if (dpi > 0)
        metrics.dpi = dpi;
    return metrics;
}

StyleTemplate::StyleTemplate(const QString& styleDirectory, const QString& styleFilePath, bool* loaded,
                             std::optional<ScreenMetrics> metrics)
    : m_styleDirectory(styleDirectory)
    , m_screen(metrics ? *metrics : ScreenMetrics::fromPrimaryScreen())
    , m_colors{
          {QStringLiteral("MainColor"), QColor(250, 250, 250)},
          {QStringLiteral("HelpColor"), QColor(235, 240, 255)},
          {QStringLiteral("TextColor"), QColor(0, 0, 0)},
          {QStringLiteral("EditBgndColor"), QColor(255, 255, 255)},
          {QStringLiteral("EditTextColor"), QColor(0, 0, 0)},
          {QStringLiteral("ButtonBgndColor"), QColor(232, 232, 232)},
          {QStringLiteral("ButtonTextColor"), QColor(0, 0, 0)},
          {QStringLiteral("DisabledBgndColor"), QColor(192, 192, 192)},
          {QStringLiteral("DisabledTextColor"), QColor(128, 128, 128)},
          {QStringLiteral("DisabledEditBgndColor"), QColor(192, 192, 192)},
          {QStringLiteral("DisabledEditTextColor"), QColor(128, 128, 128)},
          {QStringLiteral("HighlightBgndColor"), QColor(60, 100, 150)},
          {QStringLiteral("HighlightTextColor"), QColor(255, 255, 255)},
      }
{
    if (loaded)
        *loaded = false;
    loadStyleFile(styleFilePath, loaded);
    loadPictures();
    if (m_machine) {
        m_machine->setPaletteStyle(this);
        m_machine->setListHeaderPicture(&m_listHeaderPicture);
    }
}

StyleTemplate::~StyleTemplate()
{
    if (s_instance == this)
        s_instance = nullptr;
}

StyleTemplate* StyleTemplate::instance()
{
    return s_instance;
}

void StyleTemplate::setInstance(StyleTemplate* style)
{
    s_instance = style;
}

void StyleTemplate::loadStyleFile(const QString& styleFilePath, bool* loaded)
{
    if (styleFilePath.isEmpty())
        return;
    // Only a regular file: anything else (a FIFO) could block the start.
    std::string error;
    const int fd = platform::openRegularFileForReading(QFile::encodeName(styleFilePath).toStdString(), error);
    QFile file(styleFilePath);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
        platform::closeFileDescriptor(fd);
        qCWarning(lcUi).noquote() << "Cannot open style file" << styleFilePath << QString::fromStdString(error);
        return;
    }
    m_machine = std::make_unique<QorbXmlMachine>();
    m_machine->setScreen(m_screen.width, m_screen.height, m_screen.dpi);
    QXmlInputSource source(&file);
    QXmlSimpleReader reader;
    reader.setContentHandler(m_machine.get());
    reader.setErrorHandler(m_machine.get());
    if (!reader.parse(&source, false)) {
        qCWarning(lcUi).noquote() << "Style file not loaded:" << styleFilePath;
        return;
    }
    if (loaded)
        *loaded = true;
    for (NamedColor& colour : m_colors) {
        if (const auto fromFile = m_machine->color(colour.name, true))
            colour.value = *fromFile;
    }
}

void StyleTemplate::loadPictures()
{
    if (!m_backgroundPicture.load(m_styleDirectory + QStringLiteral("backgrounds/bgMain.png"))) {
        m_backgroundPicture = QPixmap(32, 32);
        m_backgroundPicture.fill(colorOf("MainColor"));
    }
    if (!m_listHeaderPicture.load(m_styleDirectory + QStringLiteral("backgrounds/bgListHeader.png")))
        m_listHeaderPicture = QPixmap();
}

const QPixmap* StyleTemplate::listHeaderPicture() const
{
    return m_listHeaderPicture.isNull() ? nullptr : &m_listHeaderPicture;
}

QColor StyleTemplate::namedColor(const QString& name) const
{
    for (const NamedColor& colour : m_colors) {
        if (colour.name == name)
            return colour.value;
    }
    return {};
}

QColor StyleTemplate::colorOf(const char* name) const
{
    return namedColor(QLatin1String(name));
}

void StyleTemplate::polish(QPalette& palette)
{
    // Each disabled entry follows its "all groups" entry and overrides it.
    const auto set = [&palette](QPalette::ColorRole role, const QBrush& all, const QColor& disabled) {
        palette.setBrush(role, all);
        if (disabled.isValid())
            palette.setColor(QPalette::Disabled, role, disabled);
    };
    const QColor disabledBackground = colorOf("DisabledBgndColor");
    const QColor disabledText = colorOf("DisabledTextColor");
    set(QPalette::Window, QBrush(colorOf("HelpColor"), m_backgroundPicture), disabledBackground);
    set(QPalette::WindowText, colorOf("TextColor"), disabledText);
    set(QPalette::Base, colorOf("EditBgndColor"), disabledBackground);
    set(QPalette::AlternateBase, colorOf("HelpColor"), disabledBackground);
    set(QPalette::Text, colorOf("EditTextColor"), disabledText);
    set(QPalette::Button, colorOf("ButtonBgndColor"), disabledBackground);
    set(QPalette::ButtonText, colorOf("ButtonTextColor"), disabledText);
    set(QPalette::Highlight, colorOf("HighlightBgndColor"), QColor());
    set(QPalette::HighlightedText, colorOf("HighlightTextColor"), QColor());
}

QString StyleTemplate::applyLayout(QWidget* window, const QString& layoutName, double xFactor, double yFactor)
{
    return m_machine ? m_machine->applyLayout(window, layoutName, xFactor, yFactor) : QString();
}

void StyleTemplate::playSound(const QString& name) const
{
    // The tool ships no sound directory, so messages stay silent.
    qCDebug(lcUi).noquote() << "No sound directory: not playing" << name;
}

int StyleTemplate::showMessage(const QString& kind, const QString& title, const QString& text,
                               const QString& buttons, QWidget* parent)
{
    // One message box at a time: a message raised by an event handled inside
    // the open box's event loop is refused rather than stacked.
    if (s_messageShowing)
        return -1;
    s_messageShowing = true;

    auto owner = std::make_unique<DlgMessageImpl>(parent, m_styleDirectory, this);
    QPointer<DlgMessageImpl> dialog = owner.get();
    s_openMessage = dialog;
    dialog->setMessage(kind, title, text, buttons);
    int result = dialog->exec() == QDialog::Accepted ? 1 : 0;
    if (dialog) {
        if (result == 0 && dialog->thirdChosen())
            result = 2;
    } else {
        // Deleted together with its parent inside the nested event loop.
        (void)owner.release();
    }
    s_openMessage = nullptr;
    s_messageShowing = false;
    return result;
}

void StyleTemplate::closeMessage()
{
    if (s_openMessage)
        s_openMessage->accept();
}
