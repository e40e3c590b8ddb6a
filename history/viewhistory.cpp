#include "history/viewhistory.h"

#include "history/chartwindow.h"
#include "history/historyhost.h"
#include "history/historysave.h"
#include "params/accesslevel.h"
#include "params/identityvalues.h"
#include "params/paramids.h"
#include "params/qorbpidman.h"
#include "protocol/kapsmessage.h"
#include "ui/styletemplate.h"
#include "ui_viewhistory.h"

#include <QApplication>

#include <iterator>

namespace {

const QString whiteText = QStringLiteral("color:#FFFFFF");

} // namespace

ViewHistory::ViewHistory(QWidget* parent, HistoryHost* host)
    : ViewBase(parent, host)
    , m_form(std::make_unique<Ui::ViewHistory>())
    , m_historyHost(host)
    , m_decimalSeparator(host->historyDecimalSeparator())
    , m_askSaveName(fileDialogAsker(this))
{
    m_form->setupUi(this);
    for (QPushButton* button : {m_form->pushButtonRead, m_form->pushButtonClear, m_form->pushButtonSave})
        button->setFocusPolicy(Qt::NoFocus);
    connect(m_form->pushButtonRead, &QPushButton::clicked, this, &ViewHistory::slotReadHistory);
    connect(m_form->pushButtonSave, &QPushButton::clicked, this, &ViewHistory::slotSaveHistory);
    connect(m_form->pushButtonChart, &QPushButton::clicked, this, &ViewHistory::slotShowChart);
    connect(m_form->pushButtonArchive, &QPushButton::clicked, this, [this] { m_historyHost->openArchive(); });
    m_form->pushButtonRead->setFocus();
    m_form->progressBarRead->setRange(0, 100);
    m_form->progressBarRead->setValue(0);
    setActive(false);
}

ViewHistory::~ViewHistory()
{
    releaseWaitCursor();
}

QWidget* ViewHistory::contentWidget() const
{
    return m_form->widgetHistory;
}

void ViewHistory::retranslate()
{
    m_form->retranslateUi(this);
}

void ViewHistory::setActive(bool active)
{
    clearWriteQueue();
    m_active = active;
    m_readWaiting = false;
    m_portClosed = false;
    // Only the page: the archive stays open to a window without a wrench.
    setEnabled(active);
    if (!active) {
        // No answer can come any more: the cursor must not stay busy.
        releaseWaitCursor();
        for (QPushButton* button : {m_form->pushButtonRead, m_form->pushButtonClear, m_form->pushButtonSave})
            button->setEnabled(false);
        showProgress(false);
        setPageShown(false);
        m_form->pushButtonClear->hide();
        m_form->labelLogo->setEnabled(false);
        return;
    }
    m_accessCodePending = true;
    clearReports();
    setIdleButtons();
    setPageShown(true);
    m_form->pushButtonClear->hide();
    m_form->labelLogo->setEnabled(true);
    if (host()->startParamService())
        host()->beginParamTransfer(false);
    prepareReadList();
}

void ViewHistory::setPageShown(bool shown)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{m_form->pushButtonRead, m_form->pushButtonSave,
                                                           m_form->pushButtonChart, m_form->textEditHistory,
                                                           m_form->label})
        widget->setVisible(shown);
}

void ViewHistory::setIdleButtons()
{
    m_form->pushButtonRead->setEnabled(true);
    m_form->pushButtonClear->setEnabled(false);
    m_form->pushButtonSave->setEnabled(true);
}

void ViewHistory::prepareReadList()
{
    queues().setReadIds(QList<int>(std::begin(paramid::IdentityReads), std::end(paramid::IdentityReads)));
}

void ViewHistory::onParamValue(int pid, const char* bytes, int byteCount)
{
    QorbPIDMan* parameters = model();
    if (!parameters || !parameters->decodeValues(static_cast<quint32>(pid), bytes, byteCount))
        return;
    QString value;
    QString unit;
    if (!parameters->scalarValue(static_cast<quint32>(pid), value, unit, nullptr))
        return;
    if (pid == paramid::AccessLevel)
        checkAccessLevel();
    else if (pid == paramid::HistoryMode)
        host()->setHistoryMode(value.toInt());
}

void ViewHistory::checkAccessLevel()
{
    QString value;
    QString unit;
    if (model() && model()->scalarValue(paramid::AccessLevel, value, unit, nullptr)
        && accesslevel::isServiceLevel(value))
        return;
    queueWrite(paramid::AccessLevel, accesslevel::textCode(), true);
}

