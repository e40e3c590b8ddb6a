#include "protocol/qkapsmsgio.h"

#include "platform/downloadfile.h"
#include "protocol/kapsmessage.h"
#include "protocol/protocollog.h"
#include "protocol/qkapsfilename.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr qsizetype MaxListEntries = 65536;

const std::uint8_t* asBytes(const char* text)
{
    return reinterpret_cast<const std::uint8_t*>(text);
}

void appendBigEndian16(QByteArray& payload, int number)
{
    payload.append(static_cast<char>((number >> 8) & 0xFF));
    payload.append(static_cast<char>(number & 0xFF));
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

const QKapsMsgIO::Mnemonic QKapsMsgIO::dispatchList[] = {
    {"VER", &QKapsMsgIO::onIdentification},
    {"ERR", &QKapsMsgIO::onError},
    {"ERX", &QKapsMsgIO::onErrorExtended},
    {"RST", &QKapsMsgIO::onRecordStart},
    {"RRN", &QKapsMsgIO::onRecordBlock},
    {"RFI", &QKapsMsgIO::onRecordEnd},
    {"RRQ", &QKapsMsgIO::onRecordRequest},
    {"RBR", nullptr},
    {"FST", &QKapsMsgIO::onFileStart},
    {"FRN", &QKapsMsgIO::onFileBlock},
    {"FFI", &QKapsMsgIO::onFileEnd},
    {"FRQ", &QKapsMsgIO::onFileRequest},
    {"FDL", &QKapsMsgIO::onFileDelete},
    {"FBR", nullptr},
    {"FLS", &QKapsMsgIO::onListStart},
    {"FLR", &QKapsMsgIO::onListEntry},
    {"FLF", &QKapsMsgIO::onListEnd},
    {"FLQ", &QKapsMsgIO::onListRequest},
    {"FLB", nullptr},
    {"DTM", &QKapsMsgIO::onParamValue},
};

QKapsMsgIO::QKapsMsgIO(QObject* parent)
    : QKapsIO(parent)
{
}

QKapsMsgIO::~QKapsMsgIO()
{
    // The base class closes too late to reach this class's download.
    close();
}

void QKapsMsgIO::connectionClosed()
{
    // A download cut off by the disconnect is as incomplete as a failed one;
    // nothing of it may reach the next connection.
    if (m_downloadFile)
        abandonDownloadFile("connection closed");
    m_downloadBuffer.reset();
    m_downloadSize = 0;
    m_downloadCount = 0;
    m_downloadActive = false;
    m_haveBlockSequence = false;
}

void QKapsMsgIO::setDownloadDirectory(const QString& directory)
{
    m_downloadDirectory = directory;
    removeStaleDownloads();
}

void QKapsMsgIO::removeStaleDownloads() const
{
    if (m_downloadDirectory.isEmpty())
        return;
    const QDir folder(m_downloadDirectory);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (platform::isTemporaryDownloadName(name.toStdString()))
            platform::removeStaleDownloadFile(QDir::toNativeSeparators(folder.filePath(name)).toStdString());
    }
}

// ---- requests ----

bool QKapsMsgIO::sendRequest(const char* mnemonic, const int* numbers, int count,
                             std::uint8_t control, std::uint8_t sequence)
{
    QByteArray payload(mnemonic, frame::MnemonicLength);
    for (int i = 0; i < count; ++i)
        appendBigEndian16(payload, numbers[i]);
    return sendFrame(asBytes(payload.constData()), static_cast<int>(payload.size()), frame::StartXor,
                     control, sequence);
}

bool QKapsMsgIO::sendAck(std::uint8_t sequence)
{
    return sendRequest("ACK", nullptr, 0, frame::ControlAck, sequence);
}

bool QKapsMsgIO::sendNak(std::uint8_t sequence)
{
    return sendRequest("ACK", nullptr, 0, frame::ControlNak, sequence);
}

bool QKapsMsgIO::sendIdentification(bool ackRequested)
{
    const QByteArray payload = QByteArrayLiteral("VER") + identification().toLatin1();
    return sendFrame(asBytes(payload.constData()), static_cast<int>(payload.size()), frame::StartXor,
                     ackRequested ? frame::ControlAckRequested : 0,
                     ackRequested ? requestSequence(true) : txSequence());
}

