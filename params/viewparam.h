#pragma once

#include <QWidget>

class QCheckBox;
class QProgressBar;

// Stand-in for the parameter view, until the parameter service comes: the
// widgets that the main window drives. The view never shows itself.
class ViewParam : public QWidget
{
    Q_OBJECT

public:
    explicit ViewParam(QWidget* parent);

    void setVisible(bool visible) override;

    // The progress bar of the parameter service: shown while either flag is
    // set, and reset.
    void setProgress(bool show, bool busy);

    QProgressBar* progressBar() const { return m_progressBar; }
    // The two refresh buttons, unchecked after a failure.
    QCheckBox* checkBoxAuto() const { return m_checkBoxAuto; }
    QCheckBox* checkBoxCyclicRefresh() const { return m_checkBoxCyclicRefresh; }

private:
    QProgressBar* m_progressBar;
    QCheckBox* m_checkBoxAuto;
    QCheckBox* m_checkBoxCyclicRefresh;
};
