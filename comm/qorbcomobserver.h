#pragma once

#include <QObject>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <memory>

namespace platform { class PortListWatcher; }

// The watch loop: posts a plain event of type 1020 to the receiver for every
// change of the system's port list, until the watcher is stopped.
class QorbObserverThread : public QThread {
    Q_OBJECT
public:
    explicit QorbObserverThread(QObject* parent = nullptr);

    // Before start(); the thread keeps these for its whole run.
    void setup(QObject* receiver, platform::PortListWatcher* watcher);
    // Waits until run() has returned; the watcher is the caller's again.
    void join();

protected:
    void run() override;

private:
    QObject* m_receiver = nullptr;
    platform::PortListWatcher* m_watcher = nullptr;
    std::atomic<bool> m_finished{false};
};

// Lists the system's serial ports and watches the list on a thread of its own.
// The receiver must outlive the observer: the watch thread posts to it until
// the observer's destructor has stopped and joined it.
class QorbComObserver : public QObject {
    Q_OBJECT
public:
    explicit QorbComObserver(QObject* parent = nullptr);
    ~QorbComObserver() override;

    // Starts the one watcher on the first call with a receiver; later calls
    // only replace the stored receiver (the watcher keeps its own).
    void start(QObject* receiver);
    QObject* receiver() const { return m_receiver; }
    bool isWatching() const;

    // "COMn" names of the ports that exist now.
    void portNames(QStringList& list) const;

private:
    QorbObserverThread m_thread;
    QObject* m_receiver = nullptr;
    // Exists exactly while the watcher runs; its stop() is the stop event.
    std::unique_ptr<platform::PortListWatcher> m_watcher;
};
