#include "comm/qorbclosethread.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Close threads that outlived their bounded wait. A thread stuck in the
// driver can be neither cancelled nor deleted: it is deleted at a later close
// once it has finished, and left alone if it is still stuck when the process
// ends. Used on the GUI thread only.
class AbandonedCloseThreads {
public:
    ~AbandonedCloseThreads()
    {
        deleteFinished();
        for (std::unique_ptr<QorbCloseThread>& thread : m_threads)
            static_cast<void>(thread.release());
    }

    void add(std::unique_ptr<QorbCloseThread> thread) { m_threads.push_back(std::move(thread)); }

    void deleteFinished()
    {
        m_threads.erase(std::remove_if(m_threads.begin(), m_threads.end(),
                                       [](const std::unique_ptr<QorbCloseThread>& thread) {
                                           return thread->wait(0);
                                       }),
                        m_threads.end());
    }

private:
    std::vector<std::unique_ptr<QorbCloseThread>> m_threads;
};

AbandonedCloseThreads& abandonedCloseThreads()
{
    static AbandonedCloseThreads threads;
    return threads;
}

} // namespace

QorbCloseThread::QorbCloseThread(platform::SerialHandle handle, CloseFunction closeFunction)
    : m_handle(handle), m_close(closeFunction)
{
}

QorbCloseThread::~QorbCloseThread()
{
    // Only a finished thread is deleted.
    static_cast<void>(m_closed.load(std::memory_order_acquire));
}

void QorbCloseThread::run()
{
    m_close(m_handle);
    m_closed.store(true, std::memory_order_release);
}

bool QorbCloseThread::closeWithin(platform::SerialHandle handle, int waitMs, CloseFunction closeFunction)
{
    abandonedCloseThreads().deleteFinished();
    auto thread = std::make_unique<QorbCloseThread>(handle, closeFunction);
    thread->start();
    if (thread->wait(QDeadlineTimer(waitMs)))
        return true;
    abandonedCloseThreads().add(std::move(thread));
    return false;
}
