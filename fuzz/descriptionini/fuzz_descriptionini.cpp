// The description file: the input is an ini text. Entries named by the
// input's words are read with write-if-missing, written at once, and must read
// back the same from the rewritten file.

#include "../offscreenapp.h"
#include "app/qorbinifile.h"
#include "params/descriptionfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<QTemporaryDir> folder;

struct Lookup {
    QString section;
    QString key;
    QString value;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startOffscreenApplication("fuzz_descriptionini");
    folder = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString fileName = folder->filePath(QStringLiteral("Description.ini"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    QorbInifile source;
    source.setFileName(fileName, true);

    // Names from the input's words, so that some meet the file's entries.
    const QStringList words = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
                                  .split(QRegularExpression(QStringLiteral("[\\s\\[\\]=;]+")), Qt::SkipEmptyParts);
    std::vector<Lookup> lookups;
    {
        DescriptionFile descriptions(source);
        for (qsizetype i = 0; i + 1 < words.size() && i < 40; i += 2) {
            const QString value = descriptions.read(words[i], words[i + 1], QStringLiteral("default %1").arg(i));
            lookups.push_back({words[i], words[i + 1], value});
        }
        expandEscapes(QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        descriptions.flush();
    }
    // Written at once, every entry reads back as it was read before.
    DescriptionFile again(source);
    for (const Lookup& lookup : lookups) {
        if (again.read(lookup.section, lookup.key, QStringLiteral("missing")) != lookup.value)
            __builtin_trap();
    }
    return 0;
}
