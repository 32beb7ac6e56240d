#include "CliCommon.h"

#include "FileAccess.h"
#include "KeyDerivation.h"
#include "PasswordEncoding.h"
#include "QuietTerminal.h"
#include "SecretString.h"
#include "StrongTextFile.h"
#include "TextFile.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/crypto.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

void PrintError(const QString& text) {
    std::fprintf(stderr, "keystow-cli: %s\n", text.toLocal8Bit().constData());
}

void PrintWarning(const QString& text) {
    std::fprintf(stderr, "keystow-cli: warning: %s\n", text.toLocal8Bit().constData());
}

void WipeString(QString& text) {
    // data() on a shared string would wipe a fresh copy and leave the original as it was.
    SecretString::WipeQString(text);
}

namespace {

// Reads one line from the terminal with echo off. False when there is no terminal.
bool PromptTerminal(const char* prompt, QString& password) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return false;
    char buffer[1024];
    bool got = false;
    {
        const QuietTerminal quiet(fileno(tty));
        std::fputs(prompt, tty);
        std::fflush(tty);
        got = std::fgets(buffer, sizeof buffer, tty) != nullptr;
    }
    std::fclose(tty);
    if (!got) {
        OPENSSL_cleanse(buffer, sizeof buffer);
        return false;
    }
    QByteArray line(buffer);
    OPENSSL_cleanse(buffer, sizeof buffer);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    password = QString::fromUtf8(line);
    WipeBytes(line);
    return true;
}

} // namespace

bool ObtainPassword(const CliOptions& options, bool confirm, QString& password, int& exitCode) {
    if (!options.passwordFile.isEmpty()) {
        QByteArray bytes;
        QString reason;
        // <(command) and pipes are read to their end; a password file is small.
        ReadOptions passwordInput;
        passwordInput.regularOnly = false;
        passwordInput.limit = 64 * 1024;
        if (!ReadWholeFile(options.passwordFile, bytes, &reason, passwordInput)) {
            PrintError(QStringLiteral("cannot read the password file %1: %2")
                           .arg(options.passwordFile, reason));
            exitCode = ExitUsage;
            return false;
        }
        const qsizetype end = bytes.indexOf('\n');
        QByteArray line = end >= 0 ? bytes.left(end) : bytes;
        if (line.endsWith('\r'))
            line.chop(1);
        password = QString::fromUtf8(line);
        WipeBytes(line);
        WipeBytes(bytes);
        return true;
    }
    if (char* env = std::getenv("KEYSTOW_PASSWORD")) {
        password = QString::fromUtf8(env);
        // Gone from this process's environment, from what it starts and from its /proc view:
        // the entry ("KEYSTOW_PASSWORD=" and the value) is wiped where it lies.
        char* entry = env - std::strlen("KEYSTOW_PASSWORD=");
        const size_t length = std::strlen(entry);
        unsetenv("KEYSTOW_PASSWORD");
        OPENSSL_cleanse(entry, length);
        return true;
    }
    if (!PromptTerminal("Password: ", password)) {
        PrintError(QStringLiteral("no password: use --password-file FILE, KEYSTOW_PASSWORD, or run "
                                  "it at a terminal"));
        exitCode = ExitUsage;
        return false;
    }
    if (confirm) {
        QString again;
        if (!PromptTerminal("Confirm password: ", again) || again != password) {
            WipeString(again);
            WipeString(password);
            PrintError(QStringLiteral("the passwords do not match"));
            exitCode = ExitPasswordRefused;
            return false;
        }
        WipeString(again);
    }
    return true;
}

bool AcceptPassword(const QString& password) {
    const PasswordCheck check = CheckPassword(password);
    if (check == PasswordCheck::Ok)
        return true;
    PrintError(QStringLiteral("password refused: %1").arg(PasswordCheckMessage(check)));
    return false;
}

int WritePlaintext(const QString& out, const QByteArray& bytes) {
    if (out.isEmpty() || out == u"-") {
        QFile stdoutFile;
        if (!stdoutFile.open(stdout, QIODevice::WriteOnly) ||
            stdoutFile.write(bytes) != bytes.size() || !stdoutFile.flush()) {
            PrintError(QStringLiteral("cannot write to standard output"));
            return ExitNotWritten;
        }
        PrintWarning(QStringLiteral("the output is not encrypted"));
        return ExitOk;
    }
    // Plain text is the owner's alone, whatever an older file there allowed; a FIFO or
    // device is written into as it is.
    WriteOptions ownerOnly;
    ownerOnly.keepAccess = false;
    QString reason;
    if (!WriteWholeFile(out, bytes, &reason, ownerOnly)) {
        PrintError(QStringLiteral("cannot write %1: %2").arg(out, reason));
        return ExitNotWritten;
    }
    PrintWarning(QStringLiteral("%1 is not encrypted").arg(out));
    return ExitOk;
}

ReadOptions AnyInput() {
    ReadOptions options;
    options.regularOnly = false;
    return options;
}

