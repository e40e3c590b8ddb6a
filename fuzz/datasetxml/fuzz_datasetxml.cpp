// Data-set files: the input is written to a file that is checked, read into a
// fresh model, repaired and checked again (a repaired file must verify).

#include "../offscreenapp.h"
#include "params/qorbcrc32.h"
#include "params/qorbpidman.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdint>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> folder;
const QString prefix = QStringLiteral("<!-- CHECKSUM=");
const QString suffix = QStringLiteral(" -->");

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startOffscreenApplication("fuzz_datasetxml");
    folder = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString fileName = folder->filePath(QStringLiteral("dataset.xml"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    QorbCRC32::verifyChecksum(fileName, prefix, suffix);
    QTreeWidget tree;
    QorbPIDMan model(&tree, nullptr);
    model.parseXml(fileName);
    model.applyFilter();
    if (!QorbCRC32::repairChecksum(fileName, prefix, suffix) || !QorbCRC32::verifyChecksum(fileName, prefix, suffix))
        __builtin_trap();
    return 0;
}
