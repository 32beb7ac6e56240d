#include "AccountsCsv.h"

#include "AccountsKeePassXml.h"
#include "KeePassEntry.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

QString Quoted(QString field) {
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

void Row(QString& out, const KeePassEntry& entry) {
    out += QStringList{Quoted(entry.group),    Quoted(entry.title), Quoted(entry.userName),
                       Quoted(entry.password), Quoted(entry.url),   Quoted(entry.notes)}
               .join(QLatin1Char(','));
    out += QLatin1String("\r\n");
}

// Splits CSV text into rows of fields, remembering where each row starts.
class CsvParser {
public:
    explicit CsvParser(const QString& text) : m_text(text) {}

    // The next row; false at the end or on an error (then error() is set).
    bool next(QStringList& fields) {
        fields.clear();
        while (m_pos < m_text.size() && atLineEnd()) {
            skipLineEnd(); // blank lines
        }
        if (m_pos >= m_text.size()) {
            return false;
        }
        m_rowLine = m_line;
        while (true) {
            QString field;
            if (!readField(field)) {
                return false;
            }
            fields.append(field);
            if (m_pos >= m_text.size()) {
                return true;
            }
            if (atLineEnd()) {
                skipLineEnd();
                return true;
            }
            ++m_pos; // the comma
        }
    }

    const QString& error() const { return m_error; }
    int rowLine() const { return m_rowLine; }

private:
    bool atLineEnd() const {
        const QChar c = m_text.at(m_pos);
        return c == u'\n' || c == u'\r';
    }

    void skipLineEnd() {
        if (m_text.at(m_pos) == u'\r' && m_pos + 1 < m_text.size() &&
            m_text.at(m_pos + 1) == u'\n') {
            ++m_pos;
        }
        ++m_pos;
        newLine();
    }

    void newLine() {
        ++m_line;
        m_lineStart = m_pos;
    }

    bool fail(const QString& what) {
        m_error = QStringLiteral("line %1, column %2: %3")
                      .arg(m_line)
                      .arg(m_pos - m_lineStart + 1)
                      .arg(what);
        return false;
    }

    bool readField(QString& field) {
        if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
            const int line = m_line;
            const qsizetype column = m_pos - m_lineStart + 1;
            ++m_pos;
            while (true) {
                if (m_pos >= m_text.size()) {
                    m_error = QStringLiteral("line %1, column %2: the quoted field is not closed")
                                  .arg(line)
                                  .arg(column);
                    return false;
                }
                const QChar c = m_text.at(m_pos++);
                if (c == u'"') {
                    if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
                        field += c;
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                field += c;
                if (c == u'\n' ||
                    (c == u'\r' && (m_pos >= m_text.size() || m_text.at(m_pos) != u'\n'))) {
                    newLine();
                }
            }
            if (m_pos < m_text.size() && m_text.at(m_pos) != u',' && !atLineEnd()) {
                return fail(QStringLiteral("a quoted field must end at a comma or a line end"));
            }
            return true;
        }
        while (m_pos < m_text.size() && m_text.at(m_pos) != u',' && !atLineEnd()) {
            if (m_text.at(m_pos) == u'"') {
                return fail(QStringLiteral("a quote inside a field that does not start with one"));
            }
            field += m_text.at(m_pos++);
        }
        return true;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    qsizetype m_lineStart = 0;
    int m_rowLine = 1;
    QString m_error;
};

// Which column holds what, from the header.
struct Columns {
    int group = -1;
    int title = -1;
    int userName = -1;
    int password = -1;
    int url = -1;
    int notes = -1;
    QList<QPair<int, QString>> further; // index and header of the columns kept in the notes
};

bool ReadHeader(const QStringList& header, Columns& columns, QString& error) {
    for (int i = 0; i < header.size(); ++i) {
        const QString name = header.at(i).trimmed();
        const QString key = name.toLower();
        int* slot = nullptr;
        if (key == u"group") {
            slot = &columns.group;
        } else if (key == u"title") {
            slot = &columns.title;
        } else if (key == u"username" || key == u"user name") {
            slot = &columns.userName;
        } else if (key == u"password") {
            slot = &columns.password;
        } else if (key == u"url") {
            slot = &columns.url;
        } else if (key == u"notes") {
            slot = &columns.notes;
        } else if (key != u"icon" && key != u"last modified" && key != u"created") {
            columns.further.append({i, name});
            continue;
        } else {
            continue;
        }
        if (*slot >= 0) {
            error = QStringLiteral("line 1: the column \"%1\" appears twice").arg(name.left(40));
            return false;
        }
        *slot = i;
    }
    if (columns.title < 0) {
        error = QStringLiteral("line 1: the header names no \"Title\" column (expected "
                               "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\")");
        return false;
    }
    return true;
}

QString Field(const QStringList& row, int column) {
    return column >= 0 ? row.at(column) : QString();
}

} // namespace

QByteArray AccountsToCsv(const AccountStore& store) {
    QString out =
        QStringLiteral("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n");
    for (const KeePassEntry& entry : EntriesFromAccounts(store)) {
        Row(out, entry);
    }
    QByteArray bytes = out.toUtf8();
    out.fill(QChar(0)); // it held every password
    return bytes;
}

bool AccountsFromCsv(const QByteArray& csv, AccountStore& store, QString& error) {
    if (csv.size() > kMaxKeePassImportSize) {
        error = QStringLiteral("the document is larger than %1 MiB")
                    .arg(kMaxKeePassImportSize / (1024 * 1024));
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(csv);
    if (decoder.hasError()) {
        error = QStringLiteral("the document is not UTF-8 text");
        text.fill(QChar(0));
        return false;
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    CsvParser parser(text);
    QStringList row;
    Columns columns;
    if (!parser.next(row)) {
        error = parser.error().isEmpty() ? QStringLiteral("the document holds no header line")
                                         : parser.error();
        return false;
    }
    if (!ReadHeader(row, columns, error)) {
        return false;
    }
    const qsizetype width = row.size();
    QList<KeePassEntry> entries;
    bool good = true;
    while (parser.next(row)) {
        if (row.size() != width) {
            error = QStringLiteral("line %1: the row has %2 fields, the header %3")
                        .arg(parser.rowLine())
                        .arg(row.size())
                        .arg(width);
            good = false;
            break;
        }
        // A manager's recycle bin is a group right under its root: deleted entries stay behind.
        const QStringList path = Field(row, columns.group).split(QLatin1Char('/'));
        if (path.size() >= 2 && path.at(1) == u"Recycle Bin") {
            continue;
        }
        KeePassEntry entry;
        entry.group = path.last();
        entry.title = Field(row, columns.title);
        entry.userName = Field(row, columns.userName);
        entry.password = Field(row, columns.password);
        entry.url = Field(row, columns.url);
        entry.notes = Field(row, columns.notes);
        for (const auto& [column, name] : columns.further) {
            entry.fields.append({name, row.at(column)});
        }
        entries.append(entry);
    }
    if (good && !parser.error().isEmpty()) {
        error = parser.error();
        good = false;
    }
    text.fill(QChar(0));
    return good && AccountsFromEntries(entries, store, error);
}
