#pragma once

#include "history/historyreports.h"
#include "history/savenameasker.h"
#include "params/viewbase.h"

#include <QPixmap>
#include <QPointer>

#include <memory>

class ChartWindow;
class HistoryHost;

namespace Ui {
class ViewHistory;
}

// The history page: reads the wrench's stored measurements, shows the text
// report and saves either report. Before the readout it reads the identity
// parameters through the window's tick and raises the access level.
class ViewHistory : public ViewBase
{
    Q_OBJECT

public:
    ViewHistory(QWidget* parent, HistoryHost* host);
    ~ViewHistory() override;

    // "widgetHistory": the main window moves it into its scroll area.
    QWidget* contentWidget() const;

    // The page is usable only while the wrench is connected; coming online
    // starts the parameter service and reads the identity parameters, going
    // offline ends a readout.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // The access level, the history mode, the device texts.
    void prepareReadList();
    // The answer to a read of the read list: kept in the model; the access
    // level is raised when below service level.
    void onParamValue(int pid, const char* bytes, int byteCount);
    void checkAccessLevel();

    // The readout as the window reports it.
    void setProgress(int percent);
    void showProgress(bool on);
    void showProcessing();
    void onHistoryData(const char* block, int length);
    // The wrench announced more than the tool accepts; nothing was kept.
    void onHistoryTooLarge();
    // A Read pressed before this connection's firmware kind was known goes
    // on now.
    void onFirmwareKnown();
    // The port closed: a readout under way will never end, and the next
    // connection reads the history anew.
    void abandonReadout();
    bool isReading() const { return m_reading; }

    const HistoryReports& reports() const { return m_reports; }
    void clearReports();
    // The logo a fifth of the window wide.
    void updateLogo(int windowWidth, int windowHeight);
    // The form's texts in the language now installed.
    void retranslate();

    // The save dialog; QFileDialog unless replaced.
    void setSaveNameAsker(SaveNameAsker asker) { m_askSaveName = std::move(asker); }

    // Save as the page does it, for every window with reports: askName is
    // asked over parent with a name in the host's save folder; a name ending
    // in ".csv" gets the CSV report. A failed write is shown in a box, a
    // done one makes its folder the host's save folder.
    static void saveReports(QWidget* parent, HistoryHost& host, const SaveNameAsker& askName,
                            const HistoryReports& reports, const QString& serialNumber);
    // records of the wrench identity in chart, whose saves propose names in
    // the host's save folder.
    static void showInChart(ChartWindow& chart, const HistoryHost& host, const QByteArray& records,
                            const ReportIdentity& identity);
    // The look of the report, given again before every message and report.
    static const QString& reportStyleSheet();

public slots:
    void slotReadHistory();
    void slotSaveHistory();
    // Opens the chart of the report's records, or brings it to the front.
    void slotShowChart();

private:
    ReportSettings reportSettings() const;
    void showText(const QString& text);
    void showMessageText(const QString& message);
    void showInterrupted();
    static QString readingText();
    static QString unknownFirmwareText();
    void startReading();
    void finishReading();
    void releaseWaitCursor();
    void setIdleButtons();
    void setPageShown(bool shown);
    // The chart shows the records of the report there is, if any.
    void updateChart(QByteArrayView block, const ReportIdentity& identity);
    void showRecordsInChart();
    void showArchiveResult(const QString& text);

    std::unique_ptr<Ui::ViewHistory> m_form;
    HistoryHost* m_historyHost;
    HistoryReports m_reports;
    QChar m_decimalSeparator;
    QPixmap m_logo;
    SaveNameAsker m_askSaveName;
    bool m_active = false;
    // The 4-byte access code goes out with the first Read of a connection.
    bool m_accessCodePending = true;
    // A readout is under way and this page holds the wait cursor.
    bool m_reading = false;
    // Read was pressed before the firmware kind was read.
    bool m_readWaiting = false;
    // The port closed under this connection: nothing more can be read.
    bool m_portClosed = false;
    // The records behind the reports, for the chart.
    QByteArray m_records;
    // The wrench that gave them, for the chart's PDF after it has gone.
    ReportIdentity m_recordsIdentity;
    QPointer<ChartWindow> m_chartWindow;
};
