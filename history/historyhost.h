#pragma once

#include "history/statssettings.h"
#include "params/viewhost.h"

#include <QByteArrayView>
#include <QChar>
#include <QString>

struct ReportSettings;

// What the history page asks of the main window besides the parameter
// service: the wrench's identity as read, the record block request, the
// folder of the last save and the readout archive. Every call runs on the
// GUI thread.
class HistoryHost : public ViewHost
{
public:
    // 1 base version, 2 full version, 3 unknown; anything else: parameter
    // 101 has not been read yet.
    virtual int firmwareKind() const = 0;
    // The port is open and the wrench has answered the identification: its
    // parameters are being read.
    virtual bool wrenchIdentified() const = 0;
    virtual int historyMode() const = 0;
    virtual QString deviceDesignation() const = 0;
    virtual QString firmwareVersion() const = 0;
    virtual QString hardwareVersion() const = 0;
    virtual QString serialNumber() const = 0;
    // "DECIMAL_SEPARATOR" of the settings file, read before the views.
    virtual QChar historyDecimalSeparator() const = 0;
    // The capability thresholds of the settings file, for the chart.
    virtual StatsThresholds statsThresholds() const = 0;

    // Sends "RRQ" with number; false, nothing sent, when the port is closed.
    virtual bool requestRecords(int number) = 0;

    // The folder the save proposes (ends in a separator, or is empty), and
    // the folder of a save just done, kept for the next start.
    virtual QString historyPath() const = 0;
    virtual void setHistoryPath(const QString& directory) = 0;

    // Keeps a readout in the archive; the line the page shows about it
    // (empty while archiving is off). A readout that cannot be archived
    // stays a readout.
    virtual QString archiveReadout(const ReportSettings& settings, QByteArrayView block) = 0;
    // Shows the archive's window, with or without a wrench.
    virtual void openArchive() = 0;
};
