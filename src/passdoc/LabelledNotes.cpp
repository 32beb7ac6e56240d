#include "LabelledNotes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

const QLatin1String kLineBreak("\r\n");
const QLatin1String kNotesMarker("Notes:\r\n");

QString Encoded(const QString& value) {
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')) &&
        !value.startsWith(QLatin1Char('"'))) {
        return value;
    }
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2)); // without the brackets
}

QString Decoded(const QString& value) {
    if (!value.startsWith(QLatin1Char('"'))) {
        return value;
    }
    const QJsonDocument document = QJsonDocument::fromJson("[" + value.toUtf8() + "]");
    if (!document.isArray() || document.array().size() != 1 || !document.array().at(0).isString()) {
        return value; // not one of ours: as it stands
    }
    return document.array().at(0).toString();
}

// Whether a reader would take the start of the notes for a labelled line or the marker.
bool NeedsMarker(const LabelledValues& values, const QString& notes) {
    if (notes.startsWith(kNotesMarker)) {
        return true;
    }
    for (const auto& labelled : values) {
        if (notes.startsWith(labelled.first + QLatin1Char(' '))) {
            return true;
        }
    }
    return false;
}

QString WithoutMarker(const QString& rest) {
    return rest.startsWith(kNotesMarker) ? rest.mid(kNotesMarker.size()) : rest;
}

} // namespace

QString JoinLabelled(const LabelledValues& values, const QString& notes) {
    QStringList lines;
    for (const auto& [label, value] : values) {
        if (!value.isEmpty()) {
            lines << label + QLatin1Char(' ') + Encoded(value);
        }
    }
    if (!notes.isEmpty()) {
        lines << (NeedsMarker(values, notes) ? kNotesMarker + notes : notes);
    }
    return lines.join(kLineBreak);
}

QString TakeLabelled(const QString& text, const QList<QPair<QString, QString*>>& labels) {
    qsizetype pos = 0;
    for (const auto& [label, value] : labels) {
        const QString prefix = label + QLatin1Char(' ');
        if (pos >= text.size() || !QStringView(text).mid(pos).startsWith(prefix)) {
            continue;
        }
        const qsizetype start = pos + prefix.size();
        const qsizetype end = text.indexOf(kLineBreak, start);
        *value = Decoded(text.mid(start, end < 0 ? -1 : end - start));
        pos = end < 0 ? text.size() : end + kLineBreak.size();
    }
    return WithoutMarker(text.mid(pos));
}

QString StripLabelled(const QString& text, const LabelledValues& values) {
    const QString prefix = JoinLabelled(values, QString());
    QString rest = text;
    if (!prefix.isEmpty()) {
        if (text == prefix) {
            return QString();
        }
        if (!text.startsWith(prefix + kLineBreak)) {
            return text;
        }
        rest = text.mid(prefix.size() + kLineBreak.size());
    }
    rest = WithoutMarker(rest);
    return JoinLabelled(values, rest) == text ? rest : text;
}
