#include "CliCommand.h"

#include "KeyDerivation.h"
#include "TextFile.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Loads FILE with the password; prints why it failed and returns an exit code.
int LoadFile(const CliOptions& options, QString& text) {
    const QString path = options.positional.at(0);
    return OpenWithPassword(options, [&](const QString& password, QString* reason) {
        return LoadTextFile(path, password, text, reason, AnyInput());
    });
}

int Decrypt(const CliOptions& options) {
    if (const int refused = CheckOutput(
            options.output, {options.positional.at(0), options.passwordFile}, options.force))
        return refused;
    QString text;
    const int code = LoadFile(options, text);
    if (code != ExitOk)
        return code;
    QByteArray bytes = text.toUtf8();
    WipeString(text);
    const int written = WritePlaintext(options.output, bytes);
    WipeBytes(bytes);
    return written;
}

int Verify(const CliOptions& options) {
    QString text;
    const int code = LoadFile(options, text);
    WipeString(text);
    return code;
}

int Encrypt(const CliOptions& options) {
    const QString in = options.positional.at(0);
    const QString out = options.positional.at(1);
    if (const int refused = CheckOutput(out, {in, options.passwordFile}, options.force))
        return refused;
    QByteArray bytes;
    if (!ReadInput(in, bytes))
        return ExitNotRead;
    // Refuse bytes that are not UTF-8 rather than store replacement characters.
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    WipeBytes(bytes);
    if (decoder.hasError()) {
        WipeString(text);
        PrintError(QStringLiteral("%1 is not UTF-8 text")
                       .arg(in == u"-" ? QStringLiteral("standard input") : in));
        return ExitNotRead;
    }
    // A zero would end the text for every reader: refuse rather than store a cut text.
    int line = 0, column = 0;
    if (FindZeroCharacter(text, line, column)) {
        WipeString(text);
        PrintError(QStringLiteral("%1 holds a zero character (U+0000) at line %2, column %3; "
                                  "nothing was written")
                       .arg(in == u"-" ? QStringLiteral("standard input") : in)
                       .arg(line)
                       .arg(column));
        return ExitNotRead;
    }
    const int code =
        SaveWithNewPassword(options, out, [&](const QString& password, QString* reason) {
            return SaveTextFile(out, password, text, reason,
                                options.strong ? FileFormat::Strong : FileFormat::Compatible);
        });
    WipeString(text);
    return code;
}

} // namespace

QList<CliCommand> TextCommands() {
    return {
        {"decrypt", "decrypt FILE [-o OUT] [--force]",
         "print the text of FILE as UTF-8, or write it to OUT (owner-only)", 1, 1, Decrypt},
        {"encrypt", "encrypt IN OUT [--force] [--strong]",
         "encrypt UTF-8 text from IN (- for standard input) into OUT, in the strong format with "
         "--strong; a text holding a zero character is refused (exit 2)",
         2, 2, Encrypt},
        {"verify", "verify FILE",
         "exit 0 when the password opens FILE. For a strong file every chunk is checked: any "
         "change fails with exit 3 and \"damaged\". For a compatible file verify checks the "
         "password and the padding, not the content: that format has no checksum, so a "
         "damaged file can still pass with a garbled block. Keep backups.",
         1, 1, Verify},
    };
}
