#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// A small markup reader and writer that keeps the whole text of one document and an index of
// where each element lies in it. Parsing records positions only; values are copied out when
// asked for. Adding an element edits the text in place and keeps every position in step.
//
// The text is UTF-8. Every markup character is ASCII, and UTF-8 never uses an ASCII byte
// inside a multi-byte sequence, so scanning byte by byte never mistakes part of a character
// for markup.
class CXmlText {
public:
    CXmlText();

    // Replaces the text, parses it and clears the cursor. True when a root element was parsed.
    // Only the first top-level element is read; whatever follows it is not examined.
    bool SetText(const QByteArray& text = QByteArray());
    QByteArray GetText() const { return m_text; }
    // The message of the last failed parse; empty when the last parse did not fail.
    const QByteArray& GetError() const { return m_error; }

    bool FindElement(const QByteArray& name = QByteArray());
    bool FindChildElement(const QByteArray& name = QByteArray());
    bool EnterElement();
    bool LeaveElement();
    bool AddElement(const QByteArray& name, const QByteArray& data = QByteArray());
    QByteArray GetChildData() const;

    // True when the element tagged T is what a search for S asks for: S is T, or T followed by
    // one of space, '=', '/', '[' and anything after it ("NAME[1]" finds NAME).
    static bool NameMatches(const char* t, int tLen, const char* s, int sLen);
    static QByteArray Escape(const QByteArray& data);
    static QByteArray Unescape(const char* begin, const char* end);

private:
    friend class CXmlTextInspector; // tests compare element trees position by position

    struct Element {
        int32_t startOpen;
        int32_t startClose;
        int32_t endOpen; // also the scan position while the element's content is parsed
        int32_t endClose;
        int32_t parent;
        int32_t firstChild;
        int32_t nextSibling;
    };
    struct Token {
        int32_t begin = 0;
        int32_t end = 0;
        int32_t next = 0; // where the scan continues
        bool quoted = false;
        bool found = false;
    };

    Token ReadToken(int32_t pos) const;
    bool StepOverNode(int32_t lt, int32_t& after) const;
    bool Parse();
    bool Fail(const char* message, int32_t element = 0);
    int32_t TakeRecord();
    void ClearRecord(int32_t index);
    bool IsEmptyTag(int32_t index) const;
    bool Matches(int32_t index, const QByteArray& name) const;
    void TagName(int32_t index, int32_t& begin, int32_t& end) const;
    void ShiftSubtree(int32_t index, int32_t delta);
    int32_t Length() const { return static_cast<int32_t>(m_text.size()); }

    QByteArray m_text;
    QByteArray m_error;
    std::vector<Element> m_index;
    int32_t m_nextFree = 1;
    int32_t m_parentPos = 0;
    int32_t m_currentPos = 0;
    int32_t m_childPos = 0;
};
