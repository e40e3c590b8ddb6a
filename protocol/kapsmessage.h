#pragma once

#include <QByteArray>
#include <QEvent>
#include <QString>

namespace kaps {
constexpr int Progress = 1150;       // "RRN" / "FRN" block
constexpr int Acknowledge = 1151;
constexpr int Identification = 1152; // "VER"
constexpr int ErrorReport = 1153;    // "ERR" / "ERX"
constexpr int RecordRequest = 1154;  // "RRQ" from the wrench
constexpr int TransferStart = 1155;  // "RST"
constexpr int TransferEnd = 1156;    // "RFI"
constexpr int FileRequest = 1157;    // "FRQ"
constexpr int FileDelete = 1158;     // "FDL"
constexpr int FileStart = 1159;      // "FST"
constexpr int FileEnd = 1160;        // "FFI"
constexpr int ListRequest = 1161;    // "FLQ"
constexpr int ListStart = 1162;      // "FLS"
constexpr int ListEnd = 1163;        // "FLF"
constexpr int ParamValue = 1164;     // "DTM"

// value2 of a TransferStart whose size was refused: nothing will be kept.
constexpr int RefusedSize = -1;

// The numbers under which the tool asks for records ("RRQ") and the wrench
// announces them ("RST").
constexpr int HistoryTransfer = 0xFFF0; // the measurement history, one block
constexpr int DescriptionList = 0xFFFF; // the parameter descriptions
constexpr int ListEndTransfer = 0;      // announces the end of the descriptions
} // namespace kaps

// One decoded protocol result (types 1150..1164) for the main window and views.
class KaPSMessage : public QEvent {
public:
    KaPSMessage(int type, int value1, int value2, const QString& text);

    int progress = 0;
    int value1 = 0;
    int value2 = 0;
    QString text;

    const QByteArray& bytes() const { return m_bytes; }
    // Copies the bytes; an empty set leaves the message unchanged.
    void setBytes(const char* data, int length);
    void setBytes(const QByteArray& data);

private:
    QByteArray m_bytes;
};
