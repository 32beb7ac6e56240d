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

// Appends the accounts found in the text to the store, in text order within each kind. The
// root element is DOC, or has another name and holds at least one of the three groups; the
// groups of each kind are found wherever they stand in the root, and every group of a kind is
// read; each field is found wherever it stands in its account (the first of its name counts);
// elements of other names are skipped. A field whose element is missing is left empty. False,
// with no accounts, when the text is not markup (no root element parses) or is other markup.
bool ReadPasswordsMarkup(const QByteArray& markup, AccountStore& store);
