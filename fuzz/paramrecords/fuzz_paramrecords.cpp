// Device description records into the parameter model: the input is a list
// of records, each [length low, length high, bytes...], added to an empty
// model; then every added parameter decodes the record bytes as its value and
// encodes its table back. Records of tables above 64 cells go only through
// the record reader.

#include "../offscreenapp.h"
#include "params/paramattr.h"
#include "params/paramrecord.h"
#include "params/qorbpidman.h"

#include <QTreeWidget>

#include <cstdint>

#include <memory>

namespace {
constexpr quint64 maxTreeCells = 64;
std::unique_ptr<QTreeWidget> tree;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startOffscreenApplication("fuzz_paramrecords");
    tree = std::make_unique<QTreeWidget>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tree->clear();
    QorbPIDMan model(tree.get(), nullptr);
    std::size_t pos = 0;
    while (pos + 2 <= size) {
        const std::size_t announced = std::size_t{data[pos]} | std::size_t{data[pos + 1]} << 8U;
        const std::size_t length = std::min(announced, size - pos - 2);
        const char* record = reinterpret_cast<const char*>(data + pos + 2);
        pos += 2 + length;
        // Every item of a table costs the tree several allocations (a table of
        // 64 Ki cells a good part of a second); the record reader alone checks
        // the large ones, so that a run of fixed length stays short.
        ParamRecord fields;
        if (parseParamRecord(record, static_cast<qsizetype>(length), fields)
            && quint64{paramattr::rows(fields.attr)} * paramattr::columns(fields.attr) > maxTreeCells)
            continue;
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
