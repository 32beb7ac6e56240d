#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

// The screen-lock settings record exactly as it is stored: 1080 bytes, little-endian. The
// reserved ranges (0..283 and 820..1079) are kept byte for byte so that a record written by
// another version of the program keeps what it put there. The screen password's field holds
// its Argon2id verifier, never the password itself; older files held the password there, and
// such a record is converted by UpgradePassword.
class LockSettings {
public:
    static constexpr int kSize = 1080;
    static constexpr int kLockEnabledOffset = 284;
    static constexpr int kLockAtStartupOffset = 288;
    static constexpr int kTimeoutIndexOffset = 292;
    static constexpr int kScreenPasswordOffset = 296;
    static constexpr int kPasswordEnabledOffset = 556;
    static constexpr int kPromptTextOffset = 560;
    static constexpr int kTextFieldSize = 260;

    LockSettings();
    LockSettings(const LockSettings&) = default;
    LockSettings& operator=(const LockSettings&) = default;
    // A copy may hold an old file's screen password until it is upgraded: each is wiped.
    ~LockSettings();

    quint32 lockEnabled() const { return ReadU32(kLockEnabledOffset); }
    void setLockEnabled(quint32 value) { WriteU32(kLockEnabledOffset, value); }
    quint32 lockAtStartup() const { return ReadU32(kLockAtStartupOffset); }
    void setLockAtStartup(quint32 value) { WriteU32(kLockAtStartupOffset, value); }
    quint32 timeoutIndex() const { return ReadU32(kTimeoutIndexOffset); }
    void setTimeoutIndex(quint32 value) { WriteU32(kTimeoutIndexOffset, value); }
    quint32 passwordEnabled() const { return ReadU32(kPasswordEnabledOffset); }
    void setPasswordEnabled(quint32 value) { WriteU32(kPasswordEnabledOffset, value); }

    // Stores the verifier of the password's code-page bytes (empty clears it). False, and the
    // field left as it was, when there was not enough memory to make the verifier.
    bool setScreenPassword(const QByteArray& legacyBytes);
    // Whether a screen password is set, and whether it is the one given.
    bool hasScreenPassword() const { return m_bytes[kScreenPasswordOffset] != 0; }
    bool IsScreenPassword(const QByteArray& legacyBytes) const;
    // Whether the field holds a password as older versions stored it, not a verifier.
    bool holdsPlainPassword() const;
    // Replaces a password stored as it is with its verifier; true when the record changed
    // (false too when the verifier could not be made: the record then stays as it was).
    bool UpgradePassword();
    // Single-byte text up to the first zero (at most 259 bytes).
    QByteArray promptText() const { return ReadText(kPromptTextOffset); }
    void setPromptText(const QByteArray& text) { WriteText(kPromptTextOffset, text); }

    // The record's bytes.
    QByteArray ToBytes() const;
    // Takes the first 1080 bytes; false (and no change) when fewer are given.
    bool FromBytes(const QByteArray& bytes);
    // Zeroes the whole record, the screen password included.
    void Wipe();

private:
    quint32 ReadU32(int offset) const;
    void WriteU32(int offset, quint32 value);
    QByteArray ReadText(int offset) const;
    void WriteText(int offset, const QByteArray& text);

    std::array<char, kSize> m_bytes;
};
