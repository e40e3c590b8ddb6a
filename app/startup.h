#pragma once

#include <QString>

class QTextStream;

// Runs the tool: creates the application object from the command line and
// hands over to startTool with the executable's path, or with
// "--check-install" to checkInstallation. Returns the exit code.
int runTolvoTool(int argc, char** argv);

// Everything after the application object, for a tool started from
// startPath: style object, splash, main window and event loop. The style
// object, the images and the translation are looked up in the resource
// directory, the settings file where the settings rule puts it (app/paths.h).
// Needs a QApplication.
int startTool(const QString& startPath);

// For a check after installing: loads the style file, looks for the splash
// picture and loads the German translation as the tool would, writes one line
// per file found (and the settings file's place) to out, and returns 0 when
// all three are there, 1 otherwise. Shows no window and writes no file.
int checkInstallation(const QString& startPath, QTextStream& out);
