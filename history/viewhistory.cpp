#include "history/viewhistory.h"

#include "params/paramids.h"
#include "params/qorbpidman.h"
#include "params/viewhost.h"

#include <QGridLayout>

namespace {

constexpr int ServiceLevel = 3;
// Raises the wrench's access level to service level.
const QString textAccessCode = QStringLiteral("720356");

} // namespace

ViewHistory::ViewHistory(QWidget* parent, ViewHost* host)
    : ViewBase(parent, host)
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
    clearWriteQueue();
    m_active = active;
    setEnabled(active);
    m_content->setEnabled(active);
    if (!active)
        return;
    if (host()->startParamService())
        host()->beginParamTransfer(false);
    prepareReadList();
}

void ViewHistory::prepareReadList()
{
    queues().setReadIds({paramid::AccessLevel, paramid::HistoryMode, paramid::DeviceName, paramid::Firmware,
                         paramid::Hardware, paramid::SerialNumber});
}

void ViewHistory::onParamValue(int pid, const char* bytes, int byteCount)
{
    QorbPIDMan* parameters = model();
    if (!parameters || !parameters->decodeValues(static_cast<quint32>(pid), bytes, byteCount))
        return;
    QString value;
    QString unit;
    if (!parameters->scalarValue(static_cast<quint32>(pid), value, unit, nullptr))
        return;
    if (pid == paramid::AccessLevel)
        checkAccessLevel();
    else if (pid == paramid::HistoryMode)
        host()->setHistoryMode(value.toInt());
}

void ViewHistory::checkAccessLevel()
{
    QString value;
    QString unit;
    if (model() && model()->scalarValue(paramid::AccessLevel, value, unit, nullptr)
        && value.toInt() >= ServiceLevel)
        return;
    queueWrite(paramid::AccessLevel, textAccessCode, true);
}
