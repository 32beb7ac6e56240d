// keystow-cli: reads and writes Keystow Editor's encrypted files from scripts.
#include "CliCommand.h"
#include "CoreDumps.h"
#include "FileReplacement.h"
#include "PasswordsCommands.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <new>

namespace {

QList<CliCommand> AllCommands() {
    QList<CliCommand> commands = TextCommands();
    commands += FormatCommands();
    commands += PasswordsCommands();
    return commands;
}

QString CommandList() {
    QString text = QStringLiteral("\nCommands:\n");
    for (const CliCommand& command : AllCommands())
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(QString::fromLatin1(command.usage), QString::fromLatin1(command.summary));
    text += QStringLiteral(
        "\nThe password comes from --password-file FILE (its first line), else the environment\n"
        "variable KEYSTOW_PASSWORD, else a prompt on the terminal. It is never taken from the\n"
        "command line.\n\nA command that writes a file (encrypt, decrypt -o, export -o, import,\n"
        "upgrade -o) replaces an existing one only with --force, and never writes over its own\n"
        "input. A FIFO or device named as the output is written into, without --force. When\n"
        "writing fails (a full disk, say) the old file stays as it was and the exit code is 4.\n"
        "\nTwo formats: compatible (DES; every version and other programs read it, but its\n"
        "key is weak and damage goes unnoticed) and strong (Argon2id and XChaCha20-Poly1305;\n"
        "any change is detected, but only this program from this version on reads it).\n"
        "encrypt and import write the compatible format unless given --strong; every\n"
        "command reads both. upgrade moves a file to the strong format with its password;\n"
        "decrypt, then encrypt without --strong, moves it back.\n"
        "\nexport --format keepass-xml writes what keepassxc-cli import reads; import reads\n"
        "keepassxc-cli export -f xml (--format keepass-xml) and -f csv (--format csv). Exports\n"
        "are not encrypted. Malformed input to import is a usage error naming its line and\n"
        "column.\n"
        "\nExit codes: 0 success, 1 usage error, 2 the file cannot be read or is "
        "empty,\n3 it does not decrypt or is damaged, 4 the output cannot be written, 5 the "
        "password is "
        "refused,\n6 the file decrypts but does not hold a passwords document.\n");
    return text;
}

} // namespace

int main(int argc, char** argv) {
    // Before any password or text is read: a crash must not leave them in a core file.
    DisableCoreDumps();
    // Outputs named on the command line may be FIFOs or devices: they are written into.
    SetWriteIntoSpecialFiles(true);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("keystow-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KEYSTOW_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads and writes Keystow Editor's encrypted files.") + CommandList());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("Write the output to FILE."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption passwordFileOption(
        QStringLiteral("password-file"),
        QStringLiteral("Read the password from the first line of FILE."), QStringLiteral("FILE"));
    const QCommandLineOption formatOption(
        QStringLiteral("format"),
        QStringLiteral("Format of export's output or import's input: json (the default), csv "
                       "or keepass-xml."),
        QStringLiteral("FORMAT"), QStringLiteral("json"));
    const QCommandLineOption forceOption(QStringLiteral("force"),
                                         QStringLiteral("Replace an existing output file."));
    const QCommandLineOption strongOption(
        QStringLiteral("strong"),
        QStringLiteral("encrypt and import: write the strong format (Argon2id, "
                       "XChaCha20-Poly1305), which older versions cannot open."));
    parser.addOptions({outputOption, passwordFileOption, formatOption, forceOption, strongOption});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("The command to run."),
                                 QStringLiteral("COMMAND [ARGS...]"));

    if (!parser.parse(QCoreApplication::arguments())) {
        PrintError(parser.errorText());
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return ExitOk;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("keystow-cli %s\n", KEYSTOW_VERSION);
        return ExitOk;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        PrintError(QStringLiteral("no command given (see keystow-cli --help)"));
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& command : AllCommands()) {
        if (name != QLatin1String(command.name))
            continue;
        if (args.size() < command.minArgs || args.size() > command.maxArgs) {
            PrintError(QStringLiteral("usage: keystow-cli %1").arg(QLatin1String(command.usage)));
            return ExitUsage;
        }
        CliOptions options;
        options.passwordFile = parser.value(passwordFileOption);
        options.output = parser.value(outputOption);
        options.format = parser.value(formatOption);
        options.force = parser.isSet(forceOption);
        options.strong = parser.isSet(strongOption);
        options.positional = args;
        try {
            return command.run(options);
        } catch (const std::bad_alloc&) {
            // Nothing was written: every output goes through a temporary file.
            PrintError(QStringLiteral("not enough memory to open %1")
                           .arg(args.isEmpty() ? QStringLiteral("the input") : args.first()));
            return ExitNotRead;
        }
    }
    PrintError(QStringLiteral("unknown command \"%1\" (see keystow-cli --help)").arg(name));
    return ExitUsage;
}
