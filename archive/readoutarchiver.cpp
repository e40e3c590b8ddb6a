#include "archive/readoutarchiver.h"

#include "archive/archivelog.h"

#include <QtConcurrent/QtConcurrentRun>

ReadoutArchiver::ReadoutArchiver(ArchiveSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings))
{
    connect(&m_push, &QFutureWatcher<SyncResult>::finished, this, &ReadoutArchiver::onPushFinished);
}

ReadoutArchiver::~ReadoutArchiver()
{
    m_push.waitForFinished();
}

ReadoutArchiver::Outcome ReadoutArchiver::archive(const ReportSettings& settings, QByteArrayView block)
{
    Outcome outcome;
    if (!m_settings.enabled)
        return outcome;
    if (settings.identity.serialNumber.isEmpty()) {
        outcome.kind = Outcome::Kind::NoSerial;
        outcome.text = tr("Not archived: the wrench did not give its serial number.");
        return outcome;
    }
    const StoreResult stored = ArchiveStore::storeInFile(
        m_settings.file, ReadoutInfo::current(settings.identity, settings.historyMode), block);
    if (!stored.status.ok()) {
        qCWarning(lcArchive) << "Readout of" << settings.identity.serialNumber << "not archived:"
                             << stored.status.message;
        outcome.kind = Outcome::Kind::Failed;
        outcome.text = tr("Not archived: %1").arg(stored.status.message);
        return outcome;
    }
    outcome.kind = Outcome::Kind::Stored;
    outcome.text = tr("Archived: %1 new of %2 measurements.").arg(stored.recordsNew).arg(stored.recordsRead);
    startPush();
    return outcome;
}

void ReadoutArchiver::startPush()
{
    if (!m_settings.server.isConfigured())
        return;
    // Until its result is in: a new future would drop the last one's result.
    if (m_pushing) {
        m_pushAgain = true;
        return;
    }
    m_pushing = true;
    m_pushAgain = false;
    m_push.setFuture(QtConcurrent::run(pushToServer, m_settings.file, m_settings.server));
}

void ReadoutArchiver::onPushFinished()
{
    m_pushing = false;
    const SyncResult result = m_push.result();
    if (result.status.ok())
        qCInfo(lcArchive) << "Pushed" << result.readoutsPushed << "readouts with" << result.measurementsNew
                          << "new measurements to the server";
    else
        qCWarning(lcArchive) << "Push to the server failed, tried again after the next readout:"
                             << result.status.message;
    emit pushFinished(result);
    if (m_pushAgain)
        startPush();
}
