#pragma once

#include "AccountStore.h"

#include <QByteArray>

// The markup text of a passwords file: a declaration line, then DOC holding WEB_ACCOUNTS,
// MAIL_ACCOUNTS and OTHER_ACCOUNTS with one ACCOUNT per record, every field always written,
// no indentation, every line ending in CR LF. Text is UTF-8.

// The first line of every passwords markup text.
extern const char kPasswordsDeclaration[];

// Writes the non-empty slots of each list in slot order.
QByteArray BuildPasswordsMarkup(const AccountStore& store);

// Appends the accounts found in the text to the store, in text order. The root element may
// have any name; groups are read in the order Web, Email, Other, each search running forward
// only; elements of other names are skipped. A field whose element is missing (or stands
// before an earlier field) is left empty. Text that is not markup yields no accounts.
void ReadPasswordsMarkup(const QByteArray& markup, AccountStore& store);
