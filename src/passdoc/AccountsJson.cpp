#include "AccountsJson.h"

#include "StorableText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <utility>

namespace {

template <class T> struct JsonField {
    const char* key;
    QString T::*member;
};

const JsonField<WebAccount> kWebKeys[] = {{"name", &WebAccount::name},
                                          {"address", &WebAccount::address},
                                          {"userId", &WebAccount::userId},
                                          {"password", &WebAccount::password},
                                          {"notes", &WebAccount::notes}};
const JsonField<MailAccount> kMailKeys[] = {{"name", &MailAccount::name},
                                            {"address", &MailAccount::address},
                                            {"webInterface", &MailAccount::webInterface},
                                            {"smtpServer", &MailAccount::smtpServer},
                                            {"popServer", &MailAccount::popServer},
                                            {"userId", &MailAccount::userId},
                                            {"password", &MailAccount::password},
                                            {"notes", &MailAccount::notes}};
const JsonField<OtherAccount> kOtherKeys[] = {{"name", &OtherAccount::name},
                                              {"description", &OtherAccount::description},
                                              {"pin", &OtherAccount::pin},
                                              {"notes", &OtherAccount::notes}};

template <class T, size_t N>
QJsonArray ListToJson(const AccountList<T>& list, const JsonField<T> (&keys)[N]) {
    QJsonArray array;
    list.enumerate([&](int, const T& record) {
        QJsonObject object;
        for (const JsonField<T>& key : keys) {
            object.insert(QLatin1String(key.key), record.*key.member);
        }
        array.append(object);
    });
    return array;
}

template <class T, size_t N>
bool ListFromJson(const QJsonObject& root, const char* listKey, const JsonField<T> (&keys)[N],
                  QList<T>& out, QString& error) {
    const QJsonValue value = root.value(QLatin1String(listKey));
    if (value.isUndefined() || value.isNull()) {
        return true;
    }
    if (!value.isArray()) {
        error = QStringLiteral("%1: must be a list").arg(QLatin1String(listKey));
        return false;
    }
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(QLatin1String(listKey)).arg(i);
        if (!array.at(i).isObject()) {
            error = QStringLiteral("%1: must be an object").arg(where);
            return false;
        }
        const QJsonObject object = array.at(i).toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool known = false;
            for (const JsonField<T>& key : keys) {
                known = known || it.key() == QLatin1String(key.key);
            }
            if (!known) {
                error = QStringLiteral("%1: unknown field \"%2\"").arg(where, it.key());
                return false;
            }
        }
        T record;
        for (const JsonField<T>& key : keys) {
            const QJsonValue field = object.value(QLatin1String(key.key));
            if (field.isUndefined() || field.isNull()) {
                continue;
            }
            const QString at = QStringLiteral("%1.%2").arg(where, QLatin1String(key.key));
            if (!field.isString()) {
                error = QStringLiteral("%1: must be a string").arg(at);
                return false;
            }
            record.*key.member = field.toString();
            const int bad = FirstUnstorable(record.*key.member);
            if (bad >= 0) {
                error = QStringLiteral("%1: %2").arg(at, UnstorableMessage(bad));
                return false;
            }
        }
        out.append(std::move(record));
    }
    return true;
}

// Line and column (both from 1, the column in characters) of a parse error. The parser's
// offset is mostly just past the character at fault, so that character's column is the number
// of characters on its line before the offset.
QString Position(const QByteArray& text, qsizetype offset) {
    offset = qBound<qsizetype>(0, offset, text.size());
    int line = 1;
    int column = 0;
    for (qsizetype i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(text.at(i));
        if (byte == '\n') {
            ++line;
            column = 0;
        } else if ((byte & 0xC0) != 0x80) { // not a continuation byte
            ++column;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(qMax(column, 1));
}

} // namespace

QByteArray AccountsToJson(const AccountStore& store) {
    QJsonObject root;
    root.insert(QStringLiteral("web"), ListToJson(store.web, kWebKeys));
    root.insert(QStringLiteral("mail"), ListToJson(store.mail, kMailKeys));
    root.insert(QStringLiteral("other"), ListToJson(store.other, kOtherKeys));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool AccountsFromJson(const QByteArray& json, AccountStore& store, QString& error) {
    if (json.size() > kMaxJsonImportSize) {
        error = QStringLiteral("the document is larger than %1 MiB")
                    .arg(kMaxJsonImportSize / (1024 * 1024));
        return false;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("%1: %2").arg(Position(json, parseError.offset),
                                             parseError.errorString());
        return false;
    }
    if (!document.isObject()) {
        error = QStringLiteral("the document must be an object with the lists \"web\", \"mail\" "
                               "and \"other\"");
        return false;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != u"web" && it.key() != u"mail" && it.key() != u"other") {
            error = QStringLiteral("unknown list \"%1\" (expected \"web\", \"mail\" or \"other\")")
                        .arg(it.key());
            return false;
        }
    }
    QList<WebAccount> web;
    QList<MailAccount> mail;
    QList<OtherAccount> other;
    if (!ListFromJson(root, "web", kWebKeys, web, error) ||
        !ListFromJson(root, "mail", kMailKeys, mail, error) ||
        !ListFromJson(root, "other", kOtherKeys, other, error)) {
        return false;
    }
    for (WebAccount& record : web) {
        store.web.append(std::move(record));
    }
    for (MailAccount& record : mail) {
        store.mail.append(std::move(record));
    }
    for (OtherAccount& record : other) {
        store.other.append(std::move(record));
    }
    return true;
}
