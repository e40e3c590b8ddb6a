#pragma once

#include "archive/archivestore.h"
#include "history/historyreports.h"
#include "history/savenameasker.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class ChartWindow;
class HistoryHost;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class ReportView;

// The readout archive on this computer: its wrenches, and the text report of
// one wrench's measurements, all or those of a range of dates, saved and
// charted as the history page saves and charts a readout. Reads the archive
// anew whenever it is shown; the main window has it reload after a readout.
class ArchiveWindow : public QWidget
{
    Q_OBJECT

public:
    // host gives the save folder and the decimal separator; archiveFile is
    // never created here.
    ArchiveWindow(QWidget* parent, HistoryHost& host, QString archiveFile);
    ~ArchiveWindow() override;

    void reload();
    const HistoryReports& reports() const { return m_reports; }
    const ArchivedMeasurements& selection() const { return m_selection; }

    // The save dialog; QFileDialog unless replaced.
    void setSaveNameAsker(SaveNameAsker asker) { m_askSaveName = std::move(asker); }

public slots:
    void slotSave();
    // The selection as an AQDEF file for the plant's quality system.
    void slotSaveAqdef();
    void slotShowChart();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildForm();
    void retranslate();
    void showWrenches(const QList<WrenchSummary>& wrenches, const QString& keepSerial);
    QString selectedSerial() const;
    void onWrenchChosen();
    void onDatesChanged();
    void enableDateFields();
    void showSelection();
    void clearSelection();
    void showCount();
    void showStatus(const QString& text);

    HistoryHost& m_host;
    const QString m_archiveFile;
    // Open while the window is shown; the GUI thread's own connection.
    std::unique_ptr<ArchiveStore> m_store;

    QTableWidget* m_wrenches;
    QCheckBox* m_allDates;
    QLabel* m_fromLabel;
    QDateEdit* m_from;
    QLabel* m_toLabel;
    QDateEdit* m_to;
    QLabel* m_count;
    ReportView* m_report;
    QLabel* m_status;
    QPushButton* m_save;
    QPushButton* m_aqdef;
    QPushButton* m_chart;
    QPushButton* m_close;

    ArchivedMeasurements m_selection;
    HistoryReports m_reports;
    SaveNameAsker m_askSaveName;
    QPointer<ChartWindow> m_chartWindow;
};
