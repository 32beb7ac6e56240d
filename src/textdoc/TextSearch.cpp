#include "TextSearch.h"

namespace {
Qt::CaseSensitivity Sensitivity(QTextDocument::FindFlags flags) {
    return flags & QTextDocument::FindCaseSensitively ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// A line end is no letter or digit, just as the start and end of a block are none.
bool Joins(QChar c) {
    return c.isLetterOrNumber();
}
} // namespace

TextSearch::TextSearch(const QTextDocument* document) : m_text(document->toRawText()) {
    m_text.replace(QChar::Nbsp, u' ');
}

TextSearch::~TextSearch() {
    m_text.fill(QChar(0)); // the decrypted text
}

bool TextSearch::IsWholeWord(QChar before, qsizetype at, qsizetype length) const {
    const qsizetype end = at + length;
    return !Joins(before) && (end >= m_text.size() || !Joins(m_text.at(end)));
}

int TextSearch::Find(const QString& what, int from, QTextDocument::FindFlags flags) const {
    // A match never spans a line end.
    if (what.isEmpty() || what.contains(QChar::ParagraphSeparator))
        return -1;
    const Qt::CaseSensitivity cs = Sensitivity(flags);
    const bool whole = flags & QTextDocument::FindWholeWords;
    if (flags & QTextDocument::FindBackward) {
        // The character at from is after the caret: matches start before it.
        for (qsizetype at = qsizetype(from) - 1; at >= 0; --at) {
            at = m_text.lastIndexOf(what, at, cs);
            if (at < 0)
                return -1;
            if (!whole || IsWholeWord(at > 0 ? m_text.at(at - 1) : QChar(), at, what.size()))
                return int(at);
        }
        return -1;
    }
    for (qsizetype at = qMax(0, from); at <= m_text.size(); ++at) {
        at = m_text.indexOf(what, at, cs);
        if (at < 0)
            return -1;
        if (!whole || IsWholeWord(at > 0 ? m_text.at(at - 1) : QChar(), at, what.size()))
            return int(at);
    }
    return -1;
}

QList<int> TextSearch::FindForReplace(const QString& what, const QString& with,
                                      QTextDocument::FindFlags flags) const {
    QList<int> found;
    if (what.isEmpty() || what.contains(QChar::ParagraphSeparator))
        return found;
    const Qt::CaseSensitivity cs = Sensitivity(flags);
    const bool whole = flags & QTextDocument::FindWholeWords;
    // Once a match is replaced, the character before a match right after it is the last one
    // put in (or, when nothing was, the one that stood before the replaced match).
    qsizetype lastEnd = -1;
    QChar beforeLastEnd;
    const QChar lastPut =
        with.isEmpty() ? QChar() : QChar(with.back() == QChar::Nbsp ? u' ' : with.back());
    for (qsizetype at = 0; at <= m_text.size(); ++at) {
        at = m_text.indexOf(what, at, cs);
        if (at < 0)
            break;
        const QChar before = at == lastEnd ? beforeLastEnd : at > 0 ? m_text.at(at - 1) : QChar();
        if (whole && !IsWholeWord(before, at, what.size()))
            continue;
        found.append(int(at));
        lastEnd = at + what.size();
        beforeLastEnd = with.isEmpty() ? before : lastPut;
        at = lastEnd - 1;
    }
    return found;
}
