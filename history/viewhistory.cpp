#include "history/viewhistory.h"

#include <QGridLayout>

ViewHistory::ViewHistory(QWidget* parent)
    : QWidget(parent)
    , m_content(new QWidget(this))
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ViewHistory"));
    m_content->setObjectName(QStringLiteral("widgetHistory"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_content, 0, 0);
    setActive(false);
}

void ViewHistory::setActive(bool active)
{
    m_active = active;
    m_content->setEnabled(active);
}
