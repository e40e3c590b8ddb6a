#include "params/valuecodec.h"

#include "params/paramattr.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

using namespace paramattr;

ByteReader::ByteReader(const char* data, qsizetype size)
    : m_data(data)
    , m_size(data == nullptr || size < 0 ? 0 : size)
{
}

bool ByteReader::refuse()
{
    m_failed = true;
    return false;
}

bool ByteReader::read(char* out, qsizetype count)
{
    if (count < 0 || count > remaining())
        return refuse();
    if (count > 0)
        std::memcpy(out, m_data + m_pos, static_cast<std::size_t>(count));
    m_pos += count;
    return true;
}

bool ByteReader::skip(qsizetype count)
{
    if (count < 0 || count > remaining())
        return refuse();
    m_pos += count;
    return true;
}

bool ByteReader::readU32(quint32& value)
{
    uchar bytes[4];
    if (!read(reinterpret_cast<char*>(bytes), 4))
        return false;
    value = qFromLittleEndian<quint32>(bytes);
    return true;
}

bool ByteReader::readText(QByteArray& text)
{
    const void* zero = std::memchr(m_data + m_pos, 0, static_cast<std::size_t>(remaining()));
    if (zero == nullptr)
        return refuse();
    const qsizetype length = static_cast<const char*>(zero) - (m_data + m_pos);
    text = QByteArray(m_data + m_pos, length);
    m_pos += length + 1;
    return true;
}

ByteWriter::ByteWriter(qsizetype capacity)
    : m_capacity(capacity)
{
}

bool ByteWriter::write(const char* bytes, qsizetype count)
{
    if (count < 0 || count > m_capacity - m_bytes.size())
        return false;
    m_bytes.append(bytes, count);
    return true;
}

namespace {

struct Range {
    double low;
    double high;
};

// Hexadecimal texts give the bits of the element, so they count as unsigned.
Range rangeOf(quint8 type, bool asBits)
{
    const int bits = 8 * elementSize(type);
    if (bits == 0)
        return {double(std::numeric_limits<qint32>::min()), double(std::numeric_limits<quint32>::max())};
    const double span = std::ldexp(1.0, bits);
    if (isSigned(type) && !asBits)
        return {-span / 2, span / 2 - 1};
    return {0, span - 1};
}

// The element as a signed or unsigned number; raw holds its zero-extended bits.
double numericValue(quint32 raw, quint8 type)
{
    switch (type) {
    case TypeS8:
        return static_cast<qint8>(raw);
    case TypeS16:
        return static_cast<qint16>(raw);
    case TypeS32:
        return static_cast<qint32>(raw);
    default:
        return raw;
    }
}

float floatFromBits(quint32 bits)
{
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

quint32 bitsFromFloat(float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

QString formatInteger(quint32 raw, quint8 type, quint32 info)
{
    if (isHexDisplay(info))
        return QString::asprintf("0x%0*X", 2 * elementSize(type), raw);
    const double value = numericValue(raw, type);
    if (decimals(info) > 0)
        return QString::number(value / std::pow(10.0, decimals(info)), 'f', decimals(info));
    if (isSigned(type))
        return QString::asprintf("%+d", static_cast<int>(value));
    return QString::asprintf("%u", raw);
}

// A number of the type's range as its two's complement bits.
bool rawInRange(double value, quint8 type, quint32& raw, bool asBits = false)
{
    const Range range = rangeOf(type, asBits);
    if (!(value >= range.low && value <= range.high))
        return false;
    raw = value < 0 ? static_cast<quint32>(static_cast<qint64>(value)) : static_cast<quint32>(value);
    return true;
}

bool parseHex(const QString& text, quint8 type, quint32& raw)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 16);
    return ok && rawInRange(static_cast<double>(value), type, raw, true);
}

bool parseCharacter(const QString& text, quint32& raw)
{
    if (text.isEmpty()) {
        raw = 0;
        return true;
    }
    const char16_t code = text.at(0).unicode();
    if (code > 0xFF)
        return false;
    raw = code;
    return true;
}

bool parseFloat(const QString& text, quint32& raw)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return false;
    raw = bitsFromFloat(static_cast<float>(value));
    return true;
}

bool parseScaled(const QString& text, quint8 type, int places, quint32& raw)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && rawInRange(std::round(value * std::pow(10.0, places)), type, raw);
}

bool parseInteger(const QString& text, quint8 type, quint32& raw)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    return ok && rawInRange(static_cast<double>(value), type, raw);
}

} // namespace

QString formatValue(ByteReader& cursor, quint32 attr, quint32 info)
{
    const quint8 type = valueType(attr);
    const int size = elementSize(type);
    uchar bytes[4] = {0, 0, 0, 0};
    if (size == 0 || !cursor.read(reinterpret_cast<char*>(bytes), size))
        return QString();
    const quint32 raw = qFromLittleEndian<quint32>(bytes);
    if (type == TypeChar)
        return raw == 0 ? QString() : QString(QChar(static_cast<char16_t>(raw)));
    if (type == TypeFloat)
        return QString::number(static_cast<double>(floatFromBits(raw)), 'f', decimals(info));
    return formatInteger(raw, type, info);
}

bool parseValue(const QString& input, quint32 attr, quint32 info, quint32& raw)
{
    const quint8 type = valueType(attr);
    const QString text = input.trimmed();
    raw = 0;
    // Characters and floats are shown as such whatever the display format,
    // so they are read back as such.
    if (type == TypeFloat)
        return parseFloat(text, raw);
    if (type == TypeChar)
        return parseCharacter(input, raw);
    if (isHexDisplay(info))
        return parseHex(text, type, raw);
    if (decimals(info) > 0)
        return parseScaled(text, type, decimals(info), raw);
    return parseInteger(text, type, raw);
}

int storeRaw(quint32 raw, ByteWriter& out, quint32 attr)
{
    const int size = elementSize(valueType(attr));
    uchar bytes[4];
    qToLittleEndian(raw, bytes);
    if (size == 0 || !out.write(reinterpret_cast<const char*>(bytes), size))
        return 0;
    return size;
}
