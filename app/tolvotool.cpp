#include "app/tolvotool.h"

#include "app/applog.h"
#include "app/dlgsetup.h"
#include "app/paths.h"
#include "app/portproblem.h"
#include "app/setupdefaults.h"
#include "app/statuslabel.h"
#include "app/wrenchmessage.h"
#include "archive/archivewindow.h"
#include "archive/readoutarchiver.h"
#include "comm/comevents.h"
#include "history/viewhistory.h"
#include "params/viewparam.h"
#include "protocol/frame/parser.h"
#include "protocol/frame/view.h"
#include "protocol/toolconversation.h"
#include "protocol/kapsmessage.h"
#include "ui/styletemplate.h"
#include "ui_tolvotool.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTranslator>

#include <cstring>

namespace {

const QString& setupSection = setupdefaults::Section;
const QString toolTitle = QStringLiteral("Tolvo-Tool - V. 1.006");

// The answer to a wrench message whose box could not be shown.
constexpr int NotShownAnswer = 0xFFFF;
// Room kept below the scroll area for the button row.
constexpr int ButtonRowHeight = 75;
constexpr int ScrollMargin = 50;
constexpr int TitleBarHeight = 25;

// The one translator of the process. It stays installed after a failed load,
// empty, so that the built-in English texts show.
QTranslator& processTranslator()
{
    static QPointer<QTranslator> translator;
    if (!translator)
        translator = new QTranslator(QCoreApplication::instance());
    return *translator;
}

QString backgroundFile()
{
    return paths::resourceImageDirectory(paths::startPath()) + QLatin1String("backgrounds")
        + QDir::separator() + QLatin1String("bgMain.png");
}

QRect availableScreenArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
}

// Smaller on screens of up to 768 lines.
QFont toolFont()
{
    return QFont(QStringLiteral("Arial"), availableScreenArea().height() > 768 ? 10 : 9, QFont::Bold, false);
}

} // namespace

TolvoTool::TolvoTool(QWidget* parent)
    : QWidget(parent), m_form(std::make_unique<Ui::TolvoTool>())
{
    // Before the form: widgets with a style sheet do not follow a later font.
    setFont(toolFont());
    m_form->setupUi(this);
    styleButtons();
    placeOnScreen();
    createViews();

    m_setupDialog = new DlgSetup(this);
    readSetup();
    m_archiver = std::make_unique<ReadoutArchiver>(ArchiveSettings::read(m_settings, paths::startPath()));

    toolconversation::identifyAsTool(m_messageService);
    m_messageService.setDownloadDirectory(paths::downloadFolder(paths::startPath()));
    m_observer.start(this);
    refreshPortList();
    setOnline(false);

    connect(m_form->pushButtonSetup, &QPushButton::clicked, this, &TolvoTool::slotSetup);
    connect(m_form->pushButtonOnline, &QPushButton::clicked, this, &TolvoTool::slotSetOnOff);
    connect(m_form->pushButtonExit, &QPushButton::clicked, this, &TolvoTool::slotExit);
    connect(&m_service, &DeviceService::errorMessage, this, &TolvoTool::showErrorBox);
    connect(&m_tickTimer, &QTimer::timeout, this, &TolvoTool::slotAutoUpdTimer);
    m_tickTimer.start(DeviceService::TickMs);

    // Also sets the button texts and the status line in that language.
    loadTranslation(m_language == QLatin1String("GERMAN") ? 0 : 1);
}

TolvoTool::~TolvoTool() = default;

// The window covers the background picture, but never more than the screen.
void TolvoTool::placeOnScreen()
{
    const QRect available = availableScreenArea();
    setWindowTitle(toolTitle);
    if (const StyleTemplate* style = StyleTemplate::instance())
        setWindowIcon(QIcon(style->styleDirectory() + QLatin1String("tlterm.png")));

    m_background.load(backgroundFile());
    if (m_background.isNull())
        qCInfo(lcApp) << "No background picture" << backgroundFile();
    const int pictureWidth = m_background.isNull() ? available.width() : m_background.width();
    const int pictureHeight = m_background.isNull() ? available.height() : m_background.height();
    const int w = qMin(pictureWidth, available.width());
    const int h = qMin(pictureHeight, available.height());
    setGeometry(0, TitleBarHeight, w, h - TitleBarHeight);
}

