#include "params/viewparam.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QVBoxLayout>

ViewParam::ViewParam(QWidget* parent)
    : QWidget(parent)
    , m_progressBar(new QProgressBar(this))
    , m_checkBoxAuto(new QCheckBox(QStringLiteral("Auto Update"), this))
    , m_checkBoxCyclicRefresh(new QCheckBox(QStringLiteral("cyclic"), this))
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ViewParam"));
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setMinimum(0);
    m_checkBoxAuto->setObjectName(QStringLiteral("checkBoxAuto"));
    m_checkBoxCyclicRefresh->setObjectName(QStringLiteral("checkBoxCyclicRefresh"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_checkBoxAuto);
    layout->addWidget(m_checkBoxCyclicRefresh);
    hide();
}

void ViewParam::setVisible(bool)
{
    QWidget::setVisible(false);
}

void ViewParam::setProgress(bool show, bool busy)
{
    m_progressBar->setVisible(show || busy);
    m_progressBar->reset();
}
