#include "comm/qorbcomobserver.h"

#include "comm/comevents.h"
#include "comm/commlog.h"
#include "platform/ports.h"
#include "platform/portwatch.h"

#include <QCoreApplication>
#include <QEvent>

QorbObserverThread::QorbObserverThread(QObject* parent)
    : QThread(parent)
{
}

void QorbObserverThread::setup(QObject* receiver, platform::PortListWatcher* watcher)
{
    m_receiver = receiver;
    m_watcher = watcher;
}

void QorbObserverThread::run()
{
    while (m_watcher->waitForChange())
        postPortListChanged(m_receiver);
    m_finished.store(true, std::memory_order_release);
}

void QorbObserverThread::join()
{
    wait();
    // Pairs with the release at the end of run(), so that the hand-back of the
    // watcher is plain to race detectors, which do not see into QThread::wait.
    m_finished.load(std::memory_order_acquire);
}

QorbComObserver::QorbComObserver(QObject* parent)
    : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("QorbObserverThread"));
}

QorbComObserver::~QorbComObserver()
{
    if (!m_watcher)
        return;
    m_watcher->stop();
    m_thread.join();
    qCDebug(lcComm, "Port observer stopped");
}

void QorbComObserver::start(QObject* receiver)
{
    m_receiver = receiver;
    if (receiver == nullptr || m_watcher)
        return;
    m_watcher = std::make_unique<platform::PortListWatcher>();
    m_thread.setup(receiver, m_watcher.get());
    m_thread.start();
    qCDebug(lcComm, "Port observer started");
}

bool QorbComObserver::isWatching() const
{
    return m_thread.isRunning();
}

void QorbComObserver::portNames(QStringList& list) const
{
    list.clear();
    for (const std::string& name : platform::availablePortNames())
        list.append(QString::fromLatin1(name.c_str()));
}