bool QKapsMsgIO::requestData(int first, int second)
{
    const int numbers[] = {first, second};
    return sendRequest("DRQ", numbers, 2, frame::ControlAckRequested, requestSequence(false));
}

bool QKapsMsgIO::requestRecords(int count)
{
    return sendRequest("RRQ", &count, 1, frame::ControlAckRequested, requestSequence(false));
}

bool QKapsMsgIO::breakRecords()
{
    return sendRequest("RBR", nullptr, 0, 0, 0);
}

bool QKapsMsgIO::confirmData(int first, int second)
{
    const int numbers[] = {first, second};
    return sendRequest("MGC", numbers, 2, frame::ControlAckRequested, requestSequence(false));
}

bool QKapsMsgIO::sendCommand(const char* mnemonic, const char* data, int id, int length, bool ackRequested)
{
    if (mnemonic == nullptr || length < 0 || (length > 0 && data == nullptr))
        return false;
    QByteArray payload(mnemonic);
    // The length field must describe what is sent: never cut the data.
    if (payload.size() + 4 + length > frame::MaxPayload)
        return false;
    appendBigEndian16(payload, id);
    appendBigEndian16(payload, length);
    payload.append(data, length);
    return sendFrame(asBytes(payload.constData()), static_cast<int>(payload.size()), frame::StartCrc,
                     ackRequested ? frame::ControlAckRequested : 0, ackRequested ? requestSequence(false) : 0);
}

// ---- received messages ----

bool QKapsMsgIO::handleMessage(const std::uint8_t* bytes, std::uint32_t frameLength, bool)
{
    const frame::View received(bytes, frameLength);
    if (received.data() == nullptr)
        return true;
    for (const Mnemonic& mnemonic : dispatchList) {
        if (received.hasMnemonic(mnemonic.letters)) {
            if (mnemonic.handler != nullptr)
                (this->*mnemonic.handler)(received);
            break;
        }
    }
    return true;
}

void QKapsMsgIO::postMessage(int type, int value1, int value2, const QString& text)
{
    postToReceiver(std::make_unique<KaPSMessage>(type, value1, value2, text));
}

bool QKapsMsgIO::isRepeatedBlock(const frame::View& received)
{
    if (m_haveBlockSequence && received.sequence() == m_blockSequence)
        return true;
    m_haveBlockSequence = true;
    m_blockSequence = received.sequence();
    return false;
}

void QKapsMsgIO::onIdentification(const frame::View& received)
{
    if (received.ackRequested())
        sendIdentification(false);
    m_connected = true;
    postMessage(kaps::Identification, 0, 0, latin1(received.text(0)));
}

void QKapsMsgIO::onError(const frame::View& received)
{
    if (received.holds(2))
        postMessage(kaps::ErrorReport, received.be16(0), 0);
}

void QKapsMsgIO::onErrorExtended(const frame::View& received)
{
    if (!received.holds(8))
        return;
    postMessage(kaps::ErrorReport, static_cast<int>(received.be32(0)),
                static_cast<int>(received.be32(4)), latin1(received.text(8)));
}

void QKapsMsgIO::onRecordStart(const frame::View& received)
{
    if (!received.holds(6))
        return;
    m_downloadActive = true;
    const std::uint32_t size = received.be32(2);
    // Every start forgets the previous download, also when this one is refused.
    m_downloadBuffer.reset();
    m_downloadSize = 0;
    m_downloadCount = 0;
    m_haveBlockSequence = false;
    if (size > MaxDownloadBytes) {
        qCWarning(lcProtocol, "Record download of %u bytes refused", size);
    } else {
        m_downloadBuffer.reset(new (std::nothrow) std::uint8_t[size]);
        if (m_downloadBuffer)
            m_downloadSize = size;
        else
            qCWarning(lcProtocol, "No memory for a record download of %u bytes", size);
    }
    // value2 is what will be delivered, or RefusedSize: an empty download is
    // not a refused one.
    postMessage(kaps::TransferStart, received.be16(0),
                m_downloadBuffer || size == 0 ? static_cast<int>(m_downloadSize) : kaps::RefusedSize);
}

