#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QorbInifile;
class TolvoTool;

// Lets the user choose the wrench's port and the language, and whether the
// tool connects by itself when that port appears. The main window fills the
// port list and connects to the port the chosen-port label names; a language
// switches at once, and OK stores the choices.
class DlgSetup : public QDialog
{
    Q_OBJECT

public:
    explicit DlgSetup(TolvoTool* mainWindow);

    // Showing reloads the chosen port and the language from the settings file.
    void setVisible(bool visible) override;

    QListWidget* portList() const { return m_listWidgetComPort; }
    QString chosenPort() const;
    // The stored choice (off unless OK stored it on), not the unconfirmed box.
    bool connectsAutomatically() const;
    // The form's texts in the language loaded now.
    void retranslate();

public slots:
    void slotComPortChanged();
    void slotSetLanguage(int langIndex);
    void slotOK();
    void slotCancel();

private:
    void buildForm();
    QString storedSetup(const char* key) const;

    TolvoTool* m_mainWindow;
    QorbInifile& m_settings;

    QLabel* m_labelLanguageSelectionHead = nullptr;
    QComboBox* m_comboBoxLanguages = nullptr;
    QFrame* m_line = nullptr;
    QLabel* m_labelComPortSelectHead = nullptr;
    QLabel* m_labelComPort = nullptr;
    QLabel* m_labelComPortVal = nullptr;
    QListWidget* m_listWidgetComPort = nullptr;
    QFrame* m_line2 = nullptr;
    QCheckBox* m_checkBoxAutoConnect = nullptr;
    QWidget* m_widget = nullptr;
    QGridLayout* m_gridLayout = nullptr;
    QPushButton* m_pushButtonCancel = nullptr;
    QPushButton* m_pushButtonOK = nullptr;
};
