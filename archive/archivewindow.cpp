#include "archive/archivewindow.h"

#include "history/aqdefexport.h"
#include "history/chartwindow.h"
#include "history/historyhost.h"
#include "history/historysave.h"
#include "history/reportview.h"
#include "history/viewhistory.h"
#include "ui/styletemplate.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The reports' date format.
const QString dateFormat = QStringLiteral("dd.MM.yyyy");

enum Column { SerialColumn, DeviceColumn, CountColumn, FirstColumn, LastColumn, ColumnCount };

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* item = new QTableWidgetItem(text); // the table owns it once set
    item->setTextAlignment(alignment);
    return item;
}

QDateEdit* dateEdit(QWidget* parent, const char* name)
{
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(dateFormat);
    edit->setDate(QDate::currentDate());
    return edit;
}

} // namespace

ArchiveWindow::ArchiveWindow(QWidget* parent, HistoryHost& host, QString archiveFile)
    : QWidget(parent, Qt::Window)
    , m_host(host)
    , m_archiveFile(std::move(archiveFile))
    , m_wrenches(new QTableWidget(0, ColumnCount, this))
    , m_allDates(new QCheckBox(this))
    , m_fromLabel(new QLabel(this))
    , m_from(dateEdit(this, "archiveFrom"))
    , m_toLabel(new QLabel(this))
    , m_to(dateEdit(this, "archiveTo"))
    , m_count(new QLabel(this))
    , m_report(new ReportView(this))
    , m_status(new QLabel(this))
    , m_save(new QPushButton(this))
    , m_aqdef(new QPushButton(this))
    , m_chart(new QPushButton(this))
    , m_close(new QPushButton(this))
    , m_askSaveName(fileDialogAsker(this))
{
    buildForm();
    connect(m_wrenches, &QTableWidget::itemSelectionChanged, this, &ArchiveWindow::onWrenchChosen);
    connect(m_allDates, &QCheckBox::toggled, this, &ArchiveWindow::onDatesChanged);
    connect(m_from, &QDateEdit::dateChanged, this, &ArchiveWindow::onDatesChanged);
    connect(m_to, &QDateEdit::dateChanged, this, &ArchiveWindow::onDatesChanged);
    connect(m_save, &QPushButton::clicked, this, &ArchiveWindow::slotSave);
    connect(m_aqdef, &QPushButton::clicked, this, &ArchiveWindow::slotSaveAqdef);
    connect(m_chart, &QPushButton::clicked, this, &ArchiveWindow::slotShowChart);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    retranslate();
    clearSelection();
}

ArchiveWindow::~ArchiveWindow() = default;

void ArchiveWindow::buildForm()
{
    setObjectName(QStringLiteral("ArchiveWindow"));
    if (const StyleTemplate* style = StyleTemplate::instance())
        setWindowIcon(QIcon(style->styleDirectory() + QLatin1String("tlterm.png")));

    m_wrenches->setObjectName(QStringLiteral("archiveWrenches"));
    m_wrenches->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_wrenches->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wrenches->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_wrenches->setTabKeyNavigation(false);
    m_wrenches->verticalHeader()->hide();
    m_wrenches->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_wrenches->horizontalHeader()->setSectionResizeMode(DeviceColumn, QHeaderView::Stretch);
    m_allDates->setObjectName(QStringLiteral("archiveAllDates"));
    m_allDates->setChecked(true);
    enableDateFields();
    m_fromLabel->setBuddy(m_from);
    m_toLabel->setBuddy(m_to);
    m_count->setObjectName(QStringLiteral("archiveCount"));
    m_report->setObjectName(QStringLiteral("archiveReport"));
    m_report->setStyleSheet(ViewHistory::reportStyleSheet());
    m_status->setObjectName(QStringLiteral("archiveStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_save->setObjectName(QStringLiteral("archiveSave"));
    m_aqdef->setObjectName(QStringLiteral("archiveAqdef"));
    m_chart->setObjectName(QStringLiteral("archiveChart"));
    m_close->setObjectName(QStringLiteral("archiveClose"));

    auto* dates = new QHBoxLayout;
    dates->addWidget(m_allDates);
    dates->addSpacing(16);
    dates->addWidget(m_fromLabel);
    dates->addWidget(m_from);
    dates->addWidget(m_toLabel);
    dates->addWidget(m_to);
    dates->addStretch(1);
    dates->addWidget(m_count);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_aqdef);
    buttons->addWidget(m_chart);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_wrenches, 1);
    layout->addLayout(dates);
    layout->addWidget(m_report, 4);
    layout->addLayout(buttons);
    resize(960, 720);
}

void ArchiveWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void ArchiveWindow::retranslate()
{
    setWindowTitle(tr("Readout archive"));
    m_wrenches->setHorizontalHeaderLabels(
        {tr("Serial number"), tr("Device"), tr("Measurements"), tr("First measurement"), tr("Last measurement")});
    m_wrenches->setAccessibleName(tr("Archived wrenches"));
    m_allDates->setText(tr("All dates"));
    m_fromLabel->setText(tr("From"));
    m_from->setAccessibleName(tr("First date"));
    m_toLabel->setText(tr("To"));
    m_to->setAccessibleName(tr("Last date"));
    m_report->setAccessibleName(tr("Report of the archived measurements"));
    m_save->setText(tr("Save to File"));
    m_aqdef->setText(tr("AQDEF…"));
    m_chart->setText(tr("Chart"));
    m_close->setText(tr("Close"));
    // The report and the counts in the new language.
    if (isVisible())
        reload();
}

void ArchiveWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

// The file stays free for others while nobody looks.
void ArchiveWindow::hideEvent(QHideEvent* event)
{
    m_store.reset();
    QWidget::hideEvent(event);
}

void ArchiveWindow::reload()
{
    const QString keep = selectedSerial();
    m_store.reset();
    // Looking must not make an archive where no readout made one.
    if (!QFileInfo::exists(m_archiveFile)) {
        showWrenches({}, keep);
        showStatus(tr("No readout has been archived yet (%1).").arg(QDir::toNativeSeparators(m_archiveFile)));
        return;
    }
    ArchiveStatus status;
    m_store = ArchiveStore::openLocal(m_archiveFile, status);
    const QList<WrenchSummary> wrenches = m_store ? m_store->wrenches(status) : QList<WrenchSummary>();
    if (!status.ok())
        m_store.reset();
    showStatus(status.ok() ? tr("Archive: %1").arg(QDir::toNativeSeparators(m_archiveFile)) : status.message);
    showWrenches(wrenches, keep);
}

void ArchiveWindow::showWrenches(const QList<WrenchSummary>& wrenches, const QString& keepSerial)
{
    {
        // One selection at the end, not one per row.
        const QSignalBlocker quiet(m_wrenches);
        m_wrenches->clearContents();
        m_wrenches->setRowCount(static_cast<int>(wrenches.size()));
        int keepRow = wrenches.isEmpty() ? -1 : 0;
        for (int row = 0; row < m_wrenches->rowCount(); ++row) {
            const WrenchSummary& wrench = wrenches[row];
            m_wrenches->setItem(row, SerialColumn, cell(wrench.serial));
            m_wrenches->setItem(row, DeviceColumn, cell(wrench.deviceName));
            const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
            m_wrenches->setItem(row, CountColumn, cell(QString::number(wrench.records), right));
            m_wrenches->setItem(row, FirstColumn, cell(wrench.first.toString(dateFormat), Qt::AlignCenter));
            m_wrenches->setItem(row, LastColumn, cell(wrench.last.toString(dateFormat), Qt::AlignCenter));
            m_wrenches->item(row, FirstColumn)->setData(Qt::UserRole, wrench.first);
            m_wrenches->item(row, LastColumn)->setData(Qt::UserRole, wrench.last);
            if (wrench.serial == keepSerial)
                keepRow = row;
        }
        m_wrenches->clearSelection();
        if (keepRow >= 0)
            m_wrenches->selectRow(keepRow);
    }
    onWrenchChosen();
}

QString ArchiveWindow::selectedSerial() const
{
    const QList<QTableWidgetItem*> chosen = m_wrenches->selectedItems();
    return chosen.isEmpty() ? QString() : m_wrenches->item(chosen.first()->row(), SerialColumn)->text();
}

