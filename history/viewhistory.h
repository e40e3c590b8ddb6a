#pragma once

#include "params/viewbase.h"

// The history page. For now: the content widget that the main window
// scrolls, the connection control and the parameter side of the readout (the
// identity parameters and the access level); the Read button, the readout and
// the reports come with the page.
class ViewHistory : public ViewBase
{
    Q_OBJECT

public:
    ViewHistory(QWidget* parent, ViewHost* host);

    // "widgetHistory": the main window moves it into its scroll area.
    QWidget* contentWidget() const { return m_content; }

    // The page is usable only while the wrench is connected; coming online
    // starts the parameter service and reads the identity parameters.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // The access level, the history mode, the device texts.
    void prepareReadList();
    // The answer to a read of the read list: kept in the model; the access
    // level is raised when below service level.
    void onParamValue(int pid, const char* bytes, int byteCount);
    void checkAccessLevel();

    // Stand-ins until the readout and its page come.
    void clearReports() {}
    void updateLogo(int, int) {}
    void setProgress(int) {}
    void showProgress(bool) {}
    void showProcessing() {}
    void onHistoryData(const char*, int) {}

private:
    QWidget* m_content;
    bool m_active = false;
};
