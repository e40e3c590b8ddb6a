#include "app/paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTranslator>

namespace paths {
namespace {

QString& overriddenStartPath()
{
    static QString path;
    return path;
}

QString withSuffix(const QString& startPath, QLatin1String suffix)
{
    static const QLatin1String exeSuffix(".exe");
    if (startPath.endsWith(exeSuffix, Qt::CaseInsensitive))
        return startPath.left(startPath.size() - exeSuffix.size()) + suffix;
    return startPath + suffix;
}

} // namespace

QString imageDirectory(const QString& startPath, QChar separator)
{
    const qsizetype last = startPath.lastIndexOf(separator);
    const QString directory = last < 0 ? startPath : startPath.left(last);
    return directory + separator + QLatin1String("images") + separator;
}

QString styleFile(const QString& startPath)
{
    return withSuffix(startPath, QLatin1String(".sty"));
}

QString settingsFile(const QString& startPath)
{
    return withSuffix(startPath, QLatin1String(".ini"));
}

QString programDirectory(const QString& startPath, QChar separator)
{
    return startPath.left(startPath.lastIndexOf(separator) + 1);
}

QString installedDataDirectory(const QString& startPath, QChar separator)
{
    const QString program = programDirectory(startPath, separator);
    const qsizetype parentEnd = program.lastIndexOf(separator, -2);
    if (parentEnd < 0)
        return QString();
    return program.left(parentEnd + 1) + QLatin1String("share") + separator + QLatin1String("tolvotool")
        + separator;
}

QString startPath()
{
    if (!overriddenStartPath().isEmpty())
        return overriddenStartPath();
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

void setStartPath(const QString& path)
{
    overriddenStartPath() = path;
}

QString resourceDirectory(const QString& startPath)
{
    return isInstalledLayout(startPath) ? installedDataDirectory(startPath) : programDirectory(startPath);
}

bool isInstalledLayout(const QString& startPath)
{
    const QString installed = installedDataDirectory(startPath);
    if (installed.isEmpty() || QFileInfo::exists(styleFile(startPath)))
        return false;
    return QFileInfo::exists(installed + QFileInfo(styleFile(startPath)).fileName());
}

QString resourceStyleFile(const QString& startPath)
{
    return resourceDirectory(startPath) + QFileInfo(styleFile(startPath)).fileName();
}

QString resourceImageDirectory(const QString& startPath)
{
    return resourceDirectory(startPath) + QLatin1String("images") + QDir::separator();
}

bool loadTranslation(QTranslator& translator, const QString& name)
{
    return translator.load(name)
        || (!name.isEmpty() && translator.load(name, QDir::fromNativeSeparators(resourceDirectory(startPath()))));
}

QString settingsLocation(const QString& startPath, bool installedLayout, bool programFolderWritable,
                         const QString& configFolder)
{
    const QString beside = settingsFile(startPath);
    if ((!installedLayout && programFolderWritable) || configFolder.isEmpty())
        return beside;
    return configFolder + QDir::separator() + QFileInfo(beside).fileName();
}

QString userConfigFolder()
{
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (generic.isEmpty())
        return QString();
    return QDir::toNativeSeparators(generic + QLatin1String("/TolvoTool"));
}

QString settingsFileInUse(const QString& startPath)
{
    const QString folder = programDirectory(startPath);
    const bool writable = QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).isWritable();
    return settingsLocation(startPath, isInstalledLayout(startPath), writable, userConfigFolder());
}

QString writableFolder(const QString& startPath)
{
    return programDirectory(settingsFileInUse(startPath));
}

QString downloadFolder(const QString& startPath)
{
    return writableFolder(startPath) + QLatin1String("downloads") + QDir::separator();
}

QString archiveFile(const QString& startPath)
{
    const QString settingsFolder = writableFolder(startPath);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const bool besidePrograms = settingsFolder == programDirectory(startPath);
    const QString folder = besidePrograms || data.isEmpty()
                               ? settingsFolder
                               : QDir::toNativeSeparators(data + QLatin1String("/TolvoTool/"));
    return folder + QLatin1String("archive.sqlite");
}

} // namespace paths
