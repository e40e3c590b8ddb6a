// Values between device bytes and display text. Input: [type selector, INFO,
// bytes...]. The bytes are formatted element by element and every text shown
// must parse back to the bytes it came from; the bytes, read as Latin-1 text,
// are parsed and stored; and the model decodes them as a scalar and as a table
// and encodes the text.

#include "../offscreenapp.h"
#include "params/paramattr.h"
#include "params/paramrecord.h"
#include "params/qorbpidman.h"
#include "params/valuecodec.h"

#include <QTreeWidget>

#include <cstdint>
#include <memory>

using namespace paramattr;

namespace {

constexpr quint8 types[] = {TypeU8, TypeS8, TypeChar, TypeU16, TypeS16, TypeU32, TypeS32, TypeFloat, 0x20};
constexpr quint32 typeCount = sizeof types / sizeof types[0];
constexpr quint32 scalarPid = 100;
constexpr quint32 tablePid = 200;

// One scalar and one 3 x 4 table parameter of each type.
struct Model {
    QTreeWidget tree;
    QorbPIDMan pidman{&tree, nullptr};

    Model()
    {
        for (quint32 i = 0; i < typeCount; ++i) {
            add(scalarPid + i, makeAttr(types[i], 1, 1));
            add(tablePid + i, makeAttr(types[i], 3, 4));
        }
    }

    void add(quint32 pid, quint32 attr)
    {
        ParamRecord record;
        record.flags = ParamRecord::HasPid | ParamRecord::HasAttr | ParamRecord::HasValue;
        record.pid = pid;
        record.attr = attr;
        const QByteArray bytes = serializeParamRecord(record);
        pidman.addParamInfo(bytes.constData(), bytes.size());
    }
};

std::unique_ptr<Model> model;

// Every element shown parses back to its own bytes (floats only when they are
// numbers shown exactly, which the decimals of INFO do not promise).
void checkRoundTrip(const char* bytes, qsizetype size, quint32 attr, quint32 info)
{
    ByteReader cursor(bytes, size);
    const int elementBytes = elementSize(valueType(attr));
    while (elementBytes > 0 && cursor.remaining() >= elementBytes) {
        const qsizetype at = cursor.consumed();
        const QString text = formatValue(cursor, attr, info);
        if (valueType(attr) == TypeFloat)
            continue;
        quint32 raw = 0;
        ByteWriter out(4);
        if (!parseValue(text, attr, info, raw) || storeRaw(raw, out, attr) != elementBytes
            || out.bytes() != QByteArray(bytes + at, elementBytes))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startOffscreenApplication("fuzz_paramvalues");
    model = std::make_unique<Model>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const quint32 typeIndex = data[0] % typeCount;
    const quint32 attr = makeAttr(types[typeIndex], 1, 1);
    const quint32 info = data[1];
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    const qsizetype count = static_cast<qsizetype>(size - 2);

    checkRoundTrip(bytes, count, attr, info);

    const QString text = QString::fromLatin1(bytes, count);
    quint32 raw = 0;
    ByteWriter out(QorbPIDMan::MaxValueBytes);
    if (parseValue(text, attr, info, raw))
        storeRaw(raw, out, attr);

    QorbPIDMan& pidman = model->pidman;
    pidman.decodeValues(scalarPid + typeIndex, bytes, count);
    pidman.decodeValues(tablePid + typeIndex, bytes, count);
    pidman.encodeValue(scalarPid + typeIndex, out, text);
    pidman.encodeTable(tablePid + typeIndex, out, data[1] % 3, data[1] % 4, text);
    if (out.bytes().size() > QorbPIDMan::MaxValueBytes)
        __builtin_trap();
    return 0;
}