// The form's button style paints every state alike and sets the text edge to
// edge: a disabled button takes the style file's disabled colours (the
// palette's without a style object), and the text keeps some air.
void TolvoTool::styleButtons()
{
    const StyleTemplate* style = StyleTemplate::instance();
    const QColor background = style ? style->namedColor(QStringLiteral("DisabledBgndColor"))
                                    : palette().color(QPalette::Disabled, QPalette::Button);
    const QColor text = style ? style->namedColor(QStringLiteral("DisabledTextColor"))
                              : palette().color(QPalette::Disabled, QPalette::ButtonText);
    const QString rules = QStringLiteral("\n*{padding:0px 6px;}\n:disabled{color:%1;background-color:%2;}")
                              .arg(text.name(), background.name());
    for (QPushButton* button : {m_form->pushButtonOnline, m_form->pushButtonSetup, m_form->pushButtonExit})
        button->setStyleSheet(button->styleSheet() + rules);
}

// The history view and the parameter view read their separators while they
// are built, before the window reads its own keys; a first run writes them in
// this order. The history page scrolls over the window's background.
void TolvoTool::createViews()
{
    readReportSeparator();
    m_historyView = new ViewHistory(m_form->widget, this);
    m_paramView = new ViewParam(this, this);
    m_historyView->setModel(m_paramView->model());
    m_views.setViews(m_historyView, m_paramView);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setBackgroundRole(QPalette::Window);
    m_scrollArea->setFrameShadow(QFrame::Plain);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidget(m_historyView->contentWidget());
    // The window's height leaves out the title bar, the page's does not.
    m_historyView->contentWidget()->setGeometry(0, 0, width() - ScrollMargin,
                                                height() + TitleBarHeight - ButtonRowHeight);
}

void TolvoTool::readReportSeparator()
{
    m_historyDecimalSeparator = setupdefaults::separatorOf(
        m_settings.readString(setupSection, QStringLiteral("DECIMAL_SEPARATOR"), setupdefaults::DecimalSeparator, true));
}

void TolvoTool::readSetup()
{
    // The data set of the last run; an empty or unreadable name loads nothing.
    m_paramView->loadXml(m_settings.readString(setupSection, QStringLiteral("CURRENT_FILE"), QString(), false));
    m_xmlPath = m_settings.readString(setupSection, QStringLiteral("XML_PATH"), QString(), true);
    m_htmlPath = m_settings.readString(setupSection, QStringLiteral("HTML_PATH"), QString(), true);
    m_baudRate = m_settings.readInt(setupSection, QStringLiteral("BAUDRATE"), setupdefaults::BaudRate, true);
    m_language = m_settings.readString(setupSection, QStringLiteral("LANGUAGE"), setupdefaults::Language, true);
    m_statsThresholds = readStatsThresholds(m_settings);
    // Written after each history save, so that the next save starts there.
    m_historyPath = m_settings.readString(setupSection, QStringLiteral("HISTORY_PATH"), QString(), false);
}

bool TolvoTool::loadTranslation(int languageIndex)
{
    const QString fileName = languageIndex == 0 ? QStringLiteral("TolvoTool_de") : QString();
    QTranslator& translator = processTranslator();
    // A failed load empties the translator: the built-in English texts show.
    const bool loaded = paths::loadTranslation(translator, fileName);

    if (loaded) {
        QCoreApplication::removeTranslator(&translator);
        QCoreApplication::installTranslator(&translator);
    } else if (languageIndex != 1) {
        QMessageBox::warning(this, QStringLiteral("Tolvo-Tool"),
                             QStringLiteral("Sorry. No translation availablefor your language.\n"
                                            "Using english..."));
    }
    retranslateTexts();
    return loaded;
}