void QKapsMsgIO::onRecordBlock(const frame::View& received)
{
    if (!isRepeatedBlock(received) && m_downloadBuffer && m_downloadCount < m_downloadSize) {
        const std::uint32_t count = std::min(m_downloadSize - m_downloadCount,
                                             static_cast<std::uint32_t>(received.dataLength()));
        std::memcpy(m_downloadBuffer.get() + m_downloadCount, received.data(), count);
        m_downloadCount += count;
    }
    auto message = std::make_unique<KaPSMessage>(kaps::Progress, 0, 0, QString());
    message->progress = static_cast<int>(m_downloadCount);
    postToReceiver(std::move(message));
}

void QKapsMsgIO::onRecordEnd(const frame::View&)
{
    if (!m_downloadActive)
        return;
    m_downloadActive = false;
    auto message = std::make_unique<KaPSMessage>(kaps::TransferEnd, 0, 0, QString());
    if (m_downloadBuffer)
        message->setBytes(reinterpret_cast<const char*>(m_downloadBuffer.get()), static_cast<int>(m_downloadCount));
    postToReceiver(std::move(message));
}

void QKapsMsgIO::onRecordRequest(const frame::View& received)
{
    if (received.holds(2))
        postMessage(kaps::RecordRequest, received.be16(0), 0);
}

void QKapsMsgIO::onFileStart(const frame::View& received)
{
    int sizeOffset = -1;
    const QString name = latin1(received.text(0, &sizeOffset));
    if (sizeOffset < 0 || !received.holds(sizeOffset, 4))
        return;
    m_downloadActive = true;
    m_haveBlockSequence = false;
    const std::uint32_t size = received.be32(sizeOffset);
    openDownloadFile(name, size);
    postMessage(kaps::FileStart, static_cast<int>(size), 0);
}

QString QKapsMsgIO::downloadPath(const QString& announcedName, std::uint32_t announcedSize) const
{
    if (m_downloadDirectory.isEmpty()) {
        qCWarning(lcProtocol, "File download refused: no download folder");
        return QString();
    }
    QString refusal;
    // The frame's text is its bytes one by one; the name is UTF-8.
    const QString name = kapsfile::downloadFileName(
        announcedName.toLatin1(), QFileInfo(QCoreApplication::applicationFilePath()).fileName(), &refusal);
    if (name.isEmpty()) {
        // Percent-encoded: a line end or escape in the name must not forge log lines.
        qCWarning(lcProtocol).noquote() << "File name refused:"
                                        << announcedName.toLatin1().toPercentEncoding(" .\\/") << "-"
                                        << refusal;
        return QString();
    }
    if (announcedSize > MaxDownloadBytes) {
        qCWarning(lcProtocol, "File download of %u bytes refused", announcedSize);
        return QString();
    }
    return QDir::toNativeSeparators(QDir(m_downloadDirectory).filePath(name));
}

int QKapsMsgIO::createTemporaryFile(const QString& path, std::string& temporaryPath, std::string& error) const
{
    if (!QDir().mkpath(m_downloadDirectory)) {
        error = "cannot make the folder";
        return -1;
    }
    // Checked before anything comes in; the name is taken only at the end.
    if (!platform::mayReplaceWithDownload(path.toStdString(), error))
        return -1;
    return platform::createDownloadFile(QDir::toNativeSeparators(m_downloadDirectory).toStdString(),
                                        QFileInfo(path).fileName().toStdString(), temporaryPath, error);
}

void QKapsMsgIO::openDownloadFile(const QString& announcedName, std::uint32_t announcedSize)
{
    // A file whose end never came is as incomplete as an abandoned one.
    if (m_downloadFile)
        abandonDownloadFile("a new file started");
    m_fileTotal = 0;
    m_downloadFilePath.clear();
    const QString path = downloadPath(announcedName, announcedSize);
    if (path.isEmpty())
        return;
    std::string error;
    std::string temporary;
    const int fd = createTemporaryFile(path, temporary, error);
    auto file = std::make_unique<QFile>();
    if (fd < 0 || !file->open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        qCWarning(lcProtocol) << "Cannot write" << path << QString::fromStdString(error);
        platform::discardDownloadFile(fd, temporary);
        return;
    }
    // Only a file that is really being written is named in the end message.
    m_downloadFilePath = path;
    m_temporaryPath = temporary;
    m_downloadFd = fd;
    m_downloadFile = std::move(file);
}

