#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace wrench {

// A single-shot timer to the microsecond (a timer descriptor watched by the
// event loop). The paced line hands on a frame's last byte when it has left:
// a timer in whole milliseconds would hold every frame back by up to one.
class WakeTimer : public QObject {
    Q_OBJECT
public:
    explicit WakeTimer(QObject* parent = nullptr);
    ~WakeTimer() override;

    // False when the system gave no timer descriptor.
    bool isValid() const { return m_fd >= 0; }
    // Fires once after waitUs (at once for 0 or less); a new start replaces
    // the old one.
    void start(qint64 waitUs);
    void stop();

signals:
    void timeout();

private:
    void arm(qint64 waitUs);
    void expired();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace wrench