void TolvoTool::retranslateTexts()
{
    setButtonTexts();
    updateStatusText();
    m_setupDialog->retranslate();
    m_historyView->retranslate();
}

void TolvoTool::setButtonTexts()
{
    m_form->pushButtonSetup->setText(tr("Setup"));
    m_form->pushButtonExit->setText(tr("Exit"));
    m_form->pushButtonOnline->setText(m_online ? tr("Disconnect Wrench") : tr("Connect Wrench"));
}

void TolvoTool::setVisible(bool visible)
{
    QWidget::setVisible(visible);
}

void TolvoTool::setOnline(bool on)
{
    if (on && !connectWrench())
        return;
    enterOnlineState(on);
}

void TolvoTool::enterOnlineState(bool on)
{
    if (on) {
        m_form->pushButtonSetup->setEnabled(false);
        m_form->pushButtonSetup->hide();
    } else {
        stopLink();
        m_historyView->clearReports();
        m_form->pushButtonSetup->setEnabled(true);
        m_form->pushButtonSetup->show();
    }
    m_online = on;
    setButtonTexts();
    m_historyView->setActive(on);
    m_service.showParamProgress(false, false);
    updateStatusText();
}

bool TolvoTool::connectWrench()
{
    if (openChosenPort())
        return true;
    const QString reason = portProblemText(m_messageService.openError());
    showError(tr("Com Port is not available!") + (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
    return false;
}

bool TolvoTool::openChosenPort()
{
    // Not a number: port 0, which never opens.
    const int portNumber = QString(m_setupDialog->chosenPort()).remove(QStringLiteral("COM")).toInt();
    return m_messageService.open(this, portNumber, m_baudRate);
}

// Only when the chosen port appears, not on every change of the list: a
// wrench the user disconnected stays disconnected while it stays plugged in.
// A refused open stays quiet and is tried again on the next change, since a
// new device node often gets its access rights a moment after it appears.
void TolvoTool::connectAutomatically()
{
    if (!m_autoConnectArmed || m_online || m_setupDialog->isVisible() || !m_setupDialog->connectsAutomatically())
        return;
    if (!openChosenPort()) {
        qCInfo(lcApp) << "Automatic connection to" << m_setupDialog->chosenPort() << "refused; trying again later";
        return;
    }
    m_autoConnectArmed = false;
    enterOnlineState(true);
}

void TolvoTool::refreshPortList()
{
    QStringList names;
    m_observer.portNames(names);
    QListWidget* list = m_setupDialog->portList();
    list->clear();
    for (const QString& name : std::as_const(names)) {
        if (name.startsWith(QLatin1String("COM")))
            list->addItem(name);
    }
    // The tool connects by itself when the chosen port appears only if the
    // user asked for it in Setup.
    if (!list->findItems(m_setupDialog->chosenPort(), Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
        m_form->pushButtonOnline->setEnabled(true);
        connectAutomatically();
        return;
    }
    m_autoConnectArmed = true;
    // The device behind an open port went away: the list may tell before the
    // port itself does, and either way the user hears of it once.
    const bool portVanished = portLossToReport();
    m_form->pushButtonOnline->setEnabled(false);
    setOnline(false);
    if (portVanished) {
        withdrawWrenchBox();
        showError(tr("Com Port is no longer available!"));
    }
}

void TolvoTool::resetConnection()
{
    // A port chosen just now has not appeared: only its next appearance counts.
    m_autoConnectArmed = false;
    stopLink();
    refreshPortList();
    setOnline(false);
}

void TolvoTool::updateStatusText()
{
    if (m_online) {
        m_form->labelCommunication->setStatus(
            QStringLiteral("font-size:9pt;font-family:'Arial';font-weight:600;color:#000000;border-style:dashed;"),
            tr("Connected with  ") + QLatin1Char(' ') + m_deviceName + tr(" Version ") + m_deviceVersion
                + QLatin1Char(' ') + m_deviceExtra);
    } else {
        m_form->labelCommunication->setStatus(
            QStringLiteral("font-size:9pt;font-family:'Arial';font-style:normal;color:#FF2211"),
            tr("Device is not connected ..."));
    }
}

void TolvoTool::setCurrentFile(const QString& name, bool remember)
{
    m_paramView->setFileName(name);
    if (remember)
        m_settings.writeString(setupSection, QStringLiteral("CURRENT_FILE"), name);
}

void TolvoTool::setXmlPath(const QString& directory)
{
    m_settings.writeString(setupSection, QStringLiteral("XML_PATH"), directory);
}

// Kept for the next save of this run as well as for the next start.
void TolvoTool::setHistoryPath(const QString& directory)
{
    m_historyPath = directory;
    m_settings.writeString(setupSection, QStringLiteral("HISTORY_PATH"), directory);
}

QString TolvoTool::archiveReadout(const ReportSettings& settings, QByteArrayView block)
{
    const ReadoutArchiver::Outcome outcome = m_archiver->archive(settings, block);
    if (outcome.kind == ReadoutArchiver::Outcome::Kind::Stored && m_archiveWindow && m_archiveWindow->isVisible())
        m_archiveWindow->reload();
    return outcome.text;
}

void TolvoTool::openArchive()
{
    if (!m_archiveWindow)
        m_archiveWindow = new ArchiveWindow(this, *this, m_archiver->settings().file); // the window owns it
    m_archiveWindow->show();
    m_archiveWindow->raise();
    m_archiveWindow->activateWindow();
}

void TolvoTool::slotSetOnOff()
{
    setOnline(!m_online);
}

void TolvoTool::slotSetup()
{
    m_setupDialog->show();
}

void TolvoTool::slotExit()
{
    close();
}

void TolvoTool::stopLink()
{
    m_deferredErrors.clear();
    toolconversation::sayGoodbye(m_messageService);
    closePort();
}

void TolvoTool::closePort()
{
    m_messageService.close();
    m_pendingMessageId = 0;
    // Closing dropped the frames still queued, with their acknowledges.
    m_service.onLinkClosed();
    m_historyView->abandonReadout();
}

int TolvoTool::showMessage(const QString& kind, const QString& title, const QString& text,
                           const QString& buttons)
{
    StyleTemplate* style = StyleTemplate::instance();
    if (!style) {
        qCWarning(lcApp) << "No style object for the message" << title << text;
        return -1;
    }
    return style->showMessage(kind, title, text, buttons, this);
}

void TolvoTool::showError(const QString& text)
{
    showErrorBox(tr("Error"), text);
}

void TolvoTool::showErrorBox(const QString& title, const QString& text)
{
    const std::pair<QString, QString> box{title, text};
    if (showMessage(QStringLiteral("Error"), title, text, QStringLiteral("OK")) != -1)
        showDeferredErrors();
    else if (!m_deferredErrors.contains(box))
        m_deferredErrors.append(box);
}

void TolvoTool::showDeferredErrors()
{
    while (!m_deferredErrors.isEmpty()) {
        const std::pair<QString, QString> box = m_deferredErrors.takeFirst();
        showErrorBox(box.first, box.second);
    }
}

void TolvoTool::withdrawWrenchBox()
{
    // With the port gone the wrench can no longer be answered.
    if (m_wrenchBoxOpen) {
        if (StyleTemplate* style = StyleTemplate::instance())
            style->closeMessage();
    }
}

void TolvoTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F9) {
        setOnline(!m_online);
        return;
    }
    event->ignore();
}

// Here rather than when painting: a window made smaller than the scroll
// area's old height would be covered by it and never painted again.
void TolvoTool::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_background.isNull()) {
        const QPixmap scaled = m_background.scaled(size(), Qt::KeepAspectRatioByExpanding,
                                                   Qt::SmoothTransformation);
        QPalette windowPalette = palette();
        windowPalette.setBrush(QPalette::All, QPalette::Window, QBrush(scaled));
        setPalette(windowPalette);
    }
    m_scrollArea->setGeometry(0, 0, width(), height() - ButtonRowHeight);
    m_historyView->contentWidget()->setGeometry(0, 0, width() - ScrollMargin,
                                                height() - ButtonRowHeight);
    m_historyView->updateLogo(width(), height());
}

