#pragma once

#include "CliCommand.h"

// list, export, import: the accounts of passwords files.
QList<CliCommand> PasswordsCommands();
