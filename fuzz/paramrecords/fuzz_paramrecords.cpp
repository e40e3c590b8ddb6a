// Device description records into the parameter model: the input is a list
// of records, each [length low, length high, bytes...], added to one fresh
// model; then every added parameter decodes the record bytes as its value and
// encodes its table back.

#include "../offscreenapp.h"
#include "params/qorbpidman.h"

#include <QTreeWidget>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startOffscreenApplication("fuzz_paramrecords");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    std::size_t pos = 0;
    while (pos + 2 <= size) {
        const std::size_t announced = std::size_t{data[pos]} | std::size_t{data[pos + 1]} << 8U;
        const std::size_t length = std::min(announced, size - pos - 2);
        const char* record = reinterpret_cast<const char*>(data + pos + 2);
        pos += 2 + length;
        if (!model.addParamInfo(record, static_cast<qsizetype>(length)) || length < 8)
            continue;
        const quint32 pid = static_cast<quint32>(static_cast<std::uint8_t>(record[4]))
            | static_cast<quint32>(static_cast<std::uint8_t>(record[5])) << 8U;
        model.decodeValues(pid, record, static_cast<qsizetype>(length));
        ByteWriter out(QorbPIDMan::MaxValueBytes);
        model.encodeTable(pid, out, 0, 0, QStringLiteral("1"));
        if (out.bytes().size() > QorbPIDMan::MaxValueBytes)
            __builtin_trap();
    }
    model.applyFilter();
    return 0;
}
