#include "app/deviceservice.h"

#include "app/applog.h"
#include "history/historyprogress.h"
#include "params/paramids.h"
#include "protocol/kapsmessage.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Announced by a file download, which moves no progress bar.
constexpr int FileTransfer = -1;

} // namespace

DeviceService::DeviceService(DeviceLink& link, ServiceViews& views, Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_link(link)
    , m_views(views)
    , m_scheduler(scheduler)
{
}

void DeviceService::tick()
{
    if (m_link.isUsable() && m_requestTimeout == 0 && m_setTimeout == 0 && !m_views.sendHistoryWrite()) {
        const int id = m_views.nextHistoryRead();
        if (id != -1)
            requestParam(id);
        else
            m_views.sendParamWrite();
    }
    if (countDown(m_requestTimeout)) {
        const int id = m_lastRequestedId;
        showTimeout(id, "Timeout Parameter Request");
        settleUnanswered(id);
        emit requestTimedOut(id);
    }
    if (countDown(m_setTimeout)) {
        showTimeout(m_lastSetId, "Timeout Parameter Set");
        emit setTimedOut(m_lastSetId);
    }
    if (countDown(m_transferTimeout)) {
        qCDebug(lcApp, "Timeout Record Transfer");
        emit transferTimedOut();
    }
}

bool DeviceService::countDown(int& ticks)
{
    return ticks != 0 && --ticks == 0;
}

// The message names the ID whose time ran out, even when the next request
// has gone out before it shows.
void DeviceService::showTimeout(int id, const char* what)
{
    qCDebug(lcApp, "%s", what);
    const QString text = QString::fromLatin1(what) + QStringLiteral("\nID: %1").arg(id);
    later(DeferMs, [this, text] {
        if (!m_link.isOnline())
            return;
        m_views.uncheckRefreshButtons();
        emit errorMessage(tr("Timeout"), text);
    });
}

void DeviceService::later(int delayMs, std::function<void()> work)
{
    const std::uint64_t generation = m_generation;
    m_scheduler.schedule(delayMs, [this, generation, work = std::move(work)] {
        if (generation == m_generation)
            work();
    });
}

bool DeviceService::requestParam(int id)
{
    if (!m_link.isUsable() || !m_link.requestData(id, 1))
        return false;
    m_lastRequestedId = id;
    m_requestTimeout = m_timeoutTicks;
    return true;
}

bool DeviceService::setParam(int id, const char* value, int length, bool reRead)
{
    if (length > MaxValueBytes) {
        emit errorMessage(tr("Error"), tr("The value for parameter %1 is %2 bytes long; at most %3 bytes "
                                          "can be sent. Nothing was written.")
                                           .arg(id)
                                           .arg(length)
                                           .arg(MaxValueBytes));
        return false;
    }
    if (!m_link.isUsable() || !m_link.writeParam(id, value, length))
        return false;
    m_lastSetId = id;
    if (reRead)
        m_reReadId = id;
    m_setTimeout = m_timeoutTicks;
    return true;
}

bool DeviceService::startParamService()
{
    if (!m_link.isUsable())
        return false;
    later(DeferMs, [this] { paramServiceStart(); });
    return true;
}

bool DeviceService::requestRecords(int number)
{
    if (!m_link.requestRecords(number))
        return false;
    transferAlive();
    return true;
}

void DeviceService::transferAlive()
{
    m_transferTimeout = m_timeoutTicks;
}

void DeviceService::paramServiceStart()
{
    m_link.requestData(paramid::ListHeader, 1);
    m_paramServiceState = 0;
    // The header starts the download: a wrench that never answers it times
    // out as one that stops sending descriptions.
    transferAlive();
}

void DeviceService::paramServiceOK()
{
    m_views.showParamProgress(false);
}

void DeviceService::reReadParam(int id)
{
    if (m_link.isUsable() && m_link.requestData(id, 1)) {
        m_lastRequestedId = id;
        m_requestTimeout = m_timeoutTicks;
    }
}

void DeviceService::beginParamTransfer(bool quiet)
{
    if (!quiet)
        m_views.showParamProgress(true);
    m_views.setParamFileName(QString());
    m_views.resetHistoryQueues();
}

void DeviceService::endParamTransfer(bool quiet)
{
    if (!quiet)
        m_views.showParamProgress(false);
}

void DeviceService::showParamProgress(bool show, bool busy)
{
    m_views.showParamProgress(show || busy);
}

int DeviceService::paramListCount() const
{
    return m_paramListHeader[4] | (m_paramListHeader[5] << 8);
}

void DeviceService::onIdentification(const QString& identification)
{
    // A wrench may answer two of the tool's repeats: restarting then would
    // cancel the description download under way.
    if (!m_identification.isNull() && identification == m_identification)
        return;
    resetCounters();
    forgetIdentity();
    // The views' own start, when the port opened, came before the wrench
    // could answer. One that fails is tried again with the next answer.
    if (startParamService()) {
        m_identification = identification;
        beginParamTransfer(false);
        m_views.prepareHistoryReadList();
    }
}

void DeviceService::onLinkClosed()
{
    resetCounters();
    forgetIdentity();
    m_acknowledgesAwaitingFrame = 0;
}

// Reports name the wrench that was read: nothing of another may remain.
void DeviceService::forgetIdentity()
{
    m_identification = QString();
    m_identity = IdentityValues();
}

void DeviceService::resetCounters()
{
    ++m_generation;
    m_reReadId = 0;
    m_setTimeout = 0;
    m_requestTimeout = 0;
    m_transferTimeout = 0;
    m_lastSetId = 0;
    m_lastRequestedId = 0;
    m_paramServiceState = -1;
    m_historyState = -1;
    m_currentTransfer = FileTransfer;
    m_historyTotalRecords = 0;
    m_historyLastPercent = 0;
    m_historyRefused = false;
}

bool DeviceService::handleMessage(const KaPSMessage& message)
{
    const int type = static_cast<int>(message.type());
    // Every message of a download shows that the wrench still sends.
    if (m_transferTimeout != 0 && (type == kaps::TransferStart || type == kaps::Progress || type == kaps::TransferEnd))
        transferAlive();
    switch (type) {
    case kaps::Progress:
        onProgress(message.progress);
        return true;
    case kaps::ErrorReport:
        // Group, code and class are unsigned 32-bit numbers on the wire.
        onErrorReport(static_cast<std::uint32_t>(message.value1), static_cast<std::uint32_t>(message.value2),
                      message.text);
        return true;
    case kaps::TransferStart:
        onTransferStart(message.value1, message.value2);
        return true;
    case kaps::TransferEnd:
        onTransferEnd(message.bytes());
        return true;
    case kaps::FileStart:
        m_currentTransfer = FileTransfer;
        return true;
    case kaps::ParamValue:
        onParamValue(message.value1, message.bytes());
        return true;
    default:
        return false;
    }
}

void DeviceService::onParamValue(int id, const QByteArray& value)
{
    const bool firmwareBefore = m_identity.firmwareKind != IdentityValues::NotRead;
    keepIdentity(id, value);
    if (!firmwareBefore && m_identity.firmwareKind != IdentityValues::NotRead)
        m_views.firmwareKnown();
    // Only the answer to the read being waited for ends that wait: reads of
    // the service start and the read back would otherwise end another's.
    if (m_requestTimeout != 0 && id == m_lastRequestedId) {
        m_requestTimeout = 0;
        m_views.historyParamValue(id, value);
    }
}

void DeviceService::keepIdentity(int id, const QByteArray& value)
{
    if (id != paramid::ListHeader) {
        m_identity.take(id, value);
        return;
    }
    if (m_paramServiceState != 0)
        return;
    m_paramServiceState = 1;
    m_paramListHeader.fill(0);
    std::memcpy(m_paramListHeader.data(), value.constData(),
                std::min(m_paramListHeader.size(), static_cast<size_t>(value.size())));
    requestRecords(kaps::DescriptionList);
    m_views.setParamProgressMaximum(paramListCount());
}

void DeviceService::onTransferStart(int number, int size)
{
    m_currentTransfer = number;
    if (number == kaps::HistoryTransfer) {
        m_historyState = 0;
        m_historyRefused = size == kaps::RefusedSize;
        m_historyTotalRecords = m_historyRefused ? 0 : historyprogress::recordsIn(size);
        m_historyLastPercent = 0;
    } else if (number == kaps::ListEndTransfer && m_paramServiceState == 1) {
        qCDebug(lcApp, "Param Service terminated...");
        m_paramServiceState = 2;
    }
}

void DeviceService::onProgress(int received)
{
    if (m_currentTransfer != kaps::HistoryTransfer || m_historyTotalRecords == 0)
        return;
    m_historyLastPercent = historyprogress::percent(received, m_historyTotalRecords);
    m_views.setHistoryProgress(static_cast<int>(m_historyLastPercent));
    if (m_historyLastPercent == historyprogress::LastBlockPercent)
        m_views.showHistoryProcessing();
}

void DeviceService::onTransferEnd(const QByteArray& block)
{
    if (m_currentTransfer == kaps::HistoryTransfer) {
        if (m_historyState != 0)
            return;
        m_transferTimeout = 0;
        // Told apart from an empty history, which is no fault.
        if (m_historyRefused)
            m_views.historyTooLarge();
        else
            m_views.historyData(block);
        return;
    }
    m_views.stepParamProgress();
    if (m_paramServiceState == 1) {
        if (!block.isEmpty())
            m_views.paramInfo(block);
    } else if (m_paramServiceState == 2) {
        m_paramServiceState = -1;
        m_transferTimeout = 0;
        m_views.paramInfo(QByteArray());
        // Parameters read while their descriptions were still arriving could
        // not be decoded: read them again.
        m_views.prepareHistoryReadList();
        later(DeferMs, [this] { paramServiceOK(); });
    }
}

void DeviceService::onErrorReport(std::uint32_t groupAndCode, std::uint32_t errorClass, const QString& text)
{
    const QString detail = m_errorTexts.reportDetail(groupAndCode, text);
    QString message = tr("Group: %1\nCode: %2").arg(groupAndCode >> 16).arg(groupAndCode & 0xFFFFU);
    if (errorClass != 0)
        message += tr("\nClass: 0x%1").arg(errorClass, 8, 16, QLatin1Char('0'));
    if (!detail.isEmpty())
        message += QLatin1String("\n\n") + detail;
    // The report answers the read: the queues go on behind the box.
    if (std::exchange(m_requestTimeout, 0) != 0)
        settleUnanswered(m_lastRequestedId);
    m_views.uncheckRefreshButtons();
    emit wrenchRefused(message);
    emit errorMessage(tr("Error"), message);
}

void DeviceService::settleUnanswered(int id)
{
    if (id != paramid::Firmware || m_identity.firmwareKind != IdentityValues::NotRead)
        return;
    m_identity.firmwareKind = IdentityValues::UnknownVersion;
    m_views.firmwareKnown();
}

void DeviceService::onAcknowledgeAnnounced()
{
    ++m_acknowledgesAwaitingFrame;
    // Not tied to the connection: the count it settles is reset on close.
    m_scheduler.schedule(0, [this] { settleAcknowledge(); });
}

void DeviceService::onAcknowledgeFrame(bool identificationFrame)
{
    if (m_acknowledgesAwaitingFrame == 0)
        return;
    --m_acknowledgesAwaitingFrame;
    if (!identificationFrame)
        handleAcknowledge();
}

void DeviceService::settleAcknowledge()
{
    if (m_acknowledgesAwaitingFrame == 0)
        return;
    --m_acknowledgesAwaitingFrame;
    handleAcknowledge();
}

// Any acknowledge ends the write being waited for, whatever it answers. The
// read back is bound to its ID now, so that a second write with read back
// within the delay does not take the place of the first.
void DeviceService::handleAcknowledge()
{
    if (m_reReadId != 0) {
        const int id = std::exchange(m_reReadId, 0);
        later(ReReadDelayMs, [this, id] { reReadParam(id); });
    }
    if (std::exchange(m_setTimeout, 0) != 0)
        emit parameterWritten(m_lastSetId);
}
