#include "CXmlText.h"

#include <QVarLengthArray>

#include <array>
#include <cstring>
#include <string_view>

namespace {

// Positions are 32-bit; a longer text is refused rather than mis-indexed.
constexpr qsizetype kMaxLength = 0x7FFFFF00;

constexpr std::array<bool, 256> MakeTable(const char* chars) {
    std::array<bool, 256> table{};
    for (const char* c = chars; *c != '\0'; ++c) {
        table[static_cast<unsigned char>(*c)] = true;
    }
    return table;
}

constexpr std::array<bool, 256> kDelimiter = MakeTable(" \t\n\r<>=\\/?!");
constexpr std::array<bool, 256> kSpace = MakeTable(" \t\n\r");

inline bool IsDelimiter(char c) {
    return kDelimiter[static_cast<unsigned char>(c)];
}
inline bool IsSpace(char c) {
    return kSpace[static_cast<unsigned char>(c)];
}

// Offset of the first `needle` at or after `from`, or -1.
int32_t FindFrom(const QByteArray& text, int32_t from, std::string_view needle) {
    const std::string_view all(text.constData(), static_cast<size_t>(text.size()));
    const size_t at = all.find(needle, static_cast<size_t>(from));
    return at == std::string_view::npos ? -1 : static_cast<int32_t>(at);
}

// Offset of the first `c` at or after `from`, or -1.
inline int32_t FindChar(const char* p, int32_t n, int32_t from, char c) {
    // Markup characters are mostly close by; a plain loop beats a library call for those.
    const int32_t near = n - from < 16 ? n : from + 16;
    for (; from < near; ++from) {
        if (p[from] == c) {
            return from;
        }
    }
    if (from >= n) {
        return -1;
    }
    const void* hit = std::memchr(p + from, c, static_cast<size_t>(n - from));
    return hit == nullptr ? -1 : static_cast<int32_t>(static_cast<const char*>(hit) - p);
}

bool IsPlainName(const QByteArray& name) {
    for (const char c : name) {
        if (IsDelimiter(c) || c == '[') {
            return false;
        }
    }
    return true;
}

// Copies [begin, end) to out with the five entities replaced, in one pass.
template <class Out> void UnescapeInto(const char* begin, const char* end, Out& out) {
    struct Entity {
        std::string_view name;
        char value;
    };
    static constexpr Entity kEntities[] = {
        {"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};
    const char* s = begin;
    while (s < end) {
        const void* hit = std::memchr(s, '&', static_cast<size_t>(end - s));
        if (hit == nullptr) {
            out.append(s, end - s);
            break;
        }
        const char* amp = static_cast<const char*>(hit);
        out.append(s, amp - s);
        const char* after = amp + 1;
        const size_t rest = static_cast<size_t>(end - after);
        s = after;
        char value = '&';
        for (const Entity& entity : kEntities) {
            if (entity.name.size() <= rest &&
                std::memcmp(after, entity.name.data(), entity.name.size()) == 0) {
                value = entity.value;
                s = after + entity.name.size();
                break;
            }
        }
        out.append(value);
    }
}

} // namespace

CXmlText::CXmlText() = default;

bool CXmlText::NameMatches(const char* t, int tLen, const char* s, int sLen) {
    if (tLen > sLen || std::memcmp(t, s, static_cast<size_t>(tLen)) != 0) {
        return false;
    }
    if (tLen == sLen) {
        return true;
    }
    const char next = s[tLen];
    return next == ' ' || next == '=' || next == '/' || next == '[';
}

CXmlText::Token CXmlText::ReadToken(int32_t pos) const {
    const char* p = m_text.constData();
    const int32_t n = Length();
    Token token;
    while (pos < n && IsSpace(p[pos])) {
        ++pos;
    }
    if (pos >= n) {
        return token;
    }
    token.found = true;
    const char c = p[pos];
    if (c == '"' || c == '\'') {
        token.quoted = true;
        token.begin = pos + 1;
        const int32_t close = FindChar(p, n, token.begin, c);
        token.end = close < 0 ? n : close;
        token.next = close < 0 ? n : close + 1;
    } else if (IsDelimiter(c)) {
        token.begin = pos;
        token.end = pos + 1;
        token.next = token.end;
    } else {
        int32_t end = pos + 1;
        while (end < n && !IsDelimiter(p[end])) {
            ++end;
        }
        token.begin = pos;
        token.end = end;
        token.next = end;
    }
    return token;
}

bool CXmlText::StepOverNode(int32_t lt, int32_t& after) const {
    const char* p = m_text.constData();
    if (lt + 2 >= Length()) {
        return false;
    }
    std::string_view closing;
    if (p[lt + 1] == '?') {
        closing = "?>";
    } else if (p[lt + 2] == '[') {
        closing = "]]>";
    } else if (p[lt + 2] == '-') {
        closing = "-->";
    }
    if (!closing.empty()) {
        const int32_t at = FindFrom(m_text, lt, closing);
        if (at < 0) {
            return false;
        }
        after = at + static_cast<int32_t>(closing.size());
        return true;
    }
    // A declaration: its internal subset in brackets may hold '>' of its own.
    int depth = 0;
    int32_t pos = lt;
    for (;;) {
        const Token token = ReadToken(pos);
        if (!token.found) {
            return false;
        }
        if (!token.quoted) {
            const char c = p[token.begin];
            if (c == '[') {
                ++depth;
            } else if (c == ']') {
                --depth;
            } else if (c == '>' && depth == 0) {
                after = token.end;
                return true;
            }
        }
        pos = token.next;
    }
}

int32_t CXmlText::TakeRecord() {
    if (static_cast<size_t>(m_nextFree) >= m_index.size()) {
        const size_t size = m_index.size();
        m_index.resize(size + (size / 2 > 8 ? size / 2 : 8));
    }
    return m_nextFree++;
}

void CXmlText::ClearRecord(int32_t index) {
    Element& e = m_index[static_cast<size_t>(index)];
    e.startOpen = e.startClose = e.endOpen = e.endClose = 0;
    e.parent = e.firstChild = e.nextSibling = 0;
}

bool CXmlText::IsEmptyTag(int32_t index) const {
    const Element& e = m_index[static_cast<size_t>(index)];
    return e.startClose == e.endOpen + 1;
}

void CXmlText::TagName(int32_t index, int32_t& begin, int32_t& end) const {
    const Token token = ReadToken(m_index[static_cast<size_t>(index)].startOpen + 1);
    begin = token.begin;
    end = token.end;
}

bool CXmlText::Matches(int32_t index, const QByteArray& name) const {
    if (name.isEmpty()) {
        return true;
    }
    // A plain name (no delimiter, no suffix) matches only the same tag name, which usually
    // follows the '<' directly: compare in place without reading the token.
    const char* p = m_text.constData();
    const int32_t n = Length();
    const int32_t at = m_index[static_cast<size_t>(index)].startOpen + 1;
    if (at < n && !IsDelimiter(p[at]) && IsPlainName(name)) {
        const char* s = name.constData();
        const int32_t len = static_cast<int32_t>(name.size());
        if (len > n - at) {
            return false;
        }
        for (int32_t i = 0; i < len; ++i) {
            if (p[at + i] != s[i]) {
                return false;
            }
        }
        return at + len == n || IsDelimiter(p[at + len]);
    }
    int32_t begin = 0;
    int32_t end = 0;
    TagName(index, begin, end);
    return NameMatches(m_text.constData() + begin, end - begin, name.constData(),
                       static_cast<int>(name.size()));
}

// The usual end tag, "</" and the element's own tag name and ">" with nothing in between: the
// offset of its '>', or 0 when the end tag needs the full check.
int32_t CXmlText::PlainEndTag(int32_t index) const {
    const char* p = m_text.constData();
    const int32_t n = Length();
    const Element& e = m_index[static_cast<size_t>(index)];
    const int32_t name = e.endOpen + 2;
    const int32_t start = e.startOpen + 1;
    if (name >= n || p[e.endOpen + 1] != '/') {
        return 0;
    }
    // The start tag's name lies before the end tag, so it cannot run past the text's end.
    int32_t i = 0;
    while (name + i < n && !IsDelimiter(p[name + i])) {
        if (p[start + i] != p[name + i]) {
            return 0;
        }
        ++i;
    }
    if (i == 0 || name + i >= n || p[name + i] != '>' || !IsDelimiter(p[start + i])) {
        return 0;
    }
    return name + i;
}

bool CXmlText::Fail(const char* message, int32_t element) {
    m_error = message;
    if (element > 0) {
        int32_t begin = 0;
        int32_t end = 0;
        TagName(element, begin, end);
        m_error.replace("%s", m_text.mid(begin, end - begin));
    }
    return false;
}

bool CXmlText::SetText(const QByteArray& text) {
    m_text = text;
    m_error.clear();
    m_nextFree = 1;
    m_parentPos = m_currentPos = m_childPos = 0;
    if (m_text.size() > kMaxLength) {
        m_index.resize(1);
        ClearRecord(0);
        m_error = "Text too long";
        return false;
    }
    // A passwords file holds about one element per 40 bytes; room for one per 32 means a
    // typical file never regrows the index during the parse.
    const size_t wanted = static_cast<size_t>(m_text.size() / 32 + 8);
    if (m_index.size() < wanted) {
        m_index.resize(wanted);
    }
    ClearRecord(0);
    if (m_text.isEmpty()) {
        return false;
    }
    if (Parse()) {
        return true;
    }
    ClearRecord(0);
    m_nextFree = 1;
    return false;
}

// One pass over the text that records where elements lie. It walks down and up the tree with
// the parent links instead of recursing, so deeply nested input cannot exhaust the stack.
// While an element's content is parsed, its endOpen is the scan position and its endClose
// holds its last child so far.
bool CXmlText::Parse() {
    const char* p = m_text.constData();
    const int32_t n = Length();
    int32_t parent = 0;
    for (;;) {
        const int32_t record = TakeRecord();
        {
            Element& e = m_index[static_cast<size_t>(record)];
            e.parent = parent;
            e.firstChild = 0;
            e.nextSibling = 0;
        }
        int32_t scan = m_index[static_cast<size_t>(parent)].endOpen;
        Token name;
        int32_t lt = 0;
        for (;;) {
            lt = FindChar(p, n, scan, '<');
            if (lt < 0) {
                return Fail("Element tag not found");
            }
            m_index[static_cast<size_t>(parent)].endOpen = lt;
            m_index[static_cast<size_t>(record)].startOpen = lt;
            if (lt + 1 < n && !IsDelimiter(p[lt + 1]) && p[lt + 1] != '"' && p[lt + 1] != '\'') {
                // The usual case, a name right after the '<': read it without the token rules'
                // blank skipping and quote handling, which cannot apply.
                int32_t end = lt + 2;
                while (end < n && !IsDelimiter(p[end])) {
                    ++end;
                }
                name.found = true;
                name.quoted = false;
                name.begin = lt + 1;
                name.end = end;
                name.next = end;
                break;
            }
            name = ReadToken(lt + 1);
            if (!name.found) {
                return Fail("Abrupt end within tag");
            }
            if (name.quoted) {
                return Fail("Tag starts with quote");
            }
            const char first = p[name.begin];
            if (first != '?' && first != '!') {
                break;
            }
            if (!StepOverNode(lt, scan)) {
                return Fail("Invalid node");
            }
        }

        int32_t result = 0;
        if (p[name.begin] == '/') {
            --m_nextFree; // the parent's end tag: give the record back
        } else {
            const int32_t gt = FindChar(p, n, name.end, '>');
            if (gt < 0) {
                return Fail("End of tag not found");
            }
            Element& e = m_index[static_cast<size_t>(record)];
            e.startClose = gt;
            if (p[gt - 1] == '/') {
                e.endOpen = gt - 1;
                e.endClose = gt;
                result = record;
            } else {
                e.endOpen = gt + 1;
                e.endClose = 0;
                parent = record; // parse its children next
                continue;
            }
        }

        // Hand the result to its parent; a parent whose end tag was met is closed in turn.
        for (;;) {
            if (parent == 0) {
                if (result > 0) {
                    m_index[0].firstChild = result;
                    return true;
                }
                return false;
            }
            Element& e = m_index[static_cast<size_t>(parent)];
            if (result > 0) {
                if (e.endClose == 0) {
                    e.firstChild = result;
                } else {
                    m_index[static_cast<size_t>(e.endClose)].nextSibling = result;
                }
                e.endClose = result;
                e.endOpen = m_index[static_cast<size_t>(result)].endClose + 1;
                break;
            }
            if (const int32_t gt = PlainEndTag(parent); gt > 0) {
                e.endClose = gt;
                result = parent;
                parent = e.parent;
                continue;
            }
            int32_t tagBegin = 0;
            int32_t tagEnd = 0;
            TagName(parent, tagBegin, tagEnd);
            int32_t pos = e.endOpen + 1;
            int count = 0;
            int32_t gt = -1;
            while (gt < 0) {
                const Token token = ReadToken(pos);
                if (!token.found) {
                    return Fail("End tag not completed for element %s", parent);
                }
                ++count;
                if (count == 2 && !token.quoted &&
                    !NameMatches(p + token.begin, token.end - token.begin, p + tagBegin,
                                 tagEnd - tagBegin)) {
                    return Fail("End tag does not correspond to %s", parent);
                }
                if (!token.quoted && p[token.begin] == '>') {
                    gt = token.begin;
                }
                pos = token.next;
            }
            e.endClose = gt;
            result = parent;
            parent = e.parent;
        }
    }
}

bool CXmlText::FindElement(const QByteArray& name) {
    if (m_index.empty()) {
        return false;
    }
    int32_t at = m_currentPos != 0 ? m_index[static_cast<size_t>(m_currentPos)].nextSibling
                                   : m_index[static_cast<size_t>(m_parentPos)].firstChild;
    for (; at != 0; at = m_index[static_cast<size_t>(at)].nextSibling) {
        if (Matches(at, name)) {
            m_currentPos = at;
            m_parentPos = m_index[static_cast<size_t>(at)].parent;
            m_childPos = 0;
            return true;
        }
    }
    return false;
}

void CXmlText::ResetMainPos() {
    m_currentPos = 0;
    m_childPos = 0;
}

bool CXmlText::FindChildElement(const QByteArray& name) {
    if (m_currentPos == 0 && !FindElement()) {
        return false;
    }
    int32_t at = m_childPos != 0 ? m_index[static_cast<size_t>(m_childPos)].nextSibling
                                 : m_index[static_cast<size_t>(m_currentPos)].firstChild;
    for (; at != 0; at = m_index[static_cast<size_t>(at)].nextSibling) {
        if (Matches(at, name)) {
            m_childPos = at;
            m_currentPos = m_index[static_cast<size_t>(at)].parent;
            m_parentPos = m_index[static_cast<size_t>(m_currentPos)].parent;
            return true;
        }
    }
    return false;
}

bool CXmlText::ChildMatches(const QByteArray& name) const {
    return m_childPos != 0 && Matches(m_childPos, name);
}

bool CXmlText::ElementMatches(const QByteArray& name) const {
    return m_currentPos != 0 && Matches(m_currentPos, name);
}

bool CXmlText::EnterElement() {
    if (m_currentPos == 0) {
        return false;
    }
    m_parentPos = m_currentPos;
    m_currentPos = m_childPos;
    m_childPos = 0;
    return true;
}

bool CXmlText::LeaveElement() {
    if (m_parentPos == 0) {
        return false;
    }
    m_childPos = m_currentPos;
    m_currentPos = m_parentPos;
    m_parentPos = m_index[static_cast<size_t>(m_currentPos)].parent;
    return true;
}

bool CXmlText::ChildDataRange(int32_t& begin, int32_t& end, bool& raw) const {
    if (m_childPos == 0) {
        return false;
    }
    const Element& e = m_index[static_cast<size_t>(m_childPos)];
    if (e.firstChild != 0 || IsEmptyTag(m_childPos)) {
        return false;
    }
    const char* p = m_text.constData();
    int32_t at = e.startClose + 1;
    while (at < e.endOpen && IsSpace(p[at])) {
        ++at;
    }
    static constexpr std::string_view kOpener = "<![CDATA[";
    if (at + 11 < e.endOpen && std::memcmp(p + at, kOpener.data(), kOpener.size()) == 0) {
        const int32_t from = at + static_cast<int32_t>(kOpener.size());
        const std::string_view inside(p + from, static_cast<size_t>(e.endOpen - from));
        const size_t close = inside.find("]]>");
        if (close != std::string_view::npos) {
            begin = from;
            end = from + static_cast<int32_t>(close);
            raw = true;
            return true;
        }
    }
    begin = e.startClose + 1;
    end = e.endOpen;
    raw = false;
    return true;
}

QByteArray CXmlText::GetChildData() const {
    int32_t begin = 0;
    int32_t end = 0;
    bool raw = false;
    if (!ChildDataRange(begin, end, raw)) {
        return QByteArray();
    }
    const char* p = m_text.constData();
    return raw ? QByteArray(p + begin, end - begin) : Unescape(p + begin, p + end);
}

QString CXmlText::GetChildText() const {
    int32_t begin = 0;
    int32_t end = 0;
    bool raw = false;
    if (!ChildDataRange(begin, end, raw)) {
        return QString();
    }
    const char* p = m_text.constData();
    if (raw || std::memchr(p + begin, '&', static_cast<size_t>(end - begin)) == nullptr) {
        return QString::fromUtf8(p + begin, end - begin);
    }
    QVarLengthArray<char, 512> unescaped;
    UnescapeInto(p + begin, p + end, unescaped);
    return QString::fromUtf8(unescaped.constData(), unescaped.size());
}

QByteArray CXmlText::Unescape(const char* begin, const char* end) {
    if (std::memchr(begin, '&', static_cast<size_t>(end - begin)) == nullptr) {
        return QByteArray(begin, static_cast<qsizetype>(end - begin));
    }
    QByteArray out;
    out.reserve(end - begin);
    UnescapeInto(begin, end, out);
    return out;
}

QByteArray CXmlText::Escape(const QByteArray& data) {
    qsizetype extra = 0;
    for (const char c : data) {
        if (c == '<' || c == '>') {
            extra += 3;
        } else if (c == '&') {
            extra += 4;
        }
    }
    if (extra == 0) {
        return data;
    }
    QByteArray out;
    out.reserve(data.size() + extra);
    for (const char c : data) {
        switch (c) {
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '&':
            out.append("&amp;");
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

void CXmlText::ShiftSubtree(int32_t root, int32_t delta) {
    int32_t at = root;
    for (;;) {
        Element& e = m_index[static_cast<size_t>(at)];
        e.startOpen += delta;
        e.startClose += delta;
        e.endOpen += delta;
        e.endClose += delta;
        if (e.firstChild != 0) {
            at = e.firstChild;
            continue;
        }
        while (at != root && m_index[static_cast<size_t>(at)].nextSibling == 0) {
            at = m_index[static_cast<size_t>(at)].parent;
        }
        if (at == root) {
            return;
        }
        at = m_index[static_cast<size_t>(at)].nextSibling;
    }
}

bool CXmlText::AddElement(const QByteArray& name, const QByteArray& data) {
    // A name the parser would not read back as a tag name would corrupt the text.
    if (name.isEmpty()) {
        return false;
    }
    for (const char c : name) {
        if (IsDelimiter(c) || c == '"' || c == '\'') {
            return false;
        }
    }
    if (m_index.empty()) {
        m_index.resize(8);
        ClearRecord(0);
        m_nextFree = 1;
    }
    const int32_t parent = m_parentPos;
    if (parent == 0 && m_index[0].firstChild != 0) {
        return false;
    }

    const QByteArray escaped = Escape(data);
    QByteArray element;
    element.reserve(escaped.size() + 2 * name.size() + 8);
    if (escaped.isEmpty()) {
        element.append('<').append(name).append("/>\r\n");
    } else {
        element.append('<').append(name).append('>').append(escaped);
        element.append("</").append(name).append(">\r\n");
    }
    // Room for the element, the parent's end tag and a line break, all within 32-bit offsets.
    if (m_text.size() + element.size() + name.size() + 8 > kMaxLength) {
        return false;
    }
    if (parent == 0) {
        m_index[0].endOpen = Length();
    }

    // The virtual root has no tags of its own, so neither special case applies to it.
    const bool parentEmptyTag = parent != 0 && IsEmptyTag(parent);
    // "<P //>" would stay an empty-element tag after its last '/' is replaced: refuse rather
    // than write text that reads back differently.
    if (parentEmptyTag) {
        const int32_t slash = m_index[static_cast<size_t>(parent)].endOpen;
        if (m_text.at(slash - 1) == '/') {
            return false;
        }
    }
    const bool parentHollow = parent != 0 && !parentEmptyTag &&
                              m_index[static_cast<size_t>(parent)].startClose + 1 ==
                                  m_index[static_cast<size_t>(parent)].endOpen;

    int32_t offset = 0;
    if (m_currentPos != 0) {
        offset = m_index[static_cast<size_t>(m_currentPos)].endClose + 1;
    } else if (parentEmptyTag) {
        offset = m_index[static_cast<size_t>(parent)].startClose;
    } else {
        offset = m_index[static_cast<size_t>(parent)].endOpen;
    }
    if (!parentEmptyTag) {
        const char* p = m_text.constData();
        const int32_t n = Length();
        int32_t at = offset;
        while (at < n && IsSpace(p[at])) {
            ++at;
        }
        if (at >= n || p[at] == '<') {
            offset = at;
        }
    }
    const int32_t start = offset + (parentEmptyTag || parentHollow ? 2 : 0);

    const int32_t record = TakeRecord();
    const int32_t nameLen = static_cast<int32_t>(name.size());
    {
        Element& e = m_index[static_cast<size_t>(record)];
        e.startOpen = start;
        e.parent = parent;
        e.firstChild = 0;
        e.nextSibling = 0;
        if (escaped.isEmpty()) {
            e.startClose = start + nameLen + 2;
            e.endOpen = e.startClose - 1;
            e.endClose = e.endOpen + 1;
        } else {
            e.startClose = start + nameLen + 1;
            e.endOpen = e.startClose + static_cast<int32_t>(escaped.size()) + 1;
            e.endClose = e.endOpen + nameLen + 2;
        }
    }
    if (m_currentPos != 0) {
        Element& current = m_index[static_cast<size_t>(m_currentPos)];
        m_index[static_cast<size_t>(record)].nextSibling = current.nextSibling;
        current.nextSibling = record;
    } else {
        Element& p = m_index[static_cast<size_t>(parent)];
        if (p.firstChild == 0) {
            p.firstChild = record;
        } else {
            int32_t last = p.firstChild;
            while (m_index[static_cast<size_t>(last)].nextSibling != 0) {
                last = m_index[static_cast<size_t>(last)].nextSibling;
            }
            m_index[static_cast<size_t>(last)].nextSibling = record;
        }
    }

    int32_t delta = 0;
    if (parentEmptyTag) {
        // <P/> becomes <P>, line break, the element, </P>: the '/' is replaced.
        int32_t tagBegin = 0;
        int32_t tagEnd = 0;
        TagName(parent, tagBegin, tagEnd);
        const QByteArray parentName = m_text.mid(tagBegin, tagEnd - tagBegin);
        Element& p = m_index[static_cast<size_t>(parent)];
        QByteArray replacement;
        replacement.reserve(element.size() + parentName.size() + 5);
        replacement.append(">\r\n").append(element).append("</").append(parentName);
        m_text.replace(p.endOpen, 1, replacement);
        delta = static_cast<int32_t>(replacement.size()) - 1;
        p.startClose -= 1;
        p.endOpen -= static_cast<int32_t>(parentName.size()) + 1;
    } else if (parentHollow) {
        const Element& p = m_index[static_cast<size_t>(parent)];
        m_text.insert(p.startClose + 1, QByteArray("\r\n").append(element));
        delta = static_cast<int32_t>(element.size()) + 2;
    } else {
        m_text.insert(start, element);
        delta = static_cast<int32_t>(element.size());
    }

    // Everything after the change moves; the ancestors only stretch.
    for (int32_t s = m_index[static_cast<size_t>(record)].nextSibling; s != 0;
         s = m_index[static_cast<size_t>(s)].nextSibling) {
        ShiftSubtree(s, delta);
    }
    for (int32_t a = parent;; a = m_index[static_cast<size_t>(a)].parent) {
        Element& e = m_index[static_cast<size_t>(a)];
        e.endOpen += delta;
        e.endClose += delta;
        if (a == 0) {
            break;
        }
        for (int32_t s = e.nextSibling; s != 0; s = m_index[static_cast<size_t>(s)].nextSibling) {
            ShiftSubtree(s, delta);
        }
    }

    m_currentPos = record;
    m_childPos = 0;
    return true;
}