bool ReadInput(const QString& in, QByteArray& bytes, qint64 limit) {
    QString reason;
    ReadOptions options = AnyInput();
    options.limit = limit;
    if (in == u"-") {
        if (!ReadWholeDescriptor(STDIN_FILENO, QStringLiteral("standard input"), bytes, &reason,
                                 options)) {
            PrintError(QStringLiteral("cannot read standard input: %1").arg(reason));
            return false;
        }
        return true;
    }
    if (!ReadWholeFile(in, bytes, &reason, options)) {
        PrintError(QStringLiteral("cannot read %1: %2").arg(in, reason));
        return false;
    }
    return true;
}

namespace {

// Obtains the password into a buffer of its own and wipes the string it was read into.
bool TakePassword(const CliOptions& options, bool confirm, SecretString& password, int& exitCode) {
    QString typed;
    const bool got = ObtainPassword(options, confirm, typed, exitCode);
    password = SecretString(std::move(typed));
    return got;
}

} // namespace

int OpenWithPassword(const CliOptions& options, const LoadWithPassword& load) {
    const QString path = options.positional.at(0);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || !info.isReadable()) {
        PrintError(QStringLiteral("cannot read %1: %2")
                       .arg(path, !info.exists() ? QStringLiteral("no such file")
                                  : info.isDir() ? QStringLiteral("it is a folder")
                                                 : QStringLiteral("permission denied")));
        return ExitNotRead;
    }
    // Only a regular file's size can be trusted; pipes and FIFOs are read to their end.
    if (info.isFile() && info.size() == 0) {
        PrintError(QStringLiteral("%1 is empty").arg(path));
        return ExitNotRead;
    }
    int exitCode = ExitOk;
    SecretString password;
    if (!TakePassword(options, false, password, exitCode))
        return exitCode;
    if (!AcceptPassword(password.View()))
        return ExitPasswordRefused;
    QString reason;
    const LoadResult result = load(password.View(), &reason);
    password.Clear();
    switch (result) {
    case LoadResult::Loaded:
        return ExitOk;
    case LoadResult::NotRead:
        PrintError(QStringLiteral("cannot read %1: %2").arg(path, reason));
        return ExitNotRead;
    case LoadResult::Damaged:
        PrintError(DamagedFileMessage(path));
        return ExitNotDecrypted;
    case LoadResult::NotDecrypted:
        break;
    }
    PrintError(QStringLiteral("%1 does not decrypt: wrong password or damaged file").arg(path));
    return ExitNotDecrypted;
}

namespace {

// The file behind a name on the command line ("-" is standard input); false when there is none.
bool StatInput(const QString& name, struct stat& info) {
    if (name == u"-")
        return ::fstat(STDIN_FILENO, &info) == 0;
    return ::stat(QFile::encodeName(name).constData(), &info) == 0;
}

} // namespace

int CheckOutput(const QString& out, const QStringList& inputs, bool force) {
    struct stat target {};
    if (out.isEmpty() || out == u"-" || ::stat(QFile::encodeName(out).constData(), &target) != 0)
        return ExitOk; // standard output, or a new file
    for (const QString& in : inputs) {
        struct stat source {};
        if (!in.isEmpty() && StatInput(in, source) && source.st_dev == target.st_dev &&
            source.st_ino == target.st_ino) {
            // Writing it would destroy what is being read, --force or not.
            PrintError(QStringLiteral("%1 is the same file as %2; it is not replaced")
                           .arg(out, in == u"-" ? QStringLiteral("standard input") : in));
            return ExitNotWritten;
        }
    }
    // A FIFO or device is written into, not replaced.
    if (!force && (S_ISREG(target.st_mode) || S_ISDIR(target.st_mode))) {
        PrintError(QStringLiteral("%1 exists; use --force to replace it").arg(out));
        return ExitNotWritten;
    }
    return ExitOk;
}

int SaveWithNewPassword(const CliOptions& options, const QString& out,
                        const SaveWithPassword& save) {
    int exitCode = ExitOk;
    SecretString password;
    if (!TakePassword(options, true, password, exitCode))
        return exitCode;
    if (!AcceptPassword(password.View()))
        return ExitPasswordRefused;
    QString reason;
    const SaveResult result = save(password.View(), &reason);
    password.Clear();
    return SaveExitCode(result, out, reason);
}

int SaveExitCode(SaveResult result, const QString& out, const QString& reason) {
    switch (result) {
    case SaveResult::Saved:
        if (!reason.isEmpty())
            PrintWarning(QStringLiteral("%1: %2").arg(out, reason));
        return ExitOk;
    case SaveResult::PasswordRefused:
        PrintError(QStringLiteral("password refused: %1").arg(reason));
        return ExitPasswordRefused;
    case SaveResult::NotWritten:
        break;
    }
    PrintError(QStringLiteral("cannot write %1: %2").arg(out, reason));
    return ExitNotWritten;
}
