#pragma once

#include "AccountStore.h"

#include <TextFile.h>

#include <QString>

// A .ksw file: the passwords markup stored in the encrypted container.

// Writes the store's accounts. Refuses (NotWritten, with a reason) a value holding a zero
// character, which the container would take for the end of the text on reading.
// format chooses the container; written, when given, receives the saved file's identity.
SaveResult SavePasswordsFile(const QString& path, const QString& password,
                             const AccountStore& store, QString* reason = nullptr,
                             FileFormat format = FileFormat::Compatible,
                             FileIdentity* written = nullptr);

// How opening a passwords file ended.
enum class PasswordsLoadResult {
    Loaded,
    NotRead,      // cannot be read, or empty
    NotDecrypted, // wrong password or damaged
    Damaged,      // a strong file that the password opens but whose content fails its check
    NotPasswords, // decrypts, but the text is not markup (a text document, say)
};

// Appends the file's accounts to the store (normally an empty one). reason, when given, says
// why the file did not open; it never holds secrets. format (when given) receives the
// container the file uses; read, when given, the identity of the file as it was read. Pipes and
// FIFOs are read only when anyInput says so (the command line), never for the editor.
PasswordsLoadResult OpenPasswordsFile(const QString& path, const QString& password,
                                      AccountStore& store, QString* reason = nullptr,
                                      FileFormat* format = nullptr, FileIdentity* read = nullptr,
                                      bool anyInput = false);

// The same, for callers that know only the container's results: decrypted text that is not
// markup loads as no accounts.
LoadResult LoadPasswordsFile(const QString& path, const QString& password, AccountStore& store,
                             QString* reason = nullptr);

// The sentence that tells the person a file decrypts but holds no passwords document.
QString NotPasswordsDocumentMessage(const QString& fileName);
