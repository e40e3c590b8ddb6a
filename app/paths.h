#pragma once

#include <QChar>
#include <QDir>
#include <QString>

// Every file the tool reads beside itself is named after the path it was
// started from. The functions are plain text operations, so that a Windows
// path can be checked on POSIX and the other way round.
namespace paths {

// "<dir><sep>images<sep>"; a path without any separator keeps itself whole
// as the directory part.
QString imageDirectory(const QString& startPath, QChar separator = QDir::separator());
// The start path with a trailing ".exe" (any letter case) replaced by ".sty",
// or with ".sty" appended when there is none.
QString styleFile(const QString& startPath);
// As styleFile, with ".ini".
QString settingsFile(const QString& startPath);
// The start path up to and including its last separator ("" without one).
QString programDirectory(const QString& startPath, QChar separator = QDir::separator());

// The running tool's start path: the executable's absolute path with native
// separators, unless start-up was given another one.
QString startPath();
void setStartPath(const QString& path);

} // namespace paths
