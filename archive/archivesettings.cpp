#include "archive/archivesettings.h"

#include "app/paths.h"
#include "app/qorbinifile.h"

namespace {
const QString section = QStringLiteral("ARCHIVE");
}

ArchiveSettings ArchiveSettings::read(QorbInifile& settings, const QString& startPath)
{
    const auto text = [&settings](const char* key) {
        return settings.readString(section, QLatin1String(key), QString(), false).trimmed();
    };
    ArchiveSettings archive;
    archive.enabled = settings.readInt(section, QStringLiteral("ENABLED"), 1, false) != 0;
    archive.file = text("FILE");
    if (archive.file.isEmpty())
        archive.file = paths::archiveFile(startPath);
    archive.server.driver = text("SERVER_DRIVER");
    archive.server.host = text("SERVER_HOST");
    archive.server.port = settings.readInt(section, QStringLiteral("SERVER_PORT"), 0, false);
    archive.server.database = text("SERVER_DATABASE");
    archive.server.user = text("SERVER_USER");
    archive.server.options = text("SERVER_OPTIONS");
    return archive;
}
