#include "app/paths.h"

#include <QCoreApplication>

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

} // namespace paths
