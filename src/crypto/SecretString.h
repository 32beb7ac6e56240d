#pragma once

#include <QString>

#include <cstddef>

// A password or other secret text in a buffer of its own. Unlike QString it never shares that
// buffer: a copy is a copy of the characters, and every buffer it lets go of (on destruction,
// on reassignment, on Clear) is overwritten with zeros before it is freed. A moved-from secret
// is empty.
class SecretString {
public:
    SecretString() = default;
    // Copies the characters. The source stays the caller's to wipe.
    SecretString(const QString& text); // NOLINT: implicit, so that existing callers keep working
    // Copies the characters and overwrites the source when nothing else shares its buffer.
    SecretString(QString&& text); // NOLINT
    SecretString(const QChar* text, qsizetype size);
    SecretString(const SecretString& other);
    SecretString(SecretString&& other) noexcept;
    SecretString& operator=(const SecretString& other);
    SecretString& operator=(SecretString&& other) noexcept;
    ~SecretString();

    bool isEmpty() const { return m_size == 0; }
    qsizetype size() const { return m_size; }
    const QChar* constData() const { return m_data; }

    // Wipes and frees the characters.
    void Clear();

    // A QString that reads this secret's own buffer without copying it (QString::fromRawData).
    // Valid only while this secret lives unchanged; for handing to functions that take
    // const QString&. Modifying the result makes a copy that is not wiped: do not.
    QString View() const;
    // A plain QString copy for what keeps the text (a widget showing it). Not wiped: use it
    // only where the receiver needs a QString of its own.
    QString ToQString() const { return QString(m_data, m_size); }

    bool operator==(const SecretString& other) const;
    bool operator!=(const SecretString& other) const { return !(*this == other); }
    bool operator==(const QString& other) const;
    bool operator!=(const QString& other) const { return !(*this == other); }

    // Overwrites a QString's characters in place when it is the only owner of its buffer
    // (writing to a shared one would only wipe a fresh copy), then empties it; an unshared
    // string keeps its zeroed buffer.
    static void WipeQString(QString& text);

    // Called with every buffer just before it is freed, after it was wiped. Tests use it to see
    // that nothing of the secret is left behind; nullptr (the default) turns it off.
    using ReleaseObserver = void (*)(const QChar* buffer, qsizetype capacity);
    static void SetReleaseObserver(ReleaseObserver observer);

private:
    void Assign(const QChar* text, qsizetype size);
    void Release();

    QChar* m_data = nullptr;
    qsizetype m_size = 0;
};

inline bool operator==(const QString& left, const SecretString& right) {
    return right == left;
}
inline bool operator!=(const QString& left, const SecretString& right) {
    return !(right == left);
}
