#include "PasswordsFile.h"

#include "PasswordsMarkup.h"

SaveResult SavePasswordsFile(const QString& path, const QString& password,
                             const AccountStore& store, QString* reason, FileFormat format,
                             FileIdentity* written) {
    QByteArray markup = BuildPasswordsMarkup(store);
    SaveResult result = SaveResult::NotWritten;
    if (markup.contains('\0')) {
        if (reason != nullptr) {
            *reason = QStringLiteral("An account field holds a zero character, which the file "
                                     "cannot keep. Remove it and save again.");
        }
    } else {
        result = SaveTextFileUtf8(path, password, markup, reason, format, written);
    }
    markup.fill('\0'); // the text holds every password
    return result;
}

PasswordsLoadResult OpenPasswordsFile(const QString& path, const QString& password,
                                      AccountStore& store, QString* reason, FileFormat* format,
                                      FileIdentity* read, bool anyInput) {
    QByteArray markup;
    ReadOptions options;
    options.identity = read;
    options.regularOnly = !anyInput;
    const LoadResult loaded = LoadTextFileUtf8(path, password, markup, reason, options, format);
    PasswordsLoadResult result = PasswordsLoadResult::NotRead;
    switch (loaded) {
    case LoadResult::Loaded:
        result = PasswordsLoadResult::Loaded;
        if (!ReadPasswordsMarkup(markup, store)) {
            result = PasswordsLoadResult::NotPasswords;
            if (reason != nullptr) {
                *reason = QStringLiteral("The file does not hold a passwords document.");
            }
        }
        break;
    case LoadResult::NotDecrypted:
        result = PasswordsLoadResult::NotDecrypted;
        break;
    case LoadResult::Damaged:
        result = PasswordsLoadResult::Damaged;
        break;
    case LoadResult::NotRead:
        break;
    }
    markup.fill('\0'); // the decrypted text holds every password
    return result;
}

LoadResult LoadPasswordsFile(const QString& path, const QString& password, AccountStore& store,
                             QString* reason) {
    switch (OpenPasswordsFile(path, password, store, reason)) {
    case PasswordsLoadResult::NotRead:
        return LoadResult::NotRead;
    case PasswordsLoadResult::NotDecrypted:
        return LoadResult::NotDecrypted;
    case PasswordsLoadResult::Damaged:
        return LoadResult::Damaged;
    case PasswordsLoadResult::Loaded:
    case PasswordsLoadResult::NotPasswords:
        break;
    }
    return LoadResult::Loaded;
}

QString NotPasswordsDocumentMessage(const QString& fileName) {
    return QStringLiteral("%1 does not hold a passwords document.").arg(fileName);
}
