#include "PasswordsCommands.h"

#include "AccountsCsv.h"
#include "AccountsJson.h"
#include "AccountsKeePassXml.h"
#include "KeyDerivation.h"
#include "PasswordsFile.h"

#include <cstdio>

namespace {

// Loads the passwords file named first; prints why it failed and returns an exit code.
int LoadAccounts(const CliOptions& options, AccountStore& store) {
    const QString path = options.positional.at(0);
    bool notPasswords = false;
    const int code = OpenWithPassword(options, [&](const QString& password, QString* reason) {
        const PasswordsLoadResult result =
            OpenPasswordsFile(path, password, store, reason, nullptr, nullptr, true);
        switch (result) {
        case PasswordsLoadResult::NotRead:
            return LoadResult::NotRead;
        case PasswordsLoadResult::NotDecrypted:
            return LoadResult::NotDecrypted;
        case PasswordsLoadResult::Damaged:
            return LoadResult::Damaged;
        case PasswordsLoadResult::NotPasswords:
            notPasswords = true;
            break;
        case PasswordsLoadResult::Loaded:
            break;
        }
        return LoadResult::Loaded;
    });
    if (code == ExitOk && notPasswords) {
        // A text document under a .ksw name decrypts, but listing it would show nothing.
        PrintError(NotPasswordsDocumentMessage(path));
        return ExitNotPasswords;
    }
    return code;
}

// A name on one line: control characters (line breaks, tabs) shown as blanks.
QString OneLine(QString name) {
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char(' ');
        }
    }
    return name;
}

int List(const CliOptions& options) {
    AccountStore store;
    const int code = LoadAccounts(options, store);
    if (code != ExitOk) {
        return code;
    }
    QString out;
    store.web.enumerate([&](int, const WebAccount& a) { out += "web\t" + OneLine(a.name) + '\n'; });
    store.mail.enumerate(
        [&](int, const MailAccount& a) { out += "mail\t" + OneLine(a.name) + '\n'; });
    store.other.enumerate(
        [&](int, const OtherAccount& a) { out += "other\t" + OneLine(a.name) + '\n'; });
    const QByteArray bytes = out.toUtf8();
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0) {
        PrintError(QStringLiteral("cannot write to standard output"));
        return ExitNotWritten;
    }
    return ExitOk;
}

const QLatin1String kKeePassXml("keepass-xml");

// The format named by --format, or an empty string after saying why it is unknown.
QString Format(const CliOptions& options) {
    const QString format = options.format.toLower();
    if (format != u"json" && format != u"csv" && format != kKeePassXml) {
        PrintError(QStringLiteral("unknown format \"%1\" (use json, csv or keepass-xml)")
                       .arg(options.format));
        return QString();
    }
    return format;
}

int Export(const CliOptions& options) {
    const QString format = Format(options);
    if (format.isEmpty()) {
        return ExitUsage;
    }
    if (const int refused = CheckOutput(
            options.output, {options.positional.at(0), options.passwordFile}, options.force)) {
        return refused;
    }
    AccountStore store;
    const int code = LoadAccounts(options, store);
    if (code != ExitOk) {
        return code;
    }
    QByteArray bytes;
    if (format == kKeePassXml) {
        QString error;
        if (!AccountsToKeePassXml(store, bytes, error)) {
            PrintError(QStringLiteral("%1: %2").arg(options.positional.at(0), error));
            return ExitNotWritten;
        }
    } else {
        bytes = format == u"csv" ? AccountsToCsv(store) : AccountsToJson(store);
    }
    const int written = WritePlaintext(options.output, bytes);
    WipeBytes(bytes);
    return written;
}

int Import(const CliOptions& options) {
    const QString format = Format(options);
    if (format.isEmpty()) {
        return ExitUsage;
    }
    const QString in = options.positional.at(0);
    const QString out = options.positional.at(1);
    if (const int refused = CheckOutput(out, {in, options.passwordFile}, options.force)) {
        return refused;
    }
    // Each format's limit stops the read itself: an endless input is never held whole.
    const qint64 limit =
        format == kKeePassXml || format == u"csv" ? kMaxKeePassImportSize : kMaxJsonImportSize;
    QByteArray bytes;
    if (!ReadInput(in, bytes, limit)) {
        return ExitNotRead;
    }
    AccountStore store;
    QString error;
    bool parsed = false;
    if (format == kKeePassXml) {
        parsed = AccountsFromKeePassXml(bytes, store, error);
    } else if (format == u"csv") {
        parsed = AccountsFromCsv(bytes, store, error);
    } else {
        parsed = AccountsFromJson(bytes, store, error);
    }
    WipeBytes(bytes);
    if (!parsed) {
        PrintError(QStringLiteral("%1: %2").arg(in == u"-" ? QStringLiteral("standard input") : in,
                                                error));
        return ExitUsage;
    }
    return SaveWithNewPassword(options, out, [&](const QString& password, QString* reason) {
        return SavePasswordsFile(out, password, store, reason,
                                 options.strong ? FileFormat::Strong : FileFormat::Compatible);
    });
}

} // namespace

QList<CliCommand> PasswordsCommands() {
    return {
        {"list", "list FILE.ksw", "print the kind and name of each account, one per line", 1, 1,
         List},
        {"export", "export FILE.ksw [--format json|csv|keepass-xml] [-o OUT] [--force]",
         "print the accounts as JSON, CSV or KeePass 2 XML, or write them to OUT (owner-only)", 1,
         1, Export},
        {"import", "import IN OUT.ksw [--format json|csv|keepass-xml] [--force] [--strong]",
         "write the accounts of IN (- for standard input) into a new passwords file: our JSON "
         "(the default), CSV (ours or a password manager's) or a KeePass 2 XML export; in the "
         "strong format with --strong; an existing OUT is replaced only with --force",
         2, 2, Import},
    };
}
