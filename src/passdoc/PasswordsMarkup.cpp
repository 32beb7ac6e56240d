#include "PasswordsMarkup.h"

#include "CXmlText.h"

#include <array>
#include <cstring>

const char kPasswordsDeclaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

namespace {

template <class T> struct Field {
    const char* tag;
    QString T::*member;
};

// Element names and their order in the file. Other accounts keep description and PIN in
// USERID and PASSWORD, as files have always done.
const Field<WebAccount> kWebFields[] = {{"NAME", &WebAccount::name},
                                        {"ADDRESS", &WebAccount::address},
                                        {"USERID", &WebAccount::userId},
                                        {"PASSWORD", &WebAccount::password},
                                        {"NOTES", &WebAccount::notes}};
const Field<MailAccount> kMailFields[] = {{"NAME", &MailAccount::name},
                                          {"ADDRESS", &MailAccount::address},
                                          {"WEBINTERFACE", &MailAccount::webInterface},
                                          {"USERID", &MailAccount::userId},
                                          {"PASSWORD", &MailAccount::password},
                                          {"SMTPSERVER", &MailAccount::smtpServer},
                                          {"POPSERVER", &MailAccount::popServer},
                                          {"NOTES", &MailAccount::notes}};
const Field<OtherAccount> kOtherFields[] = {{"NAME", &OtherAccount::name},
                                            {"USERID", &OtherAccount::description},
                                            {"PASSWORD", &OtherAccount::pin},
                                            {"NOTES", &OtherAccount::notes}};

const QByteArray kAccount = QByteArrayLiteral("ACCOUNT");

// Writes the markup front to back into one buffer sized beforehand. Building it element by
// element with CXmlText made a heap copy of every value (UTF-8, escaped, the element) and
// edited the text in the middle for each element, keeping an index the writer never reads;
// that was most of the time of a save. The bytes are those CXmlText::AddElement writes: each
// element on its own line ending in CR LF, an empty value as an empty-element tag, '<', '&'
// and '>' escaped.
class MarkupWriter {
public:
    // expected: the likely length of the whole text; the buffer grows if it was too small.
    explicit MarkupWriter(qsizetype expected)
        : m_text(qMax<qsizetype>(expected, 256), Qt::Uninitialized), m_out(m_text.data()),
          m_end(m_out + m_text.size()) {}

    // Makes room for bytes more. Checked once per element, not per byte.
    void Reserve(qsizetype bytes) {
        if (m_end - m_out >= bytes) {
            return;
        }
        const qsizetype used = m_out - m_text.constData();
        m_text.resize(qMax(used + bytes, m_text.size() + m_text.size() / 2));
        m_out = m_text.data() + used;
        m_end = m_text.data() + m_text.size();
    }
    void Raw(const char* text, size_t length) {
        std::memcpy(m_out, text, length);
        m_out += length;
    }
    void Open(const char* name, size_t length) {
        Reserve(static_cast<qsizetype>(length) + 4);
        *m_out++ = '<';
        Raw(name, length);
        Raw(">\r\n", 3);
    }
    void Close(const char* name, size_t length) {
        Reserve(static_cast<qsizetype>(length) + 5);
        Raw("</", 2);
        Raw(name, length);
        Raw(">\r\n", 3);
    }
    void Empty(const char* name, size_t length) {
        Reserve(static_cast<qsizetype>(length) + 5);
        *m_out++ = '<';
        Raw(name, length);
        Raw("/>\r\n", 4);
    }
    void Field(const char* name, size_t length, const QString& value) {
        if (value.isEmpty()) {
            Empty(name, length);
            return;
        }
        // An escape takes at most five bytes and a UTF-16 unit at most three.
        Reserve(5 * value.size() + 2 * static_cast<qsizetype>(length) + 6);
        *m_out++ = '<';
        Raw(name, length);
        *m_out++ = '>';
        Value(value);
        Raw("</", 2);
        Raw(name, length);
        Raw(">\r\n", 3);
    }
    QByteArray Take() {
        m_text.truncate(m_out - m_text.constData());
        return std::move(m_text);
    }

private:
    // What an ASCII character becomes: 0 itself, otherwise which escape.
    static constexpr std::array<unsigned char, 128> kAscii = [] {
        std::array<unsigned char, 128> table{};
        table['<'] = 1;
        table['>'] = 2;
        table['&'] = 3;
        return table;
    }();

