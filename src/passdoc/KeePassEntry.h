#pragma once

#include "AccountStore.h"

#include <QList>
#include <QPair>
#include <QString>

// One account as password managers keep it: the standard fields, custom string fields, and the
// name of the group holding it. The common ground of the CSV and KeePass XML exports and
// imports.
struct KeePassEntry {
    QString group; // the name of the innermost group, or the last part of a group path
    QString title;
    QString userName;
    QString password;
    QString url;
    QString notes;
    QList<QPair<QString, QString>> fields; // custom string fields, name and value, in order

    // The value of a custom field, and whether the entry has one of that name.
    bool hasField(const QString& name) const;
    QString field(const QString& name) const;
};

// Group names of the three account lists.
extern const QLatin1String kWebAccountsGroup;
extern const QLatin1String kEmailAccountsGroup;
extern const QLatin1String kOtherAccountsGroup;

// The accounts as entries in slot order, web, then email, then other accounts. The standard
// fields hold what the CSV export holds: an email account's web interface is its URL, an other
// account's PIN its password, and the fields without a standard place are labelled lines ahead
// of the notes (so a manager's own CSV export of the entries reads back whole). Email and other
// accounts also carry those fields as custom fields under their names ("Mail Address",
// "Web Interface", "SMTP Server", "POP Server"; "Description", "PIN").
QList<KeePassEntry> EntriesFromAccounts(const AccountStore& store);

// Appends an account per entry: entries of a group named "Email Accounts" or "Other Accounts"
// go to those lists, every other entry is a web account. Custom fields of our names win over
// labelled lines, which are read back from the notes only when the entry has none of them. A
// field without a place in the account (another custom field, or a user name on an other
// account) is kept as a labelled line at the end of the notes, so nothing is dropped. A
// character the passwords file cannot keep refuses the whole lot: the store is left unchanged
// and error names the entry and field.
bool AccountsFromEntries(const QList<KeePassEntry>& entries, AccountStore& store, QString& error);
