#pragma once

#include "archive/archivestore.h"
#include "cli/clisession.h"

#include <QString>
#include <QStringList>

// tolvo-cli's command line: a command, its arguments and the options.
struct CliArguments {
    enum class Command { Help, Ports, Identify, History, Get, Set, Archive };
    enum class ArchiveCommand { List, Count, Export, Report, Sync };

    Command command = Command::Help;
    ArchiveCommand archiveCommand = ArchiveCommand::List;
    QString port;
    QString settingsFile;
    int timeoutMs = 5000;
    int paramId = 0;
    QString value;
    QString txtFile;
    QString csvFile;
    QString aqdefFile;
    QString pdfFile;
    bool json = false;
    bool stats = false;
    // History: into the local archive unless the settings say no.
    bool archive = true;
    // Archive list, count, export, report: the settings' server, not the local file.
    bool server = false;
    MeasurementFilter selection;

    // False, with a one-line reason, for anything a command does not take.
    bool parse(const QStringList& arguments, QString& error);
    static QString helpText();

    CliSession::Command sessionCommand() const;

private:
    bool parseCommand(const QStringList& positional, QString& error);
};