    void Value(const QString& value) {
        const char16_t* s = reinterpret_cast<const char16_t*>(value.utf16());
        const qsizetype n = value.size();
        qsizetype i = 0;
        while (i < n) {
            // Plain ASCII, the bulk of every value, one byte each.
            char* out = m_out;
            while (i < n && s[i] < 0x80 && kAscii[s[i]] == 0) {
                *out++ = static_cast<char>(s[i++]);
            }
            m_out = out;
            if (i >= n) {
                break;
            }
            const char16_t u = s[i];
            if (u >= 0x80) {
                i = Utf8(s, n, i);
                continue;
            }
            switch (kAscii[u]) {
            case 1:
                Raw("&lt;", 4);
                break;
            case 2:
                Raw("&gt;", 4);
                break;
            default:
                Raw("&amp;", 5);
            }
            ++i;
        }
    }

    // Writes the UTF-8 of the character at i and returns where the next one starts. Exactly
    // as QString::toUtf8: a surrogate without its partner becomes '?'.
    qsizetype Utf8(const char16_t* s, qsizetype n, qsizetype i) {
        const char32_t u = s[i];
        if (u < 0x800) {
            *m_out++ = static_cast<char>(0xC0 | (u >> 6));
            *m_out++ = static_cast<char>(0x80 | (u & 0x3F));
            return i + 1;
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
                const char32_t c = 0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00);
                *m_out++ = static_cast<char>(0xF0 | (c >> 18));
                *m_out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                *m_out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                *m_out++ = static_cast<char>(0x80 | (c & 0x3F));
                return i + 2;
            }
            *m_out++ = '?';
            return i + 1;
        }
        *m_out++ = static_cast<char>(0xE0 | (u >> 12));
        *m_out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        *m_out++ = static_cast<char>(0x80 | (u & 0x3F));
        return i + 1;
    }

    QByteArray m_text;
    char* m_out;
    char* m_end;
};

// The likely length of a group: the tags, and a byte per UTF-16 unit of the values.
template <class T, size_t N>
qsizetype GroupEstimate(const char* group, const AccountList<T>& list,
                        const Field<T> (&fields)[N]) {
    qsizetype tags = 0;
    for (const Field<T>& field : fields) {
        tags += 2 * static_cast<qsizetype>(std::strlen(field.tag)) + 6;
    }
    qsizetype bytes = 2 * static_cast<qsizetype>(std::strlen(group)) + 8;
    list.enumerate([&](int, const T& record) {
        bytes += 2 * kAccount.size() + 8 + tags;
        for (const Field<T>& field : fields) {
            bytes += (record.*field.member).size();
        }
    });
    // Some room for escapes and non-ASCII text, so that the buffer seldom grows.
    return bytes + bytes / 32;
}

template <class T, size_t N>
void WriteGroup(MarkupWriter& out, const char* group, const AccountList<T>& list,
                const Field<T> (&fields)[N]) {
    const size_t groupLength = std::strlen(group);
    bool any = false;
    list.enumerate([&any](int, const T&) { any = true; });
    if (!any) {
        out.Empty(group, groupLength);
        return;
    }
    size_t tagLengths[N];
    for (size_t i = 0; i < N; ++i) {
        tagLengths[i] = std::strlen(fields[i].tag);
    }
    out.Open(group, groupLength);
    list.enumerate([&](int, const T& record) {
        out.Open(kAccount.constData(), static_cast<size_t>(kAccount.size()));
        for (size_t i = 0; i < N; ++i) {
            out.Field(fields[i].tag, tagLengths[i], record.*fields[i].member);
        }
        out.Close(kAccount.constData(), static_cast<size_t>(kAccount.size()));
    });
    out.Close(group, groupLength);
}

