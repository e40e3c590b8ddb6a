#include "protocol/qkapsfilename.h"

#include "platform/downloadfile.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace kapsfile {

namespace {

// Run, loaded or opened as code by one of the systems the tool runs on, or
// one of the tool's own files (settings, style, translation, descriptions).
bool isRefusedSuffix(const QString& suffix)
{
    static const char* const refused[] = {
        "exe", "dll", "com", "bat", "cmd", "ps1", "psm1", "psd1", "vbs", "vbe", "js", "jse",
        "wsf", "wsh", "hta", "msi", "msp", "mst", "lnk", "url", "scr", "pif", "cpl", "ocx",
        "sys", "drv", "reg", "inf", "jar", "so", "dylib", "sh", "bash", "zsh", "csh", "ksh",
        "py", "pl", "rb", "desktop", "appimage", "run", "ini", "sty", "qm",
    };
    return std::any_of(std::begin(refused), std::end(refused), [&suffix](const char* candidate) {
        return suffix.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0;
    });
}

// Windows opens a device, not a file, for these names with any suffix.
bool isWindowsDeviceName(const QString& stem)
{
    static const char* const devices[] = {"con", "prn", "aux", "nul"};
    if (std::any_of(std::begin(devices), std::end(devices), [&stem](const char* device) {
            return stem.compare(QLatin1String(device), Qt::CaseInsensitive) == 0;
        }))
        return true;
    const bool numbered = stem.size() == 4 && stem.at(3).isDigit()
        && (stem.startsWith(QLatin1String("com"), Qt::CaseInsensitive)
            || stem.startsWith(QLatin1String("lpt"), Qt::CaseInsensitive));
    return numbered;
}

bool hasControlCharacter(const QString& name)
{
    return std::any_of(name.cbegin(), name.cend(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString refused(QString* refusal, const char* reason)
{
    if (refusal != nullptr)
        *refusal = QLatin1String(reason);
    return QString();
}

} // namespace

QString downloadFileName(const QByteArray& announced, const QString& executableName,
                         QString* refusal)
{
    const qsizetype separator = std::max(announced.lastIndexOf('\\'), announced.lastIndexOf('/'));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = decoder.decode(announced.mid(separator + 1));
    if (decoder.hasError())
        return refused(refusal, "not UTF-8");
    if (name.isEmpty())
        return refused(refusal, "empty");
    if (hasControlCharacter(name))
        return refused(refusal, "control character");
    // ':' names a drive or a stream on Windows; a trailing dot or blank is
    // dropped there, which would turn "x.ini." into "x.ini" (and "." or ".."
    // into a folder).
    if (name.contains(QLatin1Char(':')) || name.endsWith(QLatin1Char('.'))
        || name.endsWith(QLatin1Char(' ')))
        return refused(refusal, "not a plain file name");
    if (!executableName.isEmpty() && name.compare(executableName, Qt::CaseInsensitive) == 0)
        return refused(refusal, "the tool's own program");
    // The next start would take it for the remains of a cut-off download.
    if (platform::isTemporaryDownloadName(name.toStdString()))
        return refused(refusal, "the name of an incomplete download");
    const QStringList parts = name.split(QLatin1Char('.'));
    if (isWindowsDeviceName(parts.first().trimmed()))
        return refused(refusal, "a device name");
    // A shared library keeps its suffix before the version: "libx.so.6".
    const bool versionedLibrary = std::any_of(parts.cbegin() + 1, parts.cend(), [](const QString& part) {
        return part.compare(QLatin1String("so"), Qt::CaseInsensitive) == 0;
    });
    if ((parts.size() > 1 && isRefusedSuffix(parts.last())) || versionedLibrary)
        return refused(refusal, "may be run or loaded as code");
    return name;
}

} // namespace kapsfile
