#pragma once

#include "AccountStore.h"

#include <TextFile.h>

#include <QString>

// A .ksw file: the passwords markup stored in the encrypted container.

// Writes the store's accounts. Refuses (NotWritten, with a reason) a value holding a zero
// character, which the container would take for the end of the text on reading.
SaveResult SavePasswordsFile(const QString& path, const QString& password,
                             const AccountStore& store, QString* reason = nullptr);

// Appends the file's accounts to the store (normally an empty one). Decrypted text that is not
// passwords markup loads as no accounts.
LoadResult LoadPasswordsFile(const QString& path, const QString& password, AccountStore& store,
                             QString* reason = nullptr);