// While all dates count, the date fields show the wrench's first and last.
void ArchiveWindow::onWrenchChosen()
{
    const QList<QTableWidgetItem*> chosen = m_wrenches->selectedItems();
    if (!chosen.isEmpty() && m_allDates->isChecked()) {
        const int row = chosen.first()->row();
        const QDate first = m_wrenches->item(row, FirstColumn)->data(Qt::UserRole).toDate();
        const QDate last = m_wrenches->item(row, LastColumn)->data(Qt::UserRole).toDate();
        const QSignalBlocker quietFrom(m_from);
        const QSignalBlocker quietTo(m_to);
        if (first.isValid())
            m_from->setDate(first);
        if (last.isValid())
            m_to->setDate(last);
    }
    showSelection();
}

void ArchiveWindow::onDatesChanged()
{
    enableDateFields();
    showSelection();
}

void ArchiveWindow::enableDateFields()
{
    m_from->setEnabled(!m_allDates->isChecked());
    m_to->setEnabled(!m_allDates->isChecked());
}

void ArchiveWindow::showSelection()
{
    const QString serial = selectedSerial();
    if (!m_store || serial.isEmpty()) {
        clearSelection();
        return;
    }
    MeasurementFilter filter{serial, {}, {}};
    if (!m_allDates->isChecked()) {
        filter.from = m_from->date();
        filter.to = m_to->date();
    }
    m_selection = m_store->measurements(filter);
    if (!m_selection.status.ok()) {
        showStatus(m_selection.status.message);
        clearSelection();
        return;
    }
    ReportSettings settings;
    settings.identity = m_selection.identity;
    settings.historyMode = m_selection.historyMode;
    settings.decimalSeparator = m_host.historyDecimalSeparator();
    m_reports = m_selection.block.isEmpty() ? HistoryReports()
                                            : buildReports(m_selection.block, settings, QDateTime::currentDateTime());
    m_report->setPlainText(m_reports.text);
    m_save->setEnabled(!m_reports.text.isEmpty());
    m_aqdef->setEnabled(!m_selection.block.isEmpty());
    m_chart->setEnabled(!m_selection.block.isEmpty());
    showCount();
    if (m_chartWindow)
        ViewHistory::showInChart(*m_chartWindow, m_host, m_selection.block, m_selection.identity);
}

void ArchiveWindow::clearSelection()
{
    m_selection = ArchivedMeasurements();
    m_reports = HistoryReports();
    m_report->clear();
    m_save->setEnabled(false);
    m_aqdef->setEnabled(false);
    m_chart->setEnabled(false);
    showCount();
    if (m_chartWindow)
        ViewHistory::showInChart(*m_chartWindow, m_host, {}, {});
}

void ArchiveWindow::showCount()
{
    if (selectedSerial().isEmpty()) {
        m_count->clear();
        return;
    }
    m_count->setText(tr("Measurements shown: %1").arg(m_selection.count()));
}

void ArchiveWindow::showStatus(const QString& text)
{
    m_status->setText(text);
}

void ArchiveWindow::slotSave()
{
    if (m_reports.text.isEmpty())
        return;
    ViewHistory::saveReports(this, m_host, m_askSaveName, m_reports, m_selection.identity.serialNumber);
}

void ArchiveWindow::slotSaveAqdef()
{
    if (m_selection.block.isEmpty())
        return;
    const QString proposed = historysave::proposedFileName(m_host.historyPath(), tr("Values"),
                                                           m_selection.identity.serialNumber,
                                                           QDateTime::currentDateTime());
    QString filter;
    const QString answer = m_askSaveName(tr("Save for the Quality System"), proposed + QStringLiteral(".dfq"),
                                         tr("AQDEF Files (*.dfq)"), &filter);
    if (answer.isEmpty())
        return;
    const QString fileName = historysave::withFilterSuffix(answer, filter);
    QString error;
    if (!historysave::writeFile(fileName, aqdefFile(m_selection.block, m_selection.identity), {}, error)) {
        if (StyleTemplate* style = StyleTemplate::instance())
            style->showMessage(QStringLiteral("Error"), tr("AQDEF File"),
                               tr("Cannot write file %1:\n%2.").arg(fileName, error), tr("OK"), this);
        return;
    }
    m_host.setHistoryPath(historysave::folderOf(fileName));
}

void ArchiveWindow::slotShowChart()
{
    if (m_selection.block.isEmpty())
        return;
    if (!m_chartWindow) {
        m_chartWindow = new ChartWindow(this); // this window owns it
        ViewHistory::showInChart(*m_chartWindow, m_host, m_selection.block, m_selection.identity);
    }
    m_chartWindow->show();
    m_chartWindow->raise();
    m_chartWindow->activateWindow();
}
