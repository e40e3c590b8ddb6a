#include "params/viewbase.h"

#include "params/qorbpidman.h"
#include "params/viewhost.h"

ViewBase::ViewBase(QWidget* parent, ViewHost* host)
    : QWidget(parent)
    , m_host(host)
{
}

bool ViewBase::sendNextWrite()
{
    const std::optional<WriteRequest> request = m_queues.takeWrite();
    if (!request)
        return false;
    const auto pid = static_cast<quint32>(request->pid);
    ByteWriter value(QorbPIDMan::MaxValueBytes);
    if (m_model && m_model->findParam(pid) && m_model->encodeValue(pid, value, request->value) == 0) {
        m_host->showError(tr("Parameter %1 was not written: %2").arg(request->pid).arg(m_model->encodeError()));
        return true;
    }
    m_host->setParam(request->pid, value.bytes().constData(), static_cast<int>(value.bytes().size()),
                     request->reRead);
    return true;
}
