#pragma once

#include <QString>

// Runs the tool: creates the application object from the command line and
// hands over to startTool with the executable's path. Returns the exit code.
int runTolvoTool(int argc, char** argv);

// Everything after the application object, for a tool started from
// startPath: style object, splash, main window and event loop. The style
// object, the images, the settings and the translation are looked up beside
// startPath. Needs a QApplication.
int startTool(const QString& startPath);
