#pragma once

#include "app/deviceservice.h"
#include "app/qorbinifile.h"
#include "app/servicelink.h"
#include "app/windowviews.h"
#include "comm/qorbcomobserver.h"
#include "history/historyhost.h"
#include "protocol/qkapsmsgio.h"

#include <QChar>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <utility>

class ArchiveWindow;
class DlgSetup;
class ReadoutArchiver;
class QScrollArea;
class ViewHistory;
class ViewParam;
struct WrenchMessage;

namespace Ui {
class TolvoTool;
}

// The tool's only top-level window: connects and disconnects the wrench,
// shows its identification in the status line, reports lost ports and write
// failures, and shows the message boxes that the wrench asks for. Its
// parameter service serves the views' requests.
class TolvoTool : public QWidget, public HistoryHost
{
    Q_OBJECT

public:
    explicit TolvoTool(QWidget* parent = nullptr);
    ~TolvoTool() override;

    // 0 German, 1 English (the order of the setup dialog's language list).
    // English is the built-in text, so any index but 0 empties the translator;
    // a German file that cannot be found is reported in a warning box. The
    // window and the setup dialog show their texts in the new language at
    // once. Returns whether a translation file was loaded.
    bool loadTranslation(int languageIndex);

    // Where the history save proposes to write: the folder of the last save.
    QString historyPath() const override { return m_historyPath; }
    void setHistoryPath(const QString& directory) override;

    // Every readout goes into the archive of the settings file's section
    // "ARCHIVE", read at the start; the archive window reloads after it.
    QString archiveReadout(const ReportSettings& settings, QByteArrayView block) override;
    // The one archive window, made on first use and raised when open.
    void openArchive() override;
    ReadoutArchiver& archiver() { return *m_archiver; }
    ArchiveWindow* archiveWindow() const { return m_archiveWindow; }

    // Connects (opens the chosen port) or disconnects; a failed connect
    // changes nothing.
    void setOnline(bool on);
    bool isOnline() const { return m_online; }
    bool connectWrench();
    // Refills the setup dialog's port list; the Online button is usable only
    // while the chosen port is listed, and the window goes offline otherwise.
    void refreshPortList();
    // Stops the link, refills the port list and goes offline.
    void resetConnection();
    void updateStatusText();

    // The parameter service, for the views.
    bool requestParam(int id) { return m_service.requestParam(id); }
    bool setParam(int id, const char* value, int length, bool reRead) override
    {
        return m_service.setParam(id, value, length, reRead);
    }
    bool startParamService() override { return m_service.startParamService(); }
    void beginParamTransfer(bool quiet) override { m_service.beginParamTransfer(quiet); }
    void endParamTransfer(bool quiet) override { m_service.endParamTransfer(quiet); }
    void showParamProgress(bool show, bool busy) { m_service.showParamProgress(show, busy); }
    void setCurrentFile(const QString& name, bool remember) override;
    void setXmlPath(const QString& directory) override;
    void showError(const QString& text) override;
    void setHistoryMode(int mode) override { m_service.setHistoryMode(mode); }
    int historyMode() const override { return m_service.historyMode(); }
    int firmwareKind() const override { return m_service.firmwareKind(); }
    bool wrenchIdentified() const override { return m_link.isUsable(); }
    QString deviceDesignation() const override { return m_service.deviceDesignation(); }
    QString firmwareVersion() const override { return m_service.firmwareVersion(); }
    QString hardwareVersion() const override { return m_service.hardwareVersion(); }
    QString serialNumber() const override { return m_service.serialNumber(); }
    QChar historyDecimalSeparator() const override { return m_historyDecimalSeparator; }
    StatsThresholds statsThresholds() const override { return m_statsThresholds; }
    bool requestRecords(int number) override { return m_service.requestRecords(number); }
    const DeviceService& deviceService() const { return m_service; }
    ViewParam* paramView() const { return m_paramView; }
    ViewHistory* historyView() const { return m_historyView; }

    QorbInifile& settings() { return m_settings; }
    // For the views, which ask the wrench for the record block themselves.
    QKapsMsgIO& messageService() { return m_messageService; }

    void setVisible(bool visible) override;

public slots:
    void slotAutoUpdTimer() { m_service.tick(); }
    void slotSetOnOff();
    void slotSetup();
    void slotExit();

protected:
    void customEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeOnScreen();
    void styleButtons();
    void createViews();
    void readReportSeparator();
    void readSetup();
    void retranslateTexts();
    void setButtonTexts();

    // Opens the chosen port without any message; true when it opened.
    bool openChosenPort();
    void enterOnlineState(bool on);
    void connectAutomatically();
    void stopLink();
    void closePort();
    int showMessage(const QString& kind, const QString& title, const QString& text,
                    const QString& buttons);
    void showErrorBox(const QString& title, const QString& text);
    void showDeferredErrors();
    void withdrawWrenchBox();

    void onReceivedFrame(QEvent* event);
    void onWrenchMessage(const WrenchMessage& message);
    bool portLossToReport() const;
    void onPortLost();
    void onWriteError();
    void onIdentification(QEvent* event);

    ViewParam* m_paramView = nullptr;
    QPixmap m_background;
    bool m_online = false;
    // Set while the chosen port is missing: its appearance may connect.
    bool m_autoConnectArmed = false;
    // The wrench message whose box is open (0 for none), and whether the open
    // message box is one the wrench asked for.
    int m_pendingMessageId = 0;
    bool m_wrenchBoxOpen = false;
    // While the write error box is up the port is dead already and closes
    // once it is answered: the device going away then needs no second box.
    bool m_writeErrorShown = false;
    // The tool's own errors (title, text) that came while another box was
    // open; shown once that box has closed and been answered, so that no
    // failure goes unreported. They belong to their connection and go with it.
    QList<std::pair<QString, QString>> m_deferredErrors;
    std::unique_ptr<Ui::TolvoTool> m_form;
    QScrollArea* m_scrollArea = nullptr;
    QorbComObserver m_observer;
    QKapsMsgIO m_messageService;
    MessageServiceLink m_link{m_messageService, m_online};
    TimerScheduler m_scheduler{this};
    WindowViews m_views;
    DeviceService m_service{m_link, m_views, m_scheduler};
    QTimer m_tickTimer;
    QorbInifile m_settings;
    int m_baudRate = 0;
    QString m_deviceName;
    QString m_deviceVersion;
    QString m_deviceExtra;
    QString m_xmlPath;
    QString m_historyPath;
    QString m_htmlPath;
    QString m_language;
    // Separator of the history report ("SETUP"); only its first character counts.
    QChar m_historyDecimalSeparator;
    StatsThresholds m_statsThresholds;
    ViewHistory* m_historyView = nullptr;
    DlgSetup* m_setupDialog = nullptr;
    std::unique_ptr<ReadoutArchiver> m_archiver;
    ArchiveWindow* m_archiveWindow = nullptr;
};
