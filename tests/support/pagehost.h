#pragma once

// The main window as the device views see it: connected to a full-version
// wrench, recording what the views ask of it.
#include "history/historyhost.h"
#include "history/historyreports.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <utility>

struct SentWrite {
    int id;
    QByteArray value;
    bool reRead;
};

class PageHost : public HistoryHost
{
public:
    bool setParam(int id, const char* value, int length, bool reRead) override
    {
        writes.append({id, QByteArray(value, length), reRead});
        return true;
    }
    bool startParamService() override
    {
        ++serviceStarts;
        return identified;
    }
    void beginParamTransfer(bool quiet) override { transfers.append(quiet ? "begin quiet" : "begin"); }
    void endParamTransfer(bool quiet) override { transfers.append(quiet ? "end quiet" : "end"); }
    void setCurrentFile(const QString& name, bool remember) override
    {
        currentFile = name;
        remembered = remember;
    }
    void setXmlPath(const QString& directory) override { xmlPath = directory; }
    void showError(const QString& text) override { errors.append(text); }
    void setHistoryMode(int mode) override { historyModeSet = mode; }
    int firmwareKind() const override { return kind; }
    bool wrenchIdentified() const override { return identified; }
    int historyMode() const override { return 2; }
    QString deviceDesignation() const override { return QStringLiteral("TOLVO TW-200"); }
    QString firmwareVersion() const override { return QStringLiteral("FW 2.14.0"); }
    QString hardwareVersion() const override { return QStringLiteral("HW 3.1"); }
    QString serialNumber() const override { return QStringLiteral("TW2000123"); }
    QChar historyDecimalSeparator() const override { return u'.'; }
    StatsThresholds statsThresholds() const override { return {}; }
    bool requestRecords(int number) override
    {
        recordRequests.append(number);
        return portOpen;
    }
    QString historyPath() const override { return QString(); }
    void setHistoryPath(const QString&) override {}
    QString archiveReadout(const ReportSettings& settings, QByteArrayView block) override
    {
        archived.append({settings.identity.serialNumber, block.toByteArray()});
        return archiveText;
    }
    void openArchive() override { ++archiveOpened; }

    int kind = 2;
    bool identified = true;
    bool portOpen = true;
    QList<SentWrite> writes;
    QList<int> recordRequests;
    int serviceStarts = 0;
    QList<QByteArray> transfers;
    QString currentFile;
    bool remembered = false;
    QString xmlPath;
    QStringList errors;
    int historyModeSet = -1;
    // The serial number and records of each readout handed to the archive.
    QList<std::pair<QString, QByteArray>> archived;
    QString archiveText;
    int archiveOpened = 0;
};
