#pragma once

// The main window as the history page sees it: connected to a full-version
// wrench, recording what the page asks of it.
#include "history/historyhost.h"

#include <QByteArray>
#include <QList>

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
    bool startParamService() override { return true; }
    void beginParamTransfer(bool) override {}
    void endParamTransfer(bool) override {}
    void setCurrentFile(const QString&, bool) override {}
    void setXmlPath(const QString&) override {}
    void showError(const QString&) override {}
    void setHistoryMode(int) override {}
    int firmwareKind() const override { return kind; }
    int historyMode() const override { return 2; }
    QString deviceDesignation() const override { return QStringLiteral("TOLVO TW-200"); }
    QString firmwareVersion() const override { return QStringLiteral("FW 2.14.0"); }
    QString hardwareVersion() const override { return QStringLiteral("HW 3.1"); }
    QString serialNumber() const override { return QStringLiteral("TW2000123"); }
    QChar historyDecimalSeparator() const override { return u'.'; }
    bool requestRecords(int number) override
    {
        recordRequests.append(number);
        return portOpen;
    }
    QString historyPath() const override { return QString(); }
    void setHistoryPath(const QString&) override {}

    int kind = 2;
    bool portOpen = true;
    QList<SentWrite> writes;
    QList<int> recordRequests;
};