void ViewHistory::slotReadHistory()
{
    if (m_portClosed) {
        showInterrupted();
        return;
    }
    // Another wrench's firmware kind and history mode must not decide this
    // one's readout: wait until this connection has read them, as long as
    // the wrench answers at all.
    m_readWaiting = m_historyHost->firmwareKind() == IdentityValues::NotRead && m_historyHost->wrenchIdentified();
    if (m_readWaiting) {
        clearReports();
        showMessageText(readingText());
        for (QPushButton* button : {m_form->pushButtonRead, m_form->pushButtonClear, m_form->pushButtonSave})
            button->setEnabled(false);
        return;
    }
    if (m_accessCodePending) {
        const QByteArray code = accesslevel::readoutCode();
        host()->setParam(paramid::AccessLevel, code.constData(), static_cast<int>(code.size()), true);
        m_accessCodePending = false;
    }
    clearReports();
    // A text access code still queued would come between the two codes.
    clearWriteQueue();
    m_form->textEditHistory->setStyleSheet(reportStyleSheet());
    // A Read that waited had them disabled.
    setIdleButtons();

    switch (m_historyHost->firmwareKind()) {
    case 2:
        startReading();
        break;
    case 3:
        showMessageText(unknownFirmwareText());
        break;
    case 1:
        showMessageText(tr("You have connected a base version. A reading of the stored data is not possible!"));
        break;
    default:
        // No wrench has answered on this port.
        showMessageText(unknownFirmwareText());
        break;
    }
}

void ViewHistory::startReading()
{
    if (!m_reading) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_reading = true;
    }
    showMessageText(readingText());
    showProgress(true);
    for (QPushButton* button : {m_form->pushButtonRead, m_form->pushButtonClear, m_form->pushButtonSave})
        button->setEnabled(false);
    prepareReadList();
    // The port closed under the page: no answer will come.
    if (!m_historyHost->requestRecords(kaps::HistoryTransfer))
        abandonReadout();
}

void ViewHistory::setProgress(int percent)
{
    m_form->progressBarRead->setValue(qMin(percent, m_form->progressBarRead->maximum()));
    m_form->labelPercentVal->setStyleSheet(whiteText);
    m_form->labelPercentVal->setText(QString::number(percent) + QLatin1Char('%'));
}

void ViewHistory::showProgress(bool on)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{m_form->progressBarRead, m_form->labelPercentVal,
                                                           m_form->labelProgress})
        widget->setVisible(on);
    if (!on)
        return;
    m_form->labelProgress->setStyleSheet(whiteText);
    setProgress(0);
}

void ViewHistory::showProcessing()
{
    clearReports();
    showMessageText(tr("HISTORY DATA ARE PROCESSED, PLEASE WAIT..!\nview changes if the process was finished!"));
}

void ViewHistory::onHistoryData(const char* block, int length)
{
    if (length <= 0) {
        showMessageText(tr("no data found!"));
    } else {
        const QByteArrayView records(block, length);
        const ReportSettings settings = reportSettings();
        // Kept first, before anything else can go wrong with the readout.
        const QString archived = m_historyHost->archiveReadout(settings, records);
        m_reports = buildReports(records, settings, QDateTime::currentDateTime());
        updateChart(records, settings.identity);
        showText(m_reports.text);
        showArchiveResult(archived);
    }
    finishReading();
}

void ViewHistory::onHistoryTooLarge()
{
    clearReports();
    showMessageText(tr("HISTORY TOO LARGE!\nthe device holds more data than can be read out."));
    finishReading();
}

void ViewHistory::onFirmwareKnown()
{
    if (m_readWaiting)
        slotReadHistory();
}

void ViewHistory::abandonReadout()
{
    m_portClosed = true;
    if (!m_reading && !m_readWaiting)
        return;
    m_readWaiting = false;
    showInterrupted();
    finishReading();
}

// Said on the page, where the readout was awaited.
void ViewHistory::showInterrupted()
{
    clearReports();
    showMessageText(tr("READOUT INTERRUPTED!\nthe connection to the wrench was lost.\n"
                       "please reconnect and read again."));
}

void ViewHistory::finishReading()
{
    releaseWaitCursor();
    showProgress(false);
    setProgress(0);
    setIdleButtons();
}

void ViewHistory::releaseWaitCursor()
{
    if (m_reading) {
        QApplication::restoreOverrideCursor();
        m_reading = false;
    }
}

ReportSettings ViewHistory::reportSettings() const
{
    ReportSettings settings;
    settings.identity = {m_historyHost->deviceDesignation(), m_historyHost->firmwareVersion(),
                         m_historyHost->hardwareVersion(), m_historyHost->serialNumber()};
    settings.historyMode = m_historyHost->historyMode();
    settings.decimalSeparator = m_decimalSeparator;
    return settings;
}

const QString& ViewHistory::reportStyleSheet()
{
    static const QString style = QStringLiteral(
        "background-color:#FFFFF5;color:#033921;font-family:courier;font-size:13px;font-weight:bold;"
        "border-width:1px;border-color:#959526;border-style:dotted;padding:17px 45px");
    return style;
}

