#pragma once

#include "AccountStore.h"

#include <QByteArray>
#include <QString>

// The accounts as JSON, for export and import:
// {"web":[{"name","address","userId","password","notes"}],
//  "mail":[{"name","address","webInterface","smtpServer","popServer","userId","password","notes"}],
//  "other":[{"name","description","pin","notes"}]}
// Every value is a string; lists are in slot order.
QByteArray AccountsToJson(const AccountStore& store);

// The largest JSON document the import reads.
constexpr qsizetype kMaxJsonImportSize = qsizetype(256) * 1024 * 1024;

// Appends the accounts of a JSON document to the store. A missing list or field is empty.
// Anything else that does not fit the form above (malformed JSON, an unknown key, a value that
// is not a string, a character a file cannot keep, a document over kMaxJsonImportSize) is
// refused: the store is left
// unchanged and error says what and where ("line 3, column 7: ...", or "web[2].password: ...").
bool AccountsFromJson(const QByteArray& json, AccountStore& store, QString& error);
