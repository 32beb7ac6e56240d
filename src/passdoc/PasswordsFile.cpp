#include "PasswordsFile.h"

#include "PasswordsMarkup.h"

SaveResult SavePasswordsFile(const QString& path, const QString& password,
                             const AccountStore& store, QString* reason) {
    QByteArray markup = BuildPasswordsMarkup(store);
    SaveResult result = SaveResult::NotWritten;
    if (markup.contains('\0')) {
        if (reason != nullptr) {
            *reason = QStringLiteral("An account field holds a zero character, which the file "
                                     "cannot keep. Remove it and save again.");
        }
    } else {
        result = SaveTextFileUtf8(path, password, markup, reason);
    }
    markup.fill('\0'); // the text holds every password
    return result;
}

LoadResult LoadPasswordsFile(const QString& path, const QString& password, AccountStore& store,
                             QString* reason) {
    QByteArray markup;
    const LoadResult result = LoadTextFileUtf8(path, password, markup, reason);
    if (result == LoadResult::Loaded) {
        ReadPasswordsMarkup(markup, store);
    }
    markup.fill('\0'); // the decrypted text holds every password
    return result;
}
