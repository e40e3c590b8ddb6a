#pragma once

#include <QList>
#include <QString>

#include <optional>

// One write a view wants sent: the display text is encoded by the parameter
// model only when it goes out.
struct WriteRequest {
    int pid = 0;
    QString value;
    bool reRead = false;
};

// The work a view leaves for the main window's tick: IDs to read once, IDs
// to read round and round, and writes, first in first out. A position of -1
// means the list is stopped; an ID of 0 is never handed out.
class ParamQueues
{
public:
    // The new list is read from its start.
    void setReadIds(const QList<int>& ids);
    void setCyclicReadIds(const QList<int>& ids);

    // The next ID, or -1. The read list is passed once; the cyclic list
    // starts again at its end. A stopped list is emptied.
    int nextRead();
    int nextCyclicRead();
    // IDs of the read list not handed out yet.
    bool readsPending() const { return m_readIndex >= 0 && m_readIndex < m_readIds.size(); }

    void queueWrite(int pid, const QString& value, bool reRead);
    std::optional<WriteRequest> takeWrite();
    void clearWriteQueue() { m_writeQueue.clear(); }

    // Both lists stopped and empty, no writes.
    void reset();

private:
    enum class AtEnd { Stop, Wrap };
    static int next(QList<int>& ids, qsizetype& index, AtEnd atEnd);

    QList<int> m_readIds;
    QList<int> m_cyclicReadIds;
    qsizetype m_readIndex = -1;
    qsizetype m_cyclicIndex = -1;
    QList<WriteRequest> m_writeQueue;
};
