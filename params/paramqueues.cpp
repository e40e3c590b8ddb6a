#include "params/paramqueues.h"

void ParamQueues::setReadIds(const QList<int>& ids)
{
    m_readIds = ids;
    m_readIndex = 0;
}

void ParamQueues::setCyclicReadIds(const QList<int>& ids)
{
    m_cyclicReadIds = ids;
    m_cyclicIndex = 0;
}

int ParamQueues::nextRead()
{
    return next(m_readIds, m_readIndex, AtEnd::Stop);
}

int ParamQueues::nextCyclicRead()
{
    return next(m_cyclicReadIds, m_cyclicIndex, AtEnd::Wrap);
}

int ParamQueues::next(QList<int>& ids, qsizetype& index, AtEnd atEnd)
{
    if (ids.isEmpty())
        return -1;
    if (index < 0 || index >= ids.size()) {
        ids.clear();
        index = -1;
        return -1;
    }
    const int id = ids[index++];
    if (index >= ids.size())
        index = atEnd == AtEnd::Wrap ? 0 : -1;
    return id == 0 ? -1 : id;
}

void ParamQueues::queueWrite(int pid, const QString& value, bool reRead)
{
    m_writeQueue.append(WriteRequest{pid, value, reRead});
}

std::optional<WriteRequest> ParamQueues::takeWrite()
{
    if (m_writeQueue.isEmpty())
        return std::nullopt;
    return m_writeQueue.takeFirst();
}

void ParamQueues::reset()
{
    m_readIds.clear();
    m_cyclicReadIds.clear();
    m_readIndex = -1;
    m_cyclicIndex = -1;
    clearWriteQueue();
}
