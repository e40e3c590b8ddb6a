#pragma once

#include <QByteArray>
#include <QString>

// Parameter values between display text and the little-endian device bytes,
// one element at a time, by the value type in ATTR and the display rules in
// INFO (paramattr.h). Every read and write is bounded.

// Reads device bytes front to back, never past their end. A read that does not
// fit fails, consumes nothing and marks the reader as failed.
class ByteReader
{
public:
    ByteReader(const char* data, qsizetype size);

    bool read(char* out, qsizetype count);
    bool skip(qsizetype count);
    bool readU32(quint32& value);
    // Text up to its terminating zero, which is consumed too.
    bool readText(QByteArray& text);

    qsizetype consumed() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }
    bool failed() const { return m_failed; }

private:
    bool refuse();

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

// Collects bytes up to a fixed capacity; a write that would pass it writes
// nothing and fails.
class ByteWriter
{
public:
    explicit ByteWriter(qsizetype capacity);

    bool write(const char* bytes, qsizetype count);

    const QByteArray& bytes() const { return m_bytes; }
    qsizetype capacity() const { return m_capacity; }

private:
    QByteArray m_bytes;
    qsizetype m_capacity;
};

// One element at the cursor as display text; the cursor advances by the
// element size. An unknown type yields "" and reads nothing; an element that
// is not all there yields "" and fails the cursor.
QString formatValue(ByteReader& cursor, quint32 attr, quint32 info);

// The display text as raw value. Character: the first character's 8-bit
// code, 0 for ""; float: the IEEE single bits of the number; hexadecimal
// display: base 16 ("0x" allowed); decimals d > 0: the number times 10^d,
// rounded half away from zero; else a decimal integer. Characters and floats
// read back as they are shown, whatever INFO says. False for a text that
// is no number or lies outside the type's range.
bool parseValue(const QString& text, quint32 attr, quint32 info, quint32& raw);

// The low bytes of raw, little-endian, as many as the type's element; the
// number written, 0 for an unknown type or a writer without room.
int storeRaw(quint32 raw, ByteWriter& out, quint32 attr);
