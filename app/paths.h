#pragma once

#include <QChar>
#include <QDir>
#include <QString>

class QTranslator;

// Every file the tool reads beside itself is named after the path it was
// started from. The derived names are plain text operations, so that a
// Windows path can be checked on POSIX and the other way round.
//
// Two layouts are known. The portable one (the build folder, a portable
// install) keeps everything beside the executable. An installed tree keeps
// the executable in <prefix>/bin and the style file, pictures and
// translation in <prefix>/share/tolvotool; its settings go to the user's
// configuration folder.
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
// "<prefix><sep>share<sep>tolvotool<sep>" for a program directory
// "<prefix><sep>bin<sep>" (any name for bin); "" when the program directory
// has no parent.
QString installedDataDirectory(const QString& startPath, QChar separator = QDir::separator());

// The running tool's start path: the executable's absolute path with native
// separators, unless start-up was given another one.
QString startPath();
void setStartPath(const QString& path);

// Where the style file, images/ and the translation are: beside the
// executable when its style file is there, else the installed data directory
// when the style file is there, else beside the executable (whose missing
// style file start-up then reports).
QString resourceDirectory(const QString& startPath);
bool isInstalledLayout(const QString& startPath);
QString resourceStyleFile(const QString& startPath);
QString resourceImageDirectory(const QString& startPath);

// Loads a translation such as "TolvoTool_de" into translator: relative to
// the working directory first, as the toolkit's default search does; then
// from the resource directory, for a tool started from a menu.
bool loadTranslation(QTranslator& translator, const QString& name);

// The rule for the settings file: beside the executable in the portable
// layout while the program folder is writable; otherwise, under the same
// name, in configFolder.
QString settingsLocation(const QString& startPath, bool installedLayout, bool programFolderWritable,
                         const QString& configFolder);
// The user's configuration folder for the tool's settings: the window
// program's QStandardPaths::AppConfigLocation ("~/.config/TolvoTool"),
// whichever program of the tool asks.
QString userConfigFolder();
// settingsLocation for the tool started as startPath, on this machine. The
// configuration folder may not exist yet: writers create it first.
QString settingsFileInUse(const QString& startPath);
// The folder of settingsFileInUse, with a trailing separator: where the tool
// writes its other files (the parameter descriptions, the download folder),
// so that an installed tool writes them into the user's folder and not into
// the read-only program folder.
QString writableFolder(const QString& startPath);
// "downloads" in writableFolder, with a trailing separator: the files the
// wrench sends, for the window and tolvo-cli alike, apart from the tool's own
// files and never beside the programs.
QString downloadFolder(const QString& startPath);
// "archive.sqlite" beside the settings file while that is beside the
// programs; otherwise in the user's data folder ("~/.local/share/TolvoTool"),
// where data that must not be lost belongs.
QString archiveFile(const QString& startPath);

} // namespace paths
