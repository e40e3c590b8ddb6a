#pragma once

#include "archive/archivesettings.h"
#include "archive/archivestore.h"
#include "archive/archivesync.h"
#include "history/historyreports.h"

#include <QByteArrayView>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

// Keeps every readout in the local archive and then pushes the archive to
// the plant's server, when one is set, on a worker thread: a slow or absent
// server never holds up the window. A push that fails is tried again after
// the next readout. Lives on the GUI thread.
class ReadoutArchiver : public QObject
{
    Q_OBJECT

public:
    struct Outcome {
        enum class Kind { Off, NoSerial, Stored, Failed };
        Kind kind = Kind::Off;
        // The line the history page shows; empty while archiving is off.
        QString text;
    };

    explicit ReadoutArchiver(ArchiveSettings settings, QObject* parent = nullptr);
    // Waits for a push under way: its connections belong to its thread.
    ~ReadoutArchiver() override;

    const ArchiveSettings& settings() const { return m_settings; }
    // The readout of the wrench that settings names, block as read.
    Outcome archive(const ReportSettings& settings, QByteArrayView block);
    bool isPushing() const { return m_pushing; }

signals:
    // Delivered on the GUI thread.
    void pushFinished(const SyncResult& result);

private:
    void startPush();
    void onPushFinished();

    ArchiveSettings m_settings;
    QFutureWatcher<SyncResult> m_push;
    bool m_pushing = false;
    // A readout came in while a push ran: it goes out with one more push.
    bool m_pushAgain = false;
};
