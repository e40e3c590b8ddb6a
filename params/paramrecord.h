#pragma once

#include <QByteArray>
#include <QStringList>

// One parameter description as the wrench sends it: a little-endian flag word,
// then the fields its bits select, in a fixed order.
struct ParamRecord {
    enum Flag : quint32 {
        HasPid = 0x001,
        HasAttr = 0x002,
        HasAccess = 0x004,
        HasInfo = 0x008,
        HasLimits = 0x010,
        HasValue = 0x020,
        HasSkipped = 0x040,
        HasName = 0x080,
        HasUnit = 0x100,
        HasModule = 0x200,
        HasDescription = 0x400,
    };

    quint32 flags = 0;
    quint32 pid = 0;
    quint32 attr = 0;
    quint32 access = 0;
    quint32 info = 0;
    quint32 min = 0;
    quint32 max = 0;
    QByteArray value;
    QString name;
    QString unit;
    QString module;
    QString description;

    bool hasValue() const { return (flags & HasValue) != 0; }
};

// Reads a record within size bytes. False for a record that ends before its
// last field, a text without its terminating zero, or a value that is too
// short for the table its ATTR describes or has more than 64 Ki cells.
bool parseParamRecord(const char* data, qsizetype size, ParamRecord& record);

// The display texts of the record's value, row by row (rows x columns of its
// ATTR): every element formatted, or "---" for each when the value is empty.
QStringList recordCellTexts(const ParamRecord& record);

// The limits as shown: in the parameter's own display form when MIN < MAX as
// signed numbers, else both as plain signed decimals.
QString recordLimitText(const ParamRecord& record, quint32 limit);

// The record with these fields; the inverse of parseParamRecord.
QByteArray serializeParamRecord(const ParamRecord& record);