// The file takes its name only now, so that a download cut off by a crash
// never passes for the file the wrench meant to send.
void QKapsMsgIO::keepDownloadFile()
{
    std::string error = "write failed";
    const bool written = m_downloadFile->flush();
    m_downloadFile->close();
    if (!written
        || !platform::finishDownloadFile(m_downloadFd, m_temporaryPath, m_downloadFilePath.toStdString(), error)) {
        abandonDownloadFile(error.c_str());
        return;
    }
    m_downloadFile.reset();
    m_downloadFd = -1;
    m_temporaryPath.clear();
}

void QKapsMsgIO::abandonDownloadFile(const char* reason)
{
    qCWarning(lcProtocol) << "File download abandoned:" << reason << m_downloadFilePath;
    m_downloadFile.reset();
    platform::discardDownloadFile(std::exchange(m_downloadFd, -1), m_temporaryPath);
    m_temporaryPath.clear();
    m_downloadFilePath.clear();
    m_fileTotal = 0;
}

void QKapsMsgIO::onFileBlock(const frame::View& received)
{
    if (isRepeatedBlock(received) || !m_downloadFile)
        return;
    const auto count = static_cast<std::uint32_t>(received.dataLength());
    if (count > MaxDownloadBytes - m_fileTotal) {
        abandonDownloadFile("larger than the limit");
        return;
    }
    const qint64 written = m_downloadFile->write(reinterpret_cast<const char*>(received.data()), count);
    if (written != qint64{count}) {
        abandonDownloadFile("write failed");
        return;
    }
    m_fileTotal += count;
    postMessage(kaps::Progress, lastRxSequence(), static_cast<int>(m_fileTotal));
}

void QKapsMsgIO::onFileEnd(const frame::View&)
{
    if (!m_downloadActive)
        return;
    m_downloadActive = false;
    if (m_downloadFile)
        keepDownloadFile();
    postMessage(kaps::FileEnd, static_cast<int>(m_fileTotal), 0, m_downloadFilePath);
}

void QKapsMsgIO::onFileRequest(const frame::View& received)
{
    postMessage(kaps::FileRequest, 0, 0, latin1(received.text(0)));
}

void QKapsMsgIO::onFileDelete(const frame::View& received)
{
    postMessage(kaps::FileDelete, 0, 0, latin1(received.text(0)));
}

void QKapsMsgIO::onListStart(const frame::View&)
{
    m_downloadActive = true;
    m_listNames.clear();
    m_listSizes.clear();
    postMessage(kaps::ListStart, 0, 0);
}

void QKapsMsgIO::onListEntry(const frame::View& received)
{
    int sizeOffset = -1;
    const QString name = latin1(received.text(0, &sizeOffset));
    if (sizeOffset < 0 || !received.holds(sizeOffset, 4) || m_listNames.size() >= MaxListEntries)
        return;
    m_listNames.append(name);
    m_listSizes.append(received.be32(sizeOffset));
}

void QKapsMsgIO::onListEnd(const frame::View&)
{
    if (!m_downloadActive)
        return;
    m_downloadActive = false;
    postMessage(kaps::ListEnd, static_cast<int>(m_listNames.size()), 0);
}

void QKapsMsgIO::onListRequest(const frame::View& received)
{
    if (received.holds(2))
        postMessage(kaps::ListRequest, received.be16(0), 0);
}

void QKapsMsgIO::onParamValue(const frame::View& received)
{
    if (!received.holds(4))
        return;
    const int announced = received.be16(2);
    const int present = std::min(announced, received.dataLength() - 4);
    auto message = std::make_unique<KaPSMessage>(kaps::ParamValue, received.be16(0), 0, QString());
    message->setBytes(reinterpret_cast<const char*>(received.data() + 4), present);
    postToReceiver(std::move(message));
}