void TolvoTool::customEvent(QEvent* event)
{
    switch (static_cast<int>(event->type())) {
    case comevent::Receive:
        onReceivedFrame(event);
        break;
    case comevent::ReadError:
        onPortLost();
        break;
    case comevent::WriteError:
        onWriteError();
        break;
    case comevent::PortListChanged:
        refreshPortList();
        break;
    case kaps::Acknowledge:
        m_service.onAcknowledgeAnnounced();
        break;
    case kaps::Identification:
        onIdentification(event);
        break;
    default:
        if (const auto* message = dynamic_cast<KaPSMessage*>(event))
            m_service.handleMessage(*message);
        break;
    }
}

void TolvoTool::onReceivedFrame(QEvent* event)
{
    auto* received = dynamic_cast<ComReceiveEvent*>(event);
    RxSlot* slot = received ? received->slot() : nullptr;
    if (!slot || slot->state.load(std::memory_order_acquire) != RxSlot::Complete)
        return;
    const frame::View frame(slot->data(), slot->length);

    if (frame.isAck())
        m_service.onAcknowledgeFrame(frame.hasMnemonic("VER"));
    std::optional<WrenchMessage> message;
    if (frame.hasMnemonic("MGD"))
        message = parseWrenchMessage(slot->data(), slot->length);
    // Free before a message box runs its own event loop.
    slot->release();
    if (message)
        onWrenchMessage(*message);
}