void ViewHistory::showText(const QString& text)
{
    m_form->textEditHistory->setStyleSheet(reportStyleSheet());
    m_form->textEditHistory->setPlainText(text);
}

QString ViewHistory::unknownFirmwareText()
{
    return tr("DEVICE FIRMWARE VERSION UNKNOWN!\nreadout impossible!\nplease reconnect device..");
}

QString ViewHistory::readingText()
{
    return tr("READING HISTORY, PLEASE WAIT..!\nthis process may take a few seconds!\n"
              "view changes if the process was finished!");
}

void ViewHistory::showMessageText(const QString& message)
{
    showText(QStringLiteral("\n\n") + message);
}

void ViewHistory::clearReports()
{
    updateChart({}, {});
    m_reports = HistoryReports();
    m_form->textEditHistory->clear();
    showArchiveResult(QString());
}

void ViewHistory::showArchiveResult(const QString& text)
{
    m_form->labelArchive->setText(text);
    m_form->labelArchive->setVisible(!text.isEmpty());
}

void ViewHistory::slotSaveHistory()
{
    if (m_reports.text.isEmpty()) {
        m_form->textEditHistory->clear();
        showMessageText(tr("please readout before save!"));
        return;
    }
    saveReports(this, *m_historyHost, m_askSaveName, m_reports, m_historyHost->serialNumber());
}

void ViewHistory::saveReports(QWidget* parent, HistoryHost& host, const SaveNameAsker& askName,
                              const HistoryReports& reports, const QString& serialNumber)
{
    // Events handled while the dialog is open may empty or replace the
    // reports (the port lost, the window offline): what is saved is what
    // was shown.
    const HistoryReports shown = reports;
    const QString proposed = historysave::proposedFileName(host.historyPath(), tr("Protocol"), serialNumber,
                                                           QDateTime::currentDateTime());
    QString selectedFilter;
    const QString answer =
        askName(tr("Save History Data"), proposed, tr("TXT Files (*.txt);;CSV Files (*.csv)"), &selectedFilter);
    if (answer.isEmpty())
        return;
    const QString fileName = historysave::withFilterSuffix(answer, selectedFilter);
    QString error;
    if (!historysave::writeReport(fileName, historysave::reportFor(fileName, shown), error)) {
        if (StyleTemplate* style = StyleTemplate::instance())
            style->showMessage(QStringLiteral("Error"), tr("TXT File"),
                               tr("Cannot write file %1:\n%2.").arg(fileName, error), tr("OK"), parent);
        return;
    }
    host.setHistoryPath(historysave::folderOf(fileName));
}

void ViewHistory::updateChart(QByteArrayView block, const ReportIdentity& identity)
{
    m_records = block.toByteArray();
    m_recordsIdentity = identity;
    m_form->pushButtonChart->setEnabled(!m_records.isEmpty());
    if (m_chartWindow)
        showRecordsInChart();
}

void ViewHistory::showRecordsInChart()
{
    showInChart(*m_chartWindow, *m_historyHost, m_records, m_recordsIdentity);
}

void ViewHistory::showInChart(ChartWindow& chart, const HistoryHost& host, const QByteArray& records,
                              const ReportIdentity& identity)
{
    chart.showRecords(records, host.historyDecimalSeparator(),
                      historysave::proposedFileName(host.historyPath(), tr("Chart"), identity.serialNumber,
                                                    QDateTime::currentDateTime()),
                      host.statsThresholds(), identity);
}

void ViewHistory::slotShowChart()
{
    if (m_records.isEmpty())
        return;
    if (!m_chartWindow) {
        m_chartWindow = new ChartWindow(this); // the page owns it
        showRecordsInChart();
    }
    m_chartWindow->show();
    m_chartWindow->raise();
    m_chartWindow->activateWindow();
}

void ViewHistory::updateLogo(int windowWidth, int)
{
    if (m_logo.isNull()) {
        const StyleTemplate* style = StyleTemplate::instance();
        if (!style || !m_logo.load(style->styleDirectory() + QLatin1String("logo.PNG")))
            return;
    }
    const int targetWidth = windowWidth / 5;
    const QSize label = m_form->labelLogo->size();
    // A label not laid out yet counts as square.
    const double ratio = label.width() > 0 && label.height() > 0
        ? static_cast<double>(label.width()) / static_cast<double>(label.height())
        : 1.0;
    const int targetHeight = static_cast<int>(static_cast<double>(targetWidth) / ratio);
    if (targetWidth <= 0 || targetHeight <= 0)
        return;
    m_form->labelLogo->setPixmap(
        m_logo.scaled(targetWidth, targetHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
