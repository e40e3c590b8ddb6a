#pragma once

#include "cli/clisession.h"

#include <QString>
#include <QStringList>

// tolvo-cli's command line: a command, its arguments and the options.
struct CliArguments {
    enum class Command { Help, Ports, Identify, History, Get, Set };

    Command command = Command::Help;
    QString port;
    QString settingsFile;
    int timeoutMs = 5000;
    int paramId = 0;
    QString value;
    QString txtFile;
    QString csvFile;
    bool json = false;
    bool stats = false;

    // False, with a one-line reason, for anything a command does not take.
    bool parse(const QStringList& arguments, QString& error);
    static QString helpText();

    CliSession::Command sessionCommand() const;
};
