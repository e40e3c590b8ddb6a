#pragma once

#include "protocol/frame/view.h"
#include "protocol/qkapsio.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>

class QFile;

// The wrench's messages: one request operation per mnemonic the tool sends,
// and the interpretation of what the wrench sends, including the three
// downloads (a record block into memory, a file into the download directory,
// a list of names and sizes). Every result is a KaPSMessage to the receiver.
class QKapsMsgIO : public QKapsIO {
    Q_OBJECT
public:
    // Largest record block or file accepted from the wrench.
    static constexpr std::uint32_t MaxDownloadBytes = 16U * 1024U * 1024U;

    explicit QKapsMsgIO(QObject* parent = nullptr);
    ~QKapsMsgIO() override;

    bool handleMessage(const std::uint8_t* frame, std::uint32_t frameLength, bool ackRequested) override;
    bool sendAck(std::uint8_t sequence) override;
    bool sendNak(std::uint8_t sequence) override;
    bool sendIdentification(bool ackRequested) override;

    // Every request is refused (false, nothing sent) unless the port is open.
    bool requestData(int first, int second);
    bool requestRecords(int count);
    bool breakRecords();
    bool confirmData(int first, int second);
    // mnemonic, id, length, then length bytes of data in a CRC-checked frame.
    // Refused when the data would not fit into one frame.
    bool sendCommand(const char* mnemonic, const char* data, int id, int length, bool ackRequested);

    // Where files from the wrench are written, made with the first one; while
    // none is set, every file is refused. Setting it removes the temporary
    // files of downloads that a killed tool left there.
    void setDownloadDirectory(const QString& directory);
    const QString& downloadDirectory() const { return m_downloadDirectory; }
    const QString& downloadFilePath() const { return m_downloadFilePath; }
    std::uint32_t fileTotal() const { return m_fileTotal; }
    const QStringList& listNames() const { return m_listNames; }
    const QList<std::uint32_t>& listSizes() const { return m_listSizes; }

private:
    using Handler = void (QKapsMsgIO::*)(const frame::View&);
    struct Mnemonic {
        char letters[4];
        Handler handler; // null: understood, nothing to do
    };
    static const Mnemonic dispatchList[];

    bool sendRequest(const char* mnemonic, const int* numbers, int count, std::uint8_t control,
                     std::uint8_t sequence);
    void postMessage(int type, int value1, int value2, const QString& text = QString());
    bool isRepeatedBlock(const frame::View& frame);
    void connectionClosed() override;

    void onIdentification(const frame::View& frame);
    void onError(const frame::View& frame);
    void onErrorExtended(const frame::View& frame);
    void onRecordStart(const frame::View& frame);
    void onRecordBlock(const frame::View& frame);
    void onRecordEnd(const frame::View& frame);
    void onRecordRequest(const frame::View& frame);
    void onFileStart(const frame::View& frame);
    void onFileBlock(const frame::View& frame);
    void onFileEnd(const frame::View& frame);
    void onFileRequest(const frame::View& frame);
    void onFileDelete(const frame::View& frame);
    void onListStart(const frame::View& frame);
    void onListEntry(const frame::View& frame);
    void onListEnd(const frame::View& frame);
    void onListRequest(const frame::View& frame);
    void onParamValue(const frame::View& frame);

    void removeStaleDownloads() const;
    // The announced file's path in the download directory; "" when refused.
    QString downloadPath(const QString& announcedName, std::uint32_t announcedSize) const;
    // The folder made and path checked; a C runtime descriptor or -1.
    int createTemporaryFile(const QString& path, std::string& temporaryPath, std::string& error) const;
    void openDownloadFile(const QString& announcedName, std::uint32_t announcedSize);
    void keepDownloadFile();
    void abandonDownloadFile(const char* reason);

    std::unique_ptr<std::uint8_t[]> m_downloadBuffer;
    std::uint32_t m_downloadSize = 0;
    // Repeats are recognised against the previous block of the same download.
    bool m_haveBlockSequence = false;
    std::uint8_t m_blockSequence = 0;

    QString m_downloadDirectory;
    QString m_downloadFilePath;
    // The file is written under this name until its end has come.
    std::string m_temporaryPath;
    int m_downloadFd = -1;
    std::unique_ptr<QFile> m_downloadFile;
    std::uint32_t m_fileTotal = 0;

    QStringList m_listNames;
    QList<std::uint32_t> m_listSizes;
};
