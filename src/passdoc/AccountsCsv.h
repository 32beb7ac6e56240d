#pragma once

#include "AccountStore.h"

#include <QByteArray>
#include <QString>

// The accounts as CSV in the layout password managers import: the header
// "Group","Title","Username","Password","URL","Notes", then one row per account in slot order,
// Web, then Email, then Other accounts. Fields without a column of their own go into Notes as
// labelled lines ahead of the notes themselves. Every field is quoted; rows end with CR LF.
QByteArray AccountsToCsv(const AccountStore& store);

// Appends the accounts of a CSV document in UTF-8: ours, or a password manager's export with
// the columns named in its header (Group, Title, Username, Password, URL, Notes, in any order
// and case; Title is required). Fields may be quoted, with doubled quotes and line breaks
// inside; rows end with CR LF or LF. The last part of a Group path ("Root/Email Accounts")
// places the account (see AccountsFromEntries), and the labelled lines of our Notes are read
// back into their fields. A further column's value (TOTP, say) is kept as a labelled line at
// the end of the notes; Icon, Last Modified and Created are left out. Malformed CSV is refused:
// the store is then unchanged and error says what and where ("line 3, column 7: ...").
bool AccountsFromCsv(const QByteArray& csv, AccountStore& store, QString& error);
