#include "params/viewbase.h"

#include "params/qorbcrc32.h"
#include "params/qorbpidman.h"
#include "params/viewhost.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>

namespace {

const QString checksumPrefix = QStringLiteral("<!-- CHECKSUM=");
const QString checksumSuffix = QStringLiteral(" -->");
constexpr int FirstButton = 1;

bool userWantsRepair(QWidget* parent)
{
    StyleTemplate* style = StyleTemplate::instance();
    return style
        && style->showMessage(QStringLiteral("Question"), QStringLiteral("XML File"),
                              QStringLiteral("The calculated CRC does not match.\nDo you want to repair it?"),
                              QStringLiteral("Yes;No"), parent)
        == FirstButton;
}

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

ViewBase::ViewBase(QWidget* parent, ViewHost* host)
    : QWidget(parent)
    , m_host(host)
{
}

bool ViewBase::sendNextWrite()
{
    const std::optional<WriteRequest> request = m_queues.takeWrite();
    if (!request)
        return false;
    const auto pid = static_cast<quint32>(request->pid);
    ByteWriter value(QorbPIDMan::MaxValueBytes);
    if (m_model && m_model->findParam(pid) && m_model->encodeValue(pid, value, request->value) == 0) {
        m_host->showError(tr("Parameter %1 was not written: %2").arg(request->pid).arg(m_model->encodeError()));
        return true;
    }
    m_host->setParam(request->pid, value.bytes().constData(), static_cast<int>(value.bytes().size()),
                     request->reRead);
    return true;
}

bool ViewBase::loadXml(const QString& fileName)
{
    // No data set was loaded before: nothing to open.
    if (!m_model || fileName.isEmpty() || !QFile(fileName).open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const bool checksumMatches = QorbCRC32::verifyChecksum(fileName, checksumPrefix, checksumSuffix);
    if (!checksumMatches && !userWantsRepair(window()))
        return false;
    // The user asked for the file: it is loaded even when the repair fails.
    QString why;
    const bool repairFailed
        = !checksumMatches && !QorbCRC32::repairChecksum(fileName, checksumPrefix, checksumSuffix, &why);
    addXml(fileName);
    if (repairFailed)
        m_host->showError(tr("The checksum of %1 could not be repaired:\n%2\nThe file was loaded as it is.")
                              .arg(QDir::toNativeSeparators(fileName), why));
    return true;
}

void ViewBase::addXml(const QString& fileName)
{
    m_host->beginParamTransfer(true);
    bool parsed = false;
    {
        const WaitCursor busy;
        parsed = m_model->parseXml(fileName);
    }
    if (parsed) {
        const QFileInfo file(fileName);
        m_host->setXmlPath(QDir::toNativeSeparators(file.absolutePath()));
        m_host->setCurrentFile(fileName, true);
        m_host->endParamTransfer(true);
    }
}
