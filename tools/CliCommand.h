#pragma once

#include "CliCommon.h"

#include <QList>

// A subcommand of keystow-cli: its name, its usage line, how many arguments it takes, and what
// it does. Returns an exit code.
struct CliCommand {
    const char* name;
    const char* usage;
    const char* summary;
    int minArgs;
    int maxArgs;
    int (*run)(const CliOptions& options);
};

// decrypt, encrypt, verify.
QList<CliCommand> TextCommands();
// info, upgrade: which container a file uses, and moving it to the strong one.
QList<CliCommand> FormatCommands();
