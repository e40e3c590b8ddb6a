#pragma once

#include "params/paramqueues.h"

#include <QWidget>

class QorbPIDMan;
class ViewHost;

// Common base of the two device views: it knows the main window and the
// shared parameter model, and keeps the queues that the main window's tick
// serves. A view never sends anything by itself.
class ViewBase : public QWidget
{
    Q_OBJECT

public:
    ViewBase(QWidget* parent, ViewHost* host);

    QorbPIDMan* model() const { return m_model; }
    void setModel(QorbPIDMan* model) { m_model = model; }

    void queueWrite(int pid, const QString& value, bool reRead) { m_queues.queueWrite(pid, value, reRead); }
    void clearWriteQueue() { m_queues.clearWriteQueue(); }
    void resetQueues() { m_queues.reset(); }

    // The first queued write, encoded by the model, to the main window; false
    // when none is queued. A value the model cannot encode is dropped and the
    // user told why; an unknown ID goes out with no bytes.
    bool sendNextWrite();
    int nextRead() { return m_queues.nextRead(); }
    int nextCyclicRead() { return m_queues.nextCyclicRead(); }

    // Adds a data-set file to the model. A file whose checksum does not match
    // is loaded only when the user asks for its repair, also when the repair
    // fails (the user is then told why). False when nothing was read (no such
    // file, no repair); a file that breaks off while it is read keeps what
    // came before and counts as loaded.
    bool loadXml(const QString& fileName);

protected:
    ViewHost* host() const { return m_host; }
    ParamQueues& queues() { return m_queues; }

private:
    void addXml(const QString& fileName);

    ViewHost* m_host;
    QorbPIDMan* m_model = nullptr;
    ParamQueues m_queues;
};
