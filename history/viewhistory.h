#pragma once

#include <QWidget>

// Stand-in for the history page, until the readout comes: only the content
// widget that the main window scrolls and the calls of the connection control.
// It keeps no reports and shows no logo.
class ViewHistory : public QWidget
{
    Q_OBJECT

public:
    explicit ViewHistory(QWidget* parent);

    // "widgetHistory": the main window moves it into its scroll area.
    QWidget* contentWidget() const { return m_content; }

    // The page is usable only while the wrench is connected.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    void clearReports() {}
    void updateLogo(int, int) {}

private:
    QWidget* m_content;
    bool m_active = false;
};
