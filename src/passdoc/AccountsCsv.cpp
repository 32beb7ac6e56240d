#include "AccountsCsv.h"

#include <QStringList>

namespace {

QString Quoted(QString field) {
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

// Labelled lines for the fields that have no column, then the notes.
QString Notes(const QList<QPair<QString, QString>>& labelled, const QString& notes) {
    QStringList lines;
    for (const auto& [label, value] : labelled) {
        if (!value.isEmpty()) {
            lines << label + QLatin1Char(' ') + value;
        }
    }
    if (!notes.isEmpty()) {
        lines << notes;
    }
    return lines.join(QLatin1String("\r\n"));
}

void Row(QString& out, const QString& group, const QString& title, const QString& user,
         const QString& password, const QString& url, const QString& notes) {
    out += QStringList{Quoted(group),    Quoted(title), Quoted(user),
                       Quoted(password), Quoted(url),   Quoted(notes)}
               .join(QLatin1Char(','));
    out += QLatin1String("\r\n");
}

} // namespace

QByteArray AccountsToCsv(const AccountStore& store) {
    QString out =
        QStringLiteral("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n");
    store.web.enumerate([&](int, const WebAccount& a) {
        Row(out, QStringLiteral("Web Accounts"), a.name, a.userId, a.password, a.address, a.notes);
    });
    store.mail.enumerate([&](int, const MailAccount& a) {
        Row(out, QStringLiteral("Email Accounts"), a.name, a.userId, a.password, a.webInterface,
            Notes({{QStringLiteral("Mail Address:"), a.address},
                   {QStringLiteral("SMTP Server:"), a.smtpServer},
                   {QStringLiteral("POP Server:"), a.popServer}},
                  a.notes));
    });
    store.other.enumerate([&](int, const OtherAccount& a) {
        Row(out, QStringLiteral("Other Accounts"), a.name, QString(), a.pin, QString(),
            Notes({{QStringLiteral("Description:"), a.description}}, a.notes));
    });
    QByteArray bytes = out.toUtf8();
    out.fill(QChar(0)); // it held every password
    return bytes;
}
