#pragma once

#include "app/qorbinifile.h"
#include "params/viewbase.h"

#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QTreeWidget;

// The parameter view: owns the parameter model on its tree and fills it from
// the descriptions that the wrench sends during the parameter service. It is
// built but never shown; the main window drives its progress bar, file name
// label and refresh buttons.
class ViewParam : public ViewBase
{
    Q_OBJECT

public:
    ViewParam(QWidget* parent, ViewHost* host);
    ~ViewParam() override;

    // Stays hidden whatever is asked.
    void setVisible(bool visible) override;

    // One description record of the wrench; size 0 ends the list and shows
    // what it brought.
    void onParamInfo(const char* record, int size);
    // The progress bar of the parameter service: shown while either flag is
    // set, and reset.
    void setProgress(bool show, bool busy);
    void setFileName(const QString& text);

    QProgressBar* progressBar() const { return m_progressBar; }
    // The two refresh buttons, unchecked after a failure.
    QCheckBox* checkBoxAuto() const { return m_checkBoxAuto; }
    QCheckBox* checkBoxCyclicRefresh() const { return m_checkBoxCyclicRefresh; }
    // Separators of the parameter CSV export ("CSV" in the settings).
    const QString& idSeparator() const { return m_idSeparator; }
    const QString& decimalSeparator() const { return m_decimalSeparator; }

private:
    void buildForm();

    QTreeWidget* m_treeWidgetParams;
    QLabel* m_labelFilename;
    QProgressBar* m_progressBar;
    QCheckBox* m_checkBoxAuto;
    QCheckBox* m_checkBoxCyclicRefresh;
    QorbInifile m_descriptionSource;
    std::unique_ptr<QorbPIDMan> m_model;
    QString m_idSeparator;
    QString m_decimalSeparator;
};
