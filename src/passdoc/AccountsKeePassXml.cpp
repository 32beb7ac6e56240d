#include "AccountsKeePassXml.h"

#include "KeePassEntry.h"
#include "StorableText.h"

#include <QStringDecoder>
#include <QStringList>
#include <QUuid>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

namespace {

// Text for an element's content: the XML specials and every CR as references (a bare CR would
// come back as LF).
QString Escaped(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\r'), QLatin1String("&#13;"));
}

QString NewUuid() {
    return QString::fromLatin1(QUuid::createUuid().toRfc4122().toBase64());
}

class XmlOut {
public:
    void line(int depth, const QString& text) {
        m_text += QString(depth, QLatin1Char('\t')) + text + QLatin1Char('\n');
    }
    void element(int depth, QLatin1String name, const QString& value) {
        line(depth, QStringLiteral("<%1>%2</%1>").arg(name, Escaped(value)));
    }
    void string(int depth, const QString& key, const QString& value, bool protect) {
        line(depth, QStringLiteral("<String>"));
        element(depth + 1, QLatin1String("Key"), key);
        line(depth + 1,
             QStringLiteral("<Value%1>%2</Value>")
                 .arg(protect ? QLatin1String(" ProtectInMemory=\"True\"") : QLatin1String(),
                      Escaped(value)));
        line(depth, QStringLiteral("</String>"));
    }
    QString& text() { return m_text; }

private:
    QString m_text;
};

void WriteEntry(XmlOut& out, const KeePassEntry& entry) {
    const int d = 4;
    out.line(d - 1, QStringLiteral("<Entry>"));
    out.element(d, QLatin1String("UUID"), NewUuid());
    // The password and PIN stay hidden; any value with a CR is marked, or its line breaks
    // would be folded on import.
    const auto protect = [](const QString& key, const QString& value) {
        return key == u"Password" || key == u"PIN" || value.contains(QLatin1Char('\r'));
    };
    const QList<QPair<QString, QString>> standard{{QStringLiteral("Title"), entry.title},
                                                  {QStringLiteral("UserName"), entry.userName},
                                                  {QStringLiteral("Password"), entry.password},
                                                  {QStringLiteral("URL"), entry.url},
                                                  {QStringLiteral("Notes"), entry.notes}};
    for (const auto& [key, value] : standard + entry.fields) {
        out.string(d, key, value, protect(key, value));
    }
    out.line(d - 1, QStringLiteral("</Entry>"));
}

bool CheckEntry(const KeePassEntry& entry, int number, QString& error) {
    const QList<QPair<QString, QString>> standard{{QStringLiteral("Title"), entry.title},
                                                  {QStringLiteral("UserName"), entry.userName},
                                                  {QStringLiteral("Password"), entry.password},
                                                  {QStringLiteral("URL"), entry.url},
                                                  {QStringLiteral("Notes"), entry.notes}};
    for (const auto& [key, value] : standard + entry.fields) {
        const int bad = FirstUnstorable(value);
        if (bad >= 0) {
            error =
                QStringLiteral("%1, account %2: the field %3 holds the character U+%4, "
                               "which XML cannot carry")
                    .arg(entry.group)
                    .arg(number)
                    .arg(key,
                         QString::number(bad, 16).toUpper().rightJustified(4, QLatin1Char('0')));
            return false;
        }
    }
    return true;
}

// At most this many attributes per element: Qt's reader takes time growing with the square
// of their number, so more are refused before it sees them.
constexpr int kMaxAttributes = 64;

bool StartsAt(const QByteArray& xml, qsizetype i, const char* what) {
    const qsizetype length = qsizetype(qstrlen(what));
    return i + length <= xml.size() && std::memcmp(xml.constData() + i, what, size_t(length)) == 0;
}

// "line L, column C" of a byte position, counting characters as the reader does.
QString BytePosition(const QByteArray& xml, qsizetype at) {
    const char* begin = xml.constData();
    const qsizetype line = std::count(begin, begin + at, '\n') + 1;
    qsizetype column = 1;
    for (qsizetype i = at > 0 ? xml.lastIndexOf('\n', at - 1) + 1 : 0; i < at; ++i) {
        if ((uchar(begin[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

// The reader learns of bad UTF-8 only a block later; the place is found here instead.
bool CheckUtf8(const QByteArray& xml, QString& error) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInvalidToNull |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(xml);
    const bool valid = !decoder.hasError();
    if (!valid) {
        const qsizetype at = text.indexOf(QChar(0));
        const qsizetype lineStart = at > 0 ? text.lastIndexOf(QLatin1Char('\n'), at - 1) + 1 : 0;
        error = QStringLiteral("line %1, column %2: the document is not UTF-8 text")
                    .arg(std::count(text.cbegin(), text.cbegin() + at, QLatin1Char('\n')) + 1)
                    .arg(at - lineStart + 1);
    }
    text.fill(QChar(0)); // it held every password
    return valid;
}

// Prepares an export for Qt's reader. KeePass exports hold bare CRs inside values and mean
// them: those in character data become references before the reader folds them into line
// feeds, and a CDATA section is closed around each of its CRs for the same. Comments and
// processing instructions are copied as they are; an element with too many attributes is
// refused. False with where and why.
bool PrepareForReader(const QByteArray& xml, QByteArray& out, QString& error) {
    out.clear();
    out.reserve(xml.size() + xml.count('\r') * 16);
    qsizetype i = 0;
    const qsizetype n = xml.size();
    const auto copyUntil = [&](const char* end) {
        const qsizetype at = xml.indexOf(end, i);
        const qsizetype stop = at < 0 ? n : at + qsizetype(qstrlen(end));
        out.append(xml.constData() + i, stop - i);
        i = stop;
    };
    while (i < n) {
        const char c = xml.at(i);
        if (c == '\r') {
            out.append("&#13;");
            ++i;
        } else if (c != '<') {
            qsizetype end = i;
            while (end < n && xml.at(end) != '<' && xml.at(end) != '\r') {
                ++end;
            }
            out.append(xml.constData() + i, end - i);
            i = end;
        } else if (StartsAt(xml, i, "<!--")) {
            copyUntil("-->");
        } else if (StartsAt(xml, i, "<![CDATA[")) {
            const qsizetype at = xml.indexOf("]]>", i);
            const qsizetype stop = at < 0 ? n : at + 3;
            for (; i < stop; ++i) {
                if (xml.at(i) == '\r') {
                    out.append("]]>&#13;<![CDATA[");
                } else {
                    out.append(xml.at(i));
                }
            }
        } else if (StartsAt(xml, i, "<?")) {
            copyUntil("?>");
        } else {
            // A tag: to its closing '>', which may not stand inside a quoted attribute value;
            // every '=' outside the quotes gives a value to one attribute.
            const qsizetype start = i;
            int attributes = 0;
            char quote = 0;
            while (i < n) {
                const char t = xml.at(i++);
                out.append(t);
                if (quote != 0) {
                    quote = t == quote ? 0 : quote;
                } else if (t == '"' || t == '\'') {
                    quote = t;
                } else if (t == '=' && ++attributes > kMaxAttributes) {
                    error = QStringLiteral("%1: an element with more than %2 attributes")
                                .arg(BytePosition(xml, start))
                                .arg(kMaxAttributes);
                    return false;
                } else if (t == '>') {
                    break;
                }
            }
        }
    }
    return true;
}

// The reader's message, without the name of an undeclared entity: that is a piece of a value,
// a password perhaps ("pa&ss;word").
QString ReaderMessage(const QString& message) {
    if (message.startsWith(QLatin1String("Entity '"))) {
        return QStringLiteral("an undeclared entity (a bare & must be written &amp;)");
    }
    return message;
}

// The walk over a plain KeePass 2 XML export.
class KeePassReader {
public:
    explicit KeePassReader(const QByteArray& xml) : m_xml(xml) {}

    bool read(QList<KeePassEntry>& entries, QString& error) {
        if (!nextStart()) {
            return failed(error, QStringLiteral("the document holds no element"));
        }
        if (m_xml.name() != u"KeePassFile") {
            return failed(error, QStringLiteral("not a KeePass XML document (its root element "
                                                "is <%1>, not <KeePassFile>)")
                                     .arg(m_xml.name().left(40)));
        }
        QList<Found> found;
        while (nextChild()) {
            if (m_xml.name() == u"Meta") {
                readMeta();
            } else if (m_xml.name() == u"Root") {
                while (nextChild()) {
                    if (m_xml.name() == u"Group") {
                        readGroup(1, found);
                    } else {
                        skip();
                    }
                }
            } else {
                skip();
            }
        }
        // Whatever follows the root element must still be well formed.
        while (!m_xml.atEnd() && !m_xml.hasError() && m_problem.isEmpty()) {
            readNext();
        }
        if (m_xml.hasError() || !m_problem.isEmpty()) {
            return failed(error, QString());
        }
        const bool binUsed = !m_recycleBin.isEmpty() && m_recycleBin != u"AAAAAAAAAAAAAAAAAAAAAA==";
        for (Found& f : found) {
            if (!(binUsed && f.groups.contains(m_recycleBin))) {
                entries.append(std::move(f.entry));
            }
        }
        return true;
    }

private:
    struct Found {
        KeePassEntry entry;
        QStringList groups; // UUIDs of the groups holding it, outermost first
    };

    QXmlStreamReader::TokenType readNext() {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::DTD && m_problem.isEmpty()) {
            // Stop before any declared entity could be expanded.
            m_problem = QStringLiteral("a document type declaration is not accepted");
            m_problemLine = m_xml.lineNumber();
            m_problemColumn = m_xml.columnNumber();
        }
        return token;
    }

    bool ok() const { return !m_xml.hasError() && m_problem.isEmpty(); }

    bool nextStart() {
        while (ok() && !m_xml.atEnd()) {
            if (readNext() == QXmlStreamReader::StartElement) {
                return ok();
            }
        }
        return false;
    }

    // The next child element of the current one; false at its end.
    bool nextChild() {
        while (ok() && !m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = readNext();
            if (token == QXmlStreamReader::StartElement) {
                return ok();
            }
            if (token == QXmlStreamReader::EndElement) {
                return false;
            }
        }
        return false;
    }

    void skip() {
        int depth = 1;
        while (depth > 0 && ok() && !m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = readNext();
            depth += token == QXmlStreamReader::StartElement ? 1
                     : token == QXmlStreamReader::EndElement ? -1
                                                             : 0;
        }
    }

    // The text of an element without children.
    QString text() {
        QString out;
        while (ok() && !m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = readNext();
            if (token == QXmlStreamReader::Characters ||
                token == QXmlStreamReader::EntityReference) {
                out += m_xml.text();
            } else if (token == QXmlStreamReader::StartElement) {
                problem(
                    QStringLiteral("<%1> may not hold other elements").arg(m_xml.name().left(40)));
            } else if (token == QXmlStreamReader::EndElement) {
                break;
            }
        }
        return out;
    }

    void problem(const QString& what) {
        if (m_problem.isEmpty()) {
            m_problem = what;
            m_problemLine = m_xml.lineNumber();
            m_problemColumn = m_xml.columnNumber();
        }
    }

    void readMeta() {
        while (nextChild()) {
            if (m_xml.name() == u"RecycleBinUUID") {
                m_recycleBin = text().trimmed();
            } else {
                skip();
            }
        }
    }

    void readGroup(int depth, QList<Found>& found) {
        if (depth > 256) {
            problem(QStringLiteral("groups are nested too deeply"));
            return;
        }
        QString name;
        QString uuid;
        const qsizetype first = found.size();
        while (nextChild()) {
            if (m_xml.name() == u"Name") {
                name = text();
            } else if (m_xml.name() == u"UUID") {
                uuid = text().trimmed();
            } else if (m_xml.name() == u"Entry") {
                Found f;
                readEntry(f.entry);
                found.append(std::move(f));
            } else if (m_xml.name() == u"Group") {
                // Child groups' entries keep their place in document order.
                readGroup(depth + 1, found);
            } else {
                skip();
            }
        }
        // Entries of nested groups already name their own group.
        for (qsizetype i = first; i < found.size(); ++i) {
            Found& f = found[i];
            f.groups.prepend(uuid);
            if (f.groups.size() == 1) {
                f.entry.group = name;
            }
        }
    }

    void readEntry(KeePassEntry& entry) {
        while (nextChild()) {
            if (m_xml.name() == u"String") {
                readString(entry);
            } else {
                skip(); // History among them: older versions of the entry
            }
        }
    }

    void readString(KeePassEntry& entry) {
        QString key;
        QString value;
        while (nextChild()) {
            if (m_xml.name() == u"Key") {
                key = text();
            } else if (m_xml.name() == u"Value") {
                if (m_xml.attributes().value(QLatin1String("Protected")) == u"True") {
                    problem(QStringLiteral("an encrypted value: only a plain XML export can be "
                                           "read"));
                    skip();
                } else {
                    value = text();
                }
            } else {
                skip();
            }
        }
        if (key == u"Title") {
            entry.title = value;
        } else if (key == u"UserName") {
            entry.userName = value;
        } else if (key == u"Password") {
            entry.password = value;
        } else if (key == u"URL") {
            entry.url = value;
        } else if (key == u"Notes") {
            entry.notes = value;
        } else {
            entry.fields.append({key, value});
        }
    }

    bool failed(QString& error, const QString& what) {
        if (!what.isEmpty()) {
            problem(what);
        }
        if (!m_problem.isEmpty()) {
            error = QStringLiteral("line %1, column %2: %3")
                        .arg(m_problemLine)
                        .arg(m_problemColumn)
                        .arg(m_problem);
        } else {
            error = QStringLiteral("line %1, column %2: %3")
                        .arg(m_xml.lineNumber())
                        .arg(m_xml.columnNumber())
                        .arg(ReaderMessage(m_xml.errorString()));
        }
        return false;
    }

    QXmlStreamReader m_xml;
    QString m_recycleBin;
    QString m_problem;
    qint64 m_problemLine = 0;
    qint64 m_problemColumn = 0;
};

} // namespace

bool AccountsToKeePassXml(const AccountStore& store, QByteArray& xml, QString& error) {
    const QList<KeePassEntry> entries = EntriesFromAccounts(store);
    XmlOut out;
    out.line(0, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
    out.line(0, QStringLiteral("<KeePassFile>"));
    out.line(1, QStringLiteral("<Meta>"));
    out.element(2, QLatin1String("Generator"), QStringLiteral("keystow-cli"));
    out.element(2, QLatin1String("DatabaseName"), QStringLiteral("Keystow Editor accounts"));
    out.line(2, QStringLiteral("<MemoryProtection>"));
    out.element(3, QLatin1String("ProtectTitle"), QStringLiteral("False"));
    out.element(3, QLatin1String("ProtectUserName"), QStringLiteral("False"));
    out.element(3, QLatin1String("ProtectPassword"), QStringLiteral("True"));
    out.element(3, QLatin1String("ProtectURL"), QStringLiteral("False"));
    out.element(3, QLatin1String("ProtectNotes"), QStringLiteral("False"));
    out.line(2, QStringLiteral("</MemoryProtection>"));
    out.line(1, QStringLiteral("</Meta>"));
    out.line(1, QStringLiteral("<Root>"));
    out.line(2, QStringLiteral("<Group>"));
    out.element(3, QLatin1String("UUID"), NewUuid());
    out.element(3, QLatin1String("Name"), QStringLiteral("Keystow Editor"));
    for (const QLatin1String group :
         {kWebAccountsGroup, kEmailAccountsGroup, kOtherAccountsGroup}) {
        out.line(3, QStringLiteral("<Group>"));
        out.element(4, QLatin1String("UUID"), NewUuid());
        out.element(4, QLatin1String("Name"), group);
        int number = 0;
        for (const KeePassEntry& entry : entries) {
            if (entry.group != group) {
                continue;
            }
            if (!CheckEntry(entry, ++number, error)) {
                out.text().fill(QChar(0));
                return false;
            }
            WriteEntry(out, entry);
        }
        out.line(3, QStringLiteral("</Group>"));
    }
    out.line(2, QStringLiteral("</Group>"));
    out.line(1, QStringLiteral("</Root>"));
    out.line(0, QStringLiteral("</KeePassFile>"));
    xml = out.text().toUtf8();
    out.text().fill(QChar(0)); // it held every password
    return true;
}

bool AccountsFromKeePassXml(const QByteArray& xml, AccountStore& store, QString& error) {
    if (xml.size() > kMaxKeePassImportSize) {
        error = QStringLiteral("the document is larger than %1 MiB")
                    .arg(kMaxKeePassImportSize / (1024 * 1024));
        return false;
    }
    QByteArray kept;
    if (!CheckUtf8(xml, error) || !PrepareForReader(xml, kept, error)) {
        kept.fill('\0');
        return false;
    }
    QList<KeePassEntry> entries;
    KeePassReader reader(kept);
    const bool read = reader.read(entries, error);
    kept.fill('\0');
    return read && AccountsFromEntries(entries, store, error);
}
