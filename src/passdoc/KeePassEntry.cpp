#include "KeePassEntry.h"

#include "LabelledNotes.h"
#include "StorableText.h"

#include <QStringList>

#include <utility>

const QLatin1String kWebAccountsGroup("Web Accounts");
const QLatin1String kEmailAccountsGroup("Email Accounts");
const QLatin1String kOtherAccountsGroup("Other Accounts");

namespace {

const QLatin1String kMailAddress("Mail Address");
const QLatin1String kWebInterface("Web Interface");
const QLatin1String kSmtpServer("SMTP Server");
const QLatin1String kPopServer("POP Server");
const QLatin1String kDescription("Description");
const QLatin1String kPin("PIN");

QString Label(QLatin1String name) {
    return name + QLatin1Char(':');
}

LabelledValues MailLabels(const MailAccount& a) {
    return {{Label(kMailAddress), a.address},
            {Label(kSmtpServer), a.smtpServer},
            {Label(kPopServer), a.popServer}};
}

LabelledValues OtherLabels(const OtherAccount& a) {
    return {{Label(kDescription), a.description}};
}

// What has no place in the account, as labelled lines after the notes.
class Leftovers {
public:
    void add(const QString& name, const QString& value) {
        if (!value.isEmpty()) {
            m_values.append({name + QLatin1Char(':'), value});
        }
    }
    QString appendTo(const QString& notes) const {
        const QString lines = JoinLabelled(m_values, QString());
        if (lines.isEmpty()) {
            return notes;
        }
        return notes.isEmpty() ? lines : notes + QLatin1String("\r\n") + lines;
    }

private:
    LabelledValues m_values;
};

void AddOtherFields(const KeePassEntry& entry, const QList<QLatin1String>& ours,
                    Leftovers& leftovers) {
    for (const auto& [name, value] : entry.fields) {
        if (!ours.contains(name)) {
            leftovers.add(name, value);
        }
    }
}

bool IsTagged(const KeePassEntry& entry, const QList<QLatin1String>& ours) {
    for (const QLatin1String& name : ours) {
        if (entry.hasField(name)) {
            return true;
        }
    }
    return false;
}

WebAccount ToWeb(const KeePassEntry& entry) {
    WebAccount a(entry.title, entry.url, entry.userName, entry.password, entry.notes);
    Leftovers leftovers;
    AddOtherFields(entry, {}, leftovers);
    a.notes = leftovers.appendTo(a.notes);
    return a;
}

// A field we write twice, as a custom field and in a standard place: the custom field wins and
// a standard value that differs from it is kept among the leftovers.
QString Doubled(const KeePassEntry& entry, QLatin1String key, const QString& standard,
                const QString& standardName, Leftovers& leftovers) {
    if (!entry.hasField(key))
        return standard;
    const QString value = entry.field(key);
    if (standard != value)
        leftovers.add(standardName, standard);
    return value;
}

MailAccount ToMail(const KeePassEntry& entry) {
    const QList<QLatin1String> ours{kMailAddress, kWebInterface, kSmtpServer, kPopServer};
    MailAccount a;
    a.name = entry.title;
    a.userId = entry.userName;
    a.password = entry.password;
    Leftovers leftovers;
    if (IsTagged(entry, ours)) {
        a.address = entry.field(kMailAddress);
        a.smtpServer = entry.field(kSmtpServer);
        a.popServer = entry.field(kPopServer);
        a.webInterface = Doubled(entry, kWebInterface, entry.url, QStringLiteral("URL"), leftovers);
        a.notes = StripLabelled(entry.notes, MailLabels(a));
    } else {
        a.webInterface = entry.url;
        a.notes = TakeLabelled(entry.notes, {{Label(kMailAddress), &a.address},
                                             {Label(kSmtpServer), &a.smtpServer},
                                             {Label(kPopServer), &a.popServer}});
    }
    AddOtherFields(entry, ours, leftovers);
    a.notes = leftovers.appendTo(a.notes);
    return a;
}

OtherAccount ToOther(const KeePassEntry& entry) {
    const QList<QLatin1String> ours{kDescription, kPin};
    OtherAccount a;
    a.name = entry.title;
    Leftovers leftovers;
    leftovers.add(QStringLiteral("UserName"), entry.userName);
    leftovers.add(QStringLiteral("URL"), entry.url);
    if (IsTagged(entry, ours)) {
        a.description = entry.field(kDescription);
        a.pin = Doubled(entry, kPin, entry.password, QStringLiteral("Password"), leftovers);
        a.notes = StripLabelled(entry.notes, OtherLabels(a));
    } else {
        a.pin = entry.password;
        a.notes = TakeLabelled(entry.notes, {{Label(kDescription), &a.description}});
    }
    AddOtherFields(entry, ours, leftovers);
    a.notes = leftovers.appendTo(a.notes);
    return a;
}

// Names the first field of the account that the file cannot keep.
bool CheckFields(const QList<QPair<const char*, const QString*>>& fields, QString& error) {
    for (const auto& [name, value] : fields) {
        const int bad = FirstUnstorable(*value);
        if (bad >= 0) {
            error = QStringLiteral("%1 %2").arg(QLatin1String(name), UnstorableMessage(bad));
            return false;
        }
    }
    return true;
}

} // namespace

