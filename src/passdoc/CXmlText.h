#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>

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
    // The next FindElement searches from the first element of the current parent again.
    void ResetMainPos();
    bool FindChildElement(const QByteArray& name = QByteArray());
    // True when the child position stands on an element that a search for name would find.
    bool ChildMatches(const QByteArray& name) const;
    // The same for the main position.
    bool ElementMatches(const QByteArray& name) const;
    bool EnterElement();
    bool LeaveElement();
    bool AddElement(const QByteArray& name, const QByteArray& data = QByteArray());
    QByteArray GetChildData() const;
    // GetChildData decoded from UTF-8, without the intermediate byte copy (loading thousands of
    // accounts spends much of its time copying values).
    QString GetChildText() const;

    // True when the element tagged T is what a search for S asks for: S is T, or T followed by
    // one of space, '=', '/', '[' and anything after it ("NAME[1]" finds NAME).
    static bool NameMatches(const char* t, int tLen, const char* s, int sLen);
    static QByteArray Escape(const QByteArray& data);
    static QByteArray Unescape(const char* begin, const char* end);

private:
    friend class CXmlTextInspector; // tests compare element trees position by position

    struct Element {
        // Left uninitialised: the index is sized for the whole text before a parse, and each
        // record is filled when it is taken.
        Element() {} // NOLINT(modernize-use-equals-default)
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
    // Where the child's data lies; raw is true for CDATA content, which is not unescaped.
    bool ChildDataRange(int32_t& begin, int32_t& end, bool& raw) const;
    int32_t PlainEndTag(int32_t index) const;
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
    // A growable array of records that leaves new records uninitialised, so that sizing it for
    // a large text costs nothing until records are used.
    class ElementIndex {
    public:
        ElementIndex() = default;
        ElementIndex(const ElementIndex& other) { *this = other; }
        ElementIndex& operator=(const ElementIndex& other) {
            if (this != &other) {
                m_records.reset(other.m_size != 0 ? new Element[other.m_size] : nullptr);
                std::copy(other.m_records.get(), other.m_records.get() + other.m_size,
                          m_records.get());
                m_size = other.m_size;
            }
            return *this;
        }
        ElementIndex(ElementIndex&&) noexcept = default;
        ElementIndex& operator=(ElementIndex&&) noexcept = default;

        size_t size() const { return m_size; }
        bool empty() const { return m_size == 0; }
        Element& operator[](size_t i) { return m_records[i]; }
        const Element& operator[](size_t i) const { return m_records[i]; }
        void resize(size_t size) {
            if (size > m_size) {
                std::unique_ptr<Element[]> grown(new Element[size]);
                std::copy(m_records.get(), m_records.get() + m_size, grown.get());
                m_records = std::move(grown);
                m_size = size;
            }
        }

    private:
        std::unique_ptr<Element[]> m_records;
        size_t m_size = 0;
    };

    ElementIndex m_index;
    int32_t m_nextFree = 1;
    int32_t m_parentPos = 0;
    int32_t m_currentPos = 0;
    int32_t m_childPos = 0;
};
