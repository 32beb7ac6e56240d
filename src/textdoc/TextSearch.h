#pragma once

#include <QList>
#include <QString>
#include <QTextDocument>

// Searches the whole text of a document in one pass and finds what QTextDocument::find finds
// block by block: matches never cross a line end, a no-break space in the text matches a
// space, and a whole word has no letter or digit right before or after it. Searching block by
// block copies every line of a long document on its own; this copies the text once, and wipes
// that copy when it goes.
class TextSearch {
public:
    explicit TextSearch(const QTextDocument* document);
    ~TextSearch();
    TextSearch(const TextSearch&) = delete;
    TextSearch& operator=(const TextSearch&) = delete;

    // Where the first match starts: forward from position from, backward (FindBackward)
    // among matches starting before from. -1 when there is none.
    int Find(const QString& what, int from, QTextDocument::FindFlags flags) const;
    // The starts of the matches that replacing each in turn by with, from the start on, meets:
    // the search goes on after each replacement, which counts as the text before the next.
    QList<int> FindForReplace(const QString& what, const QString& with,
                              QTextDocument::FindFlags flags) const;

private:
    // Whether the match at at is a word of its own, with before as the character before it.
    bool IsWholeWord(QChar before, qsizetype at, qsizetype length) const;

    QString m_text;
};
