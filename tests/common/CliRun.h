#pragma once

// Runs keystow-cli, as built next to the tests, as a separate process; finds the editor too.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct CliResult {
    int code = -1; // -1: did not finish in time, -2: crashed
    QByteArray out;
    QByteArray err;
};

// The programs' paths, from KEYSTOW_BIN_DIR.
QString CliProgram();
QString EditorProgram();

// Runs it with the password in KEYSTOW_PASSWORD (a null password: none given, even if the
// environment had one) and input on its standard input.
CliResult RunCli(const QStringList& args, const QByteArray& password = "secret",
                 const QByteArray& input = {});
