#pragma once

#include "app/setupdefaults.h"
#include "archive/archivesettings.h"
#include "history/statssettings.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// What tolvo-cli takes from the tool's settings file: the "PORTS" mapping, the
// line speed, the language, the reports' decimal separator and the readout
// archive. Nothing is written to it.
struct CliSettings {
    QString file;
    int baudRate = setupdefaults::BaudRate;
    QChar decimalSeparator = u',';
    QString language;
    ArchiveSettings archive;
    StatsThresholds thresholds;

    // The window's translation for the language set, so that the reports
    // come out in the words the window saves them in. False when there is
    // none to load (English, or the file is missing).
    bool installTranslation() const;

    // Settings file, pictures and translation are looked for as the window
    // program beside this one looks for them; call before load.
    static void actAsWindowProgram();
    // The given file, or the one the window program uses; it also becomes
    // the file of the port mapping.
    static CliSettings load(const QString& givenFile);
};

// A port present now: its COM number and the device path it stands for.
struct PresentPort {
    int number = 0;
    QString path;
};
// In COM-number order.
QList<PresentPort> presentPorts();

// The port a run talks to: "COMn" (any letter case), or a device path, which
// a COM name that maps to it stands for, else one a mapping of this run's own.
class PortChoice
{
public:
    // False, with the reason, for a name that is neither or a path that
    // does not exist.
    bool choose(const QString& port, QString& error);
    int portNumber() const { return m_portNumber; }

private:
    bool mapPath(const QString& path, QString& error);

    int m_portNumber = 0;
    std::unique_ptr<QTemporaryDir> m_mappingFolder;
};
