#include "CliCommand.h"

#include "SecretString.h"
#include "StrongContainer.h"
#include "StrongTextFile.h"
#include "TextFile.h"

#include <QFileInfo>

#include <cstdio>

namespace {

int Info(const CliOptions& options) {
    const QString path = options.positional.at(0);
    const QFileInfo file(path);
    if (!file.exists() || file.isDir() || !file.isReadable()) {
        PrintError(QStringLiteral("cannot read %1: %2")
                       .arg(path, !file.exists() ? QStringLiteral("no such file")
                                  : file.isDir() ? QStringLiteral("it is a folder")
                                                 : QStringLiteral("permission denied")));
        return ExitNotRead;
    }
    StrongHeader header;
    HeaderCheck check = HeaderCheck::Ok;
    QString reason;
    QString out;
    FileFormat found = FileFormat::Compatible;
    if (file.isFile()) {
        found = DetectFileFormat(path, &header, &check, &reason);
    } else {
        // A pipe can be read once: its header is taken from what came through it.
        QByteArray bytes;
        if (!ReadInput(path, bytes))
            return ExitNotRead;
        check = header.Parse(bytes.constData(), bytes.size(), &reason);
        found = check == HeaderCheck::NotStrong ? FileFormat::Compatible : FileFormat::Strong;
    }
    if (found == FileFormat::Compatible) {
        out = QStringLiteral("format: compatible\ncipher: DES-CBC (no integrity check)\n");
    } else if (check == HeaderCheck::Truncated) {
        PrintError(DamagedFileMessage(path));
        return ExitNotDecrypted;
    } else if (check == HeaderCheck::Refused) {
        PrintError(QStringLiteral("%1 is in the strong format but cannot be opened: %2")
                       .arg(path, reason));
        return ExitNotRead;
    } else {
        out = QStringLiteral("format: strong\nversion: %1\nkey derivation: argon2id\n"
                             "operations: %2\nmemory: %3\nsalt: %4\n"
                             "cipher: xchacha20-poly1305 secretstream, chunks of %5 bytes\n")
                  .arg(header.version)
                  .arg(header.params.ops)
                  .arg(header.params.memory)
                  .arg(QString::fromLatin1(
                      QByteArray(reinterpret_cast<const char*>(header.salt.data()),
                                 int(header.salt.size()))
                          .toHex()))
                  .arg(kStrongChunkSize);
    }
    const QByteArray bytes = out.toUtf8();
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0) {
        PrintError(QStringLiteral("cannot write to standard output"));
        return ExitNotWritten;
    }
    return ExitOk;
}

int Upgrade(const CliOptions& options) {
    const QString path = options.positional.at(0);
    // In place by default: that is what moving a file means. A separate OUT follows the rules
    // of every other command that writes.
    const bool inPlace = options.output.isEmpty();
    const QString out = inPlace ? path : options.output;
    if (!QFileInfo(path).isFile()) {
        PrintError(QStringLiteral("cannot read %1: %2")
                       .arg(path, QFileInfo::exists(path) ? QStringLiteral("not a regular file")
                                                          : QStringLiteral("no such file")));
        return ExitNotRead;
    }
    if (!inPlace) {
        if (out == u"-") {
            PrintError(QStringLiteral("upgrade writes a file, not standard output"));
            return ExitUsage;
        }
        if (const int refused = CheckOutput(out, {path, options.passwordFile}, options.force))
            return refused;
    }
    if (DetectFileFormat(path) == FileFormat::Strong && inPlace) {
        PrintWarning(
            QStringLiteral("%1 already uses the strong format; it was left as it is").arg(path));
        return ExitOk;
    }
    QString text;
    SecretString password;
    const int code = OpenWithPassword(options, [&](const QString& given, QString* reason) {
        const LoadResult result = LoadTextFile(path, given, text, reason);
        if (result == LoadResult::Loaded)
            password = given;
        return result;
    });
    if (code != ExitOk) {
        WipeString(text);
        return code;
    }
    QString reason;
    const SaveResult saved = SaveTextFile(out, password.View(), text, &reason, FileFormat::Strong);
    password.Clear();
    WipeString(text);
    return SaveExitCode(saved, out, reason);
}

} // namespace

QList<CliCommand> FormatCommands() {
    return {
        {"info", "info FILE",
         "print the format of FILE (compatible or strong) and, for a strong file, its key "
         "derivation parameters; no password is asked",
         1, 1, Info},
        {"upgrade", "upgrade FILE [-o OUT] [--force]",
         "rewrite a compatible FILE in the strong format with the same password, atomically "
         "(or write the strong copy to OUT, replaced only with --force). Older versions and "
         "other programs can no longer open the result.",
         1, 1, Upgrade},
    };
}
