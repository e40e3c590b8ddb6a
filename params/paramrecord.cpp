#include "params/paramrecord.h"

#include "params/paramattr.h"
#include "params/valuecodec.h"

#include <QtEndian>

using namespace paramattr;

namespace {

bool readOptionalU32(ByteReader& reader, quint32 flags, quint32 bit, quint32& value)
{
    return (flags & bit) == 0 || reader.readU32(value);
}

bool readOptionalText(ByteReader& reader, quint32 flags, quint32 bit, QString& text)
{
    if ((flags & bit) == 0)
        return true;
    QByteArray bytes;
    if (!reader.readText(bytes))
        return false;
    text = QString::fromLatin1(bytes);
    return true;
}

bool readValue(ByteReader& reader, QByteArray& value)
{
    quint32 length = 0;
    if (!reader.readU32(length) || length > static_cast<quint64>(reader.remaining()))
        return false;
    value.resize(static_cast<qsizetype>(length));
    return reader.read(value.data(), value.size());
}

bool skipBlock(ByteReader& reader)
{
    quint32 length = 0;
    return reader.readU32(length) && length <= static_cast<quint64>(reader.remaining())
        && reader.skip(static_cast<qsizetype>(length));
}

quint64 cellCount(quint32 attr)
{
    return quint64{rows(attr)} * columns(attr);
}

bool tableFitsValue(const ParamRecord& record)
{
    if (!record.hasValue())
        return true;
    const quint64 cells = cellCount(record.attr);
    if (cells > MaxTableCells)
        return false;
    const quint64 needed = cells * static_cast<quint64>(elementSize(valueType(record.attr)));
    return record.value.isEmpty() || needed <= static_cast<quint64>(record.value.size());
}

void appendU32(QByteArray& out, quint32 value)
{
    uchar bytes[4];
    qToLittleEndian(value, bytes);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

void appendText(QByteArray& out, const QString& text)
{
    out.append(text.toLatin1());
    out.append('\0');
}

} // namespace

bool parseParamRecord(const char* data, qsizetype size, ParamRecord& record)
{
    record = ParamRecord();
    ByteReader reader(data, size);
    if (!reader.readU32(record.flags))
        return false;
    const quint32 flags = record.flags;
    const bool fieldsRead = readOptionalU32(reader, flags, ParamRecord::HasPid, record.pid)
        && readOptionalU32(reader, flags, ParamRecord::HasAttr, record.attr)
        && readOptionalU32(reader, flags, ParamRecord::HasAccess, record.access)
        && readOptionalU32(reader, flags, ParamRecord::HasInfo, record.info)
        && readOptionalU32(reader, flags, ParamRecord::HasLimits, record.min)
        && readOptionalU32(reader, flags, ParamRecord::HasLimits, record.max)
        && ((flags & ParamRecord::HasValue) == 0 || readValue(reader, record.value))
        && ((flags & ParamRecord::HasSkipped) == 0 || skipBlock(reader))
        && readOptionalText(reader, flags, ParamRecord::HasName, record.name)
        && readOptionalText(reader, flags, ParamRecord::HasUnit, record.unit)
        && readOptionalText(reader, flags, ParamRecord::HasModule, record.module)
        && readOptionalText(reader, flags, ParamRecord::HasDescription, record.description);
    return fieldsRead && tableFitsValue(record);
}

QStringList recordCellTexts(const ParamRecord& record)
{
    const qsizetype cells = static_cast<qsizetype>(cellCount(record.attr));
    QStringList texts;
    texts.reserve(cells);
    if (record.value.isEmpty()) {
        for (qsizetype i = 0; i < cells; ++i)
            texts.append(QStringLiteral("---"));
        return texts;
    }
    ByteReader cursor(record.value.constData(), record.value.size());
    for (qsizetype i = 0; i < cells; ++i)
        texts.append(formatValue(cursor, record.attr, record.info));
    return texts;
}

QString recordLimitText(const ParamRecord& record, quint32 limit)
{
    if (static_cast<qint32>(record.min) >= static_cast<qint32>(record.max))
        return QString::asprintf("%d", static_cast<qint32>(limit));
    uchar bytes[4];
    qToLittleEndian(limit, bytes);
    ByteReader cursor(reinterpret_cast<const char*>(bytes), 4);
    return formatValue(cursor, record.attr, record.info);
}

QByteArray serializeParamRecord(const ParamRecord& record)
{
    QByteArray out;
    const quint32 flags = record.flags;
    appendU32(out, flags);
    const std::pair<quint32, quint32> numbers[] = {
        {ParamRecord::HasPid, record.pid},       {ParamRecord::HasAttr, record.attr},
        {ParamRecord::HasAccess, record.access}, {ParamRecord::HasInfo, record.info},
        {ParamRecord::HasLimits, record.min},    {ParamRecord::HasLimits, record.max},
    };
    for (const auto& [bit, value] : numbers) {
        if (flags & bit)
            appendU32(out, value);
    }
    if (flags & ParamRecord::HasValue) {
        appendU32(out, static_cast<quint32>(record.value.size()));
        out.append(record.value);
    }
    if (flags & ParamRecord::HasSkipped)
        appendU32(out, 0);
    const std::pair<quint32, const QString*> texts[] = {
        {ParamRecord::HasName, &record.name},
        {ParamRecord::HasUnit, &record.unit},
        {ParamRecord::HasModule, &record.module},
        {ParamRecord::HasDescription, &record.description},
    };
    for (const auto& [bit, text] : texts) {
        if (flags & bit)
            appendText(out, *text);
    }
    return out;
}
