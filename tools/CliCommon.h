#pragma once

#include "FileAccess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

enum class LoadResult;
enum class SaveResult;

// Exit codes that scripts rely on.
enum ExitCode {
    ExitOk = 0,
    ExitUsage = 1,
    ExitNotRead = 2,
    ExitNotDecrypted = 3,
    ExitNotWritten = 4,
    ExitPasswordRefused = 5,
    ExitNotPasswords = 6
};

// Options common to every command.
struct CliOptions {
    QString passwordFile;
    QString output;         // -o
    QString format;         // --format
    bool force = false;     // --force
    bool strong = false;    // --strong: write the strong format
    QStringList positional; // the command's own arguments
};

// One line on standard error: "keystow-cli: <text>".
void PrintError(const QString& text);
void PrintWarning(const QString& text);

// Where the password comes from: --password-file (its first line), KEYSTOW_PASSWORD, else the
// terminal with echo off. confirm asks twice at the terminal (for new files). Returns false with
// an exit code when no password can be had.
bool ObtainPassword(const CliOptions& options, bool confirm, QString& password, int& exitCode);

// Checks the password against the code page and weak keys; prints why and returns false when
// it is refused.
bool AcceptPassword(const QString& password);

// Writes plaintext to OUT (created owner-only, replaced atomically) or to standard output, and
// warns on standard error that it is not encrypted. Returns an exit code.
int WritePlaintext(const QString& out, const QByteArray& bytes);

// What the commands read: regular files, and pipes, FIFOs and /proc files to their end.
ReadOptions AnyInput();

// Reads IN whole ("-" is standard input; pipes, FIFOs and /proc files are read to their end),
// stopping with "too large" once more than limit bytes came. Returns false with a message
// printed.
bool ReadInput(const QString& in, QByteArray& bytes, qint64 limit = kMaxDocumentBytes);

// Opens the file named first on the command line: checks that it can be read and is not empty,
// obtains and checks the password, then runs load with it. Prints one line naming the file
// when something fails and returns the exit code.
using LoadWithPassword = std::function<LoadResult(const QString& password, QString* reason)>;
int OpenWithPassword(const CliOptions& options, const LoadWithPassword& load);

// Writes the file OUT: obtains a new password (asking twice at a terminal), checks it, then runs
// save with it. Prints one line naming the file when something fails and returns the exit code.
using SaveWithPassword = std::function<SaveResult(const QString& password, QString* reason)>;
int SaveWithNewPassword(const CliOptions& options, const QString& out,
                        const SaveWithPassword& save);

// After a save: prints why it failed, naming OUT, and returns the exit code.
int SaveExitCode(SaveResult result, const QString& out, const QString& reason);

// Before a command writes OUT: an existing OUT is replaced only with force, and never when it
// is the same file (device and inode, so links too) as one of the inputs ("-" is standard
// input). Returns ExitOk, or prints why and returns ExitNotWritten. An empty OUT or "-" is
// standard output.
int CheckOutput(const QString& out, const QStringList& inputs, bool force);

// Overwrites a string that held a secret.
void WipeString(QString& text);