bool KeePassEntry::hasField(const QString& name) const {
    for (const auto& field : fields) {
        if (field.first == name) {
            return true;
        }
    }
    return false;
}

QString KeePassEntry::field(const QString& name) const {
    for (const auto& field : fields) {
        if (field.first == name) {
            return field.second;
        }
    }
    return QString();
}

QList<KeePassEntry> EntriesFromAccounts(const AccountStore& store) {
    QList<KeePassEntry> entries;
    store.web.enumerate([&](int, const WebAccount& a) {
        entries.append({kWebAccountsGroup, a.name, a.userId, a.password, a.address, a.notes, {}});
    });
    store.mail.enumerate([&](int, const MailAccount& a) {
        entries.append({kEmailAccountsGroup,
                        a.name,
                        a.userId,
                        a.password,
                        a.webInterface,
                        JoinLabelled(MailLabels(a), a.notes),
                        {{kMailAddress, a.address},
                         {kWebInterface, a.webInterface},
                         {kSmtpServer, a.smtpServer},
                         {kPopServer, a.popServer}}});
    });
    store.other.enumerate([&](int, const OtherAccount& a) {
        entries.append({kOtherAccountsGroup,
                        a.name,
                        QString(),
                        a.pin,
                        QString(),
                        JoinLabelled(OtherLabels(a), a.notes),
                        {{kDescription, a.description}, {kPin, a.pin}}});
    });
    return entries;
}

bool AccountsFromEntries(const QList<KeePassEntry>& entries, AccountStore& store, QString& error) {
    QList<WebAccount> web;
    QList<MailAccount> mail;
    QList<OtherAccount> other;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const KeePassEntry& entry = entries.at(i);
        bool ok = true;
        if (entry.group == kEmailAccountsGroup) {
            mail.append(ToMail(entry));
            const MailAccount& a = mail.last();
            ok = CheckFields({{"name", &a.name},
                              {"mail address", &a.address},
                              {"web interface", &a.webInterface},
                              {"SMTP server", &a.smtpServer},
                              {"POP server", &a.popServer},
                              {"user id", &a.userId},
                              {"password", &a.password},
                              {"notes", &a.notes}},
                             error);
        } else if (entry.group == kOtherAccountsGroup) {
            other.append(ToOther(entry));
            const OtherAccount& a = other.last();
            ok = CheckFields({{"name", &a.name},
                              {"description", &a.description},
                              {"PIN", &a.pin},
                              {"notes", &a.notes}},
                             error);
        } else {
            web.append(ToWeb(entry));
            const WebAccount& a = web.last();
            ok = CheckFields({{"name", &a.name},
                              {"address", &a.address},
                              {"user id", &a.userId},
                              {"password", &a.password},
                              {"notes", &a.notes}},
                             error);
        }
        if (!ok) {
            // Not the title: it may hold the very control character at fault.
            error = QStringLiteral("entry %1: the %2").arg(i + 1).arg(error);
            return false;
        }
    }
    for (WebAccount& a : web) {
        store.web.append(std::move(a));
    }
    for (MailAccount& a : mail) {
        store.mail.append(std::move(a));
    }
    for (OtherAccount& a : other) {
        store.other.append(std::move(a));
    }
    return true;
}