template <class T, size_t N>
void ReadGroups(CXmlText& xml, const QByteArray& group, AccountList<T>& list,
                const Field<T> (&fields)[N]) {
    // The tags as byte arrays once, not once per account.
    QByteArray tags[N];
    for (size_t i = 0; i < N; ++i) {
        tags[i] = QByteArray(fields[i].tag);
    }
    // Files written by other hands may hold the groups in any order.
    xml.ResetMainPos();
    while (xml.FindElement(group)) {
        xml.EnterElement();
        while (xml.FindElement(kAccount)) {
            T& record = *list.at(list.append(T()));
            // One pass over the account's children: fields may stand in any order, the first
            // of each name counts, and a missing one stays empty rather than taking another
            // field's value. In the usual order each child matches the field expected next.
            bool seen[N] = {};
            size_t found = 0;
            size_t next = 0;
            while (found < N && xml.FindChildElement()) {
                size_t i = next;
                bool matched = false;
                for (size_t tried = 0; tried < N; ++tried) {
                    if (xml.ChildMatches(tags[i])) {
                        matched = true;
                        break;
                    }
                    i = i + 1 == N ? 0 : i + 1;
                }
                if (!matched) {
                    continue;
                }
                if (!seen[i]) {
                    seen[i] = true;
                    ++found;
                    record.*fields[i].member = xml.GetChildText();
                }
                next = i + 1 == N ? 0 : i + 1;
            }
        }
        xml.LeaveElement();
    }
}

bool HasAnyGroup(CXmlText& xml) {
    for (const char* group : {"WEB_ACCOUNTS", "MAIL_ACCOUNTS", "OTHER_ACCOUNTS"}) {
        xml.ResetMainPos();
        if (xml.FindElement(QByteArray(group))) {
            return true;
        }
    }
    return false;
}

} // namespace

QByteArray BuildPasswordsMarkup(const AccountStore& store) {
    const size_t declarationLength = std::strlen(kPasswordsDeclaration);
    const qsizetype expected = static_cast<qsizetype>(declarationLength) + 32 +
                               GroupEstimate("WEB_ACCOUNTS", store.web, kWebFields) +
                               GroupEstimate("MAIL_ACCOUNTS", store.mail, kMailFields) +
                               GroupEstimate("OTHER_ACCOUNTS", store.other, kOtherFields);
    MarkupWriter out(expected);
    out.Raw(kPasswordsDeclaration, declarationLength);
    out.Open("DOC", 3);
    WriteGroup(out, "WEB_ACCOUNTS", store.web, kWebFields);
    WriteGroup(out, "MAIL_ACCOUNTS", store.mail, kMailFields);
    WriteGroup(out, "OTHER_ACCOUNTS", store.other, kOtherFields);
    out.Close("DOC", 3);
    return out.Take();
}

bool ReadPasswordsMarkup(const QByteArray& markup, AccountStore& store) {
    CXmlText xml;
    if (!xml.SetText(markup)) {
        return false;
    }
    xml.FindElement();
    const bool doc = xml.ElementMatches(QByteArrayLiteral("DOC"));
    xml.EnterElement();
    // Other markup (a web page, a text document's own markup) is no passwords document:
    // reading it as an empty one would let the next save write over it.
    if (!doc && !HasAnyGroup(xml)) {
        return false;
    }
    ReadGroups(xml, QByteArrayLiteral("WEB_ACCOUNTS"), store.web, kWebFields);
    ReadGroups(xml, QByteArrayLiteral("MAIL_ACCOUNTS"), store.mail, kMailFields);
    ReadGroups(xml, QByteArrayLiteral("OTHER_ACCOUNTS"), store.other, kOtherFields);
    return true;
}
