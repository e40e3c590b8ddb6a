#pragma once

#include "app/qorbinifile.h"
#include "comm/qorbcomobserver.h"
#include "protocol/qkapsmsgio.h"

#include <QChar>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class DlgSetup;
class QScrollArea;
class ViewHistory;
class ViewParam;
struct WrenchMessage;

namespace Ui {
class TolvoTool;
}

// The tool's only top-level window: connects and disconnects the wrench,
// shows its identification in the status line, reports lost ports and write
// failures, and shows the message boxes that the wrench asks for.
class TolvoTool : public QWidget
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
    QString historyPath() const { return m_historyPath; }

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

    // Writes a parameter ("DSP"); with reRead it is read back 2 s after the
    // wrench's acknowledge. Refused (false, nothing sent) unless the wrench is
    // connected and identified.
    bool setParam(int id, const char* value, int length, bool reRead);

    QorbInifile& settings() { return m_settings; }
    // For the views, which ask the wrench for the record block themselves.
    QKapsMsgIO& messageService() { return m_messageService; }

    void setVisible(bool visible) override;

public slots:
    void slotReReadParam();
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
    void readReportSeparators();
    void readSetup();
    void retranslateTexts();
    void setButtonTexts();

    bool linkUsable() const;
    void stopLink();
    void closePort();
    void resetLinkCounters();
    void showParamProgress(bool show, bool busy);
    void uncheckRefreshButtons();
    int showMessage(const QString& kind, const QString& title, const QString& text,
                    const QString& buttons);
    void showError(const QString& text);
    void showDeferredErrors();
    void withdrawWrenchBox();

    void onReceivedFrame(QEvent* event);
    void onAcknowledgeMessage();
    void settleAcknowledge();
    void handleAcknowledge();
    void onWrenchMessage(const WrenchMessage& message);
    void onPortLost();
    void onWriteError();
    void onIdentification(QEvent* event);

    ViewParam* m_paramView = nullptr;
    QPixmap m_background;
    bool m_online = false;
    int m_paramServiceState = -1;
    int m_historyState = -1;
    // Ticks of 50 ms while a parameter read or write is outstanding.
    int m_requestTimeout = 0;
    int m_setTimeout = 0;
    int m_reReadId = 0;
    int m_lastRequestedId = 0;
    int m_lastSetId = 0;
    // The wrench message whose box is open (0 for none), and whether the open
    // message box is one the wrench asked for.
    int m_pendingMessageId = 0;
    bool m_wrenchBoxOpen = false;
    // The tool's own errors that came while another box was open; shown once
    // that box has closed, so that no failure goes unreported.
    QStringList m_deferredErrors;
    // Acknowledges announced (1151) whose frame has not been seen yet.
    int m_acknowledgesAwaitingFrame = 0;
    std::unique_ptr<Ui::TolvoTool> m_form;
    QTimer m_reReadTimer;
    QScrollArea* m_scrollArea = nullptr;
    QorbComObserver m_observer;
    QKapsMsgIO m_messageService;
    QorbInifile m_settings;
    int m_baudRate = 0;
    QString m_deviceName;
    QString m_deviceVersion;
    QString m_deviceExtra;
    QString m_currentFile;
    QString m_xmlPath;
    QString m_historyPath;
    QString m_htmlPath;
    QString m_language;
    // Separators of the history report ("SETUP") and of the parameter CSV
    // export ("CSV"); only their first character counts.
    QChar m_historyDecimalSeparator;
    QChar m_csvIdSeparator;
    QChar m_csvDecimalSeparator;
    ViewHistory* m_historyView = nullptr;
    DlgSetup* m_setupDialog = nullptr;
};
