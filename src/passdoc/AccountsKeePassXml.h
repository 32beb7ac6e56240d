#pragma once

#include "AccountStore.h"

#include <QByteArray>
#include <QString>

// The accounts as a KeePass 2 XML document, as password managers import it: a root group
// holding the groups "Web Accounts", "Email Accounts" and "Other Accounts", an entry per
// account (see EntriesFromAccounts for its fields). Every CR is written as a character
// reference, since XML readers turn a bare CR into a line feed, and a value holding one is
// marked ProtectInMemory: managers keep such values exactly, but fold the line breaks of the
// others. Passwords and PINs are always marked. False with error when a field holds a
// character XML cannot carry.
bool AccountsToKeePassXml(const AccountStore& store, QByteArray& xml, QString& error);

// Appends the accounts of a KeePass 2 XML document (a plain export, values in the clear). Every
// entry of every group is read, nested groups too; an entry's history and the recycle bin's
// entries are not. Entries are placed by the name of the group that holds them (see
// AccountsFromEntries). A bare CR in a value is kept, as the managers' own exports mean it. A
// document type declaration is refused (nothing of it is ever expanded), as are documents over
// kMaxKeePassImportSize, groups nested deeper than 256, encrypted values and malformed XML;
// the store is then unchanged and error says what and where ("line 3, column 7: ...").
bool AccountsFromKeePassXml(const QByteArray& xml, AccountStore& store, QString& error);

// The largest CSV or XML document the imports read.
constexpr qsizetype kMaxKeePassImportSize = qsizetype(64) * 1024 * 1024;