void TolvoTool::onWrenchMessage(const WrenchMessage& message)
{
    if (message.closesBox()) {
        if (message.id == m_pendingMessageId || message.id == 0) {
            // Never a box of the tool's own.
            withdrawWrenchBox();
            m_pendingMessageId = 0;
        }
        return;
    }
    if (!message.showsBox())
        return;

    // Taken back below when the box could not be shown: another one is open.
    const int pendingBefore = m_pendingMessageId;
    const bool wrenchBoxBefore = m_wrenchBoxOpen;
    if (m_pendingMessageId == 0)
        m_pendingMessageId = message.id;
    m_wrenchBoxOpen = true;
    const int result = showMessage(message.kind, message.title, message.message, message.buttons);
    if (result == -1) {
        m_pendingMessageId = pendingBefore;
        m_wrenchBoxOpen = wrenchBoxBefore;
    } else {
        m_pendingMessageId = 0;
        m_wrenchBoxOpen = false;
    }
    m_messageService.confirmData(message.id, result == -1 ? NotShownAnswer : result);
    // Only now: the wrench has its answer, and a box of the tool's own can no
    // longer be taken for the wrench's.
    if (result != -1)
        showDeferredErrors();
}

bool TolvoTool::portLossToReport() const
{
    return m_messageService.isOpen() && !m_writeErrorShown;
}

void TolvoTool::onPortLost()
{
    if (!portLossToReport())
        return;
    m_deferredErrors.clear();
    closePort();
    withdrawWrenchBox();
    showError(tr("Com Port is no longer available!"));
}

void TolvoTool::onWriteError()
{
    if (!m_messageService.isOpen() || m_writeErrorShown)
        return;
    m_views.uncheckRefreshButtons();
    withdrawWrenchBox();
    m_deferredErrors.clear();
    m_writeErrorShown = true;
    showError(tr("Write Error to Com Port.\nPress Ok and disconnect the Port.\n"
                 "Check your Application and reopen the Port!"));
    m_writeErrorShown = false;
    closePort();
}

void TolvoTool::onIdentification(QEvent* event)
{
    const auto* message = dynamic_cast<KaPSMessage*>(event);
    if (!message)
        return;
    const DeviceIdentity identity = splitIdentification(message->text);
    m_deviceName = identity.name;
    m_deviceVersion = identity.version;
    m_deviceExtra = identity.extra;
    m_pendingMessageId = 0;
    updateStatusText();
    m_service.onIdentification(message->text);
}
