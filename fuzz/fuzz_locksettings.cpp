// Arbitrary bytes through the lock settings reader: decryption under a fixed key, the padding
// check and the record's fields. A record that is taken must read back byte for byte, and its
// texts must stay inside their fields.
#include "LockSettings.h"
#include "LockSettingsFile.h"

#include <CipherBuffer.h>

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

const DesKey& FixedKey() {
    static const DesKey key = KeyFromPassword(QByteArrayLiteral("fuzzing machine password"));
    return key;
}

// A text field as stored: up to the first zero, never past the field's 259 bytes.
QByteArray FieldText(const QByteArray& plain, int offset) {
    const QByteArray field = plain.mid(offset, LockSettings::kTextFieldSize - 1);
    const qsizetype end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

void CheckRecord(const LockSettings& record, const QByteArray& plain) {
    Check(record.ToBytes() == plain.left(LockSettings::kSize));
    Check(record.promptText().size() < LockSettings::kTextFieldSize);
    Check(record.promptText() == FieldText(plain, LockSettings::kPromptTextOffset));
    // The password field: empty, a verifier or an older file's password.
    const QByteArray password = FieldText(plain, LockSettings::kScreenPasswordOffset);
    Check(record.hasScreenPassword() == !password.isEmpty());
    Check(record.holdsPlainPassword() ==
          (!password.isEmpty() && !password.startsWith("$argon2id$")));
    // An older password still unlocks until it is upgraded; a verifier never matches its own
    // text (and a forged one with other costs is refused without running it).
    if (record.holdsPlainPassword())
        Check(record.IsScreenPassword(password));
    else if (record.hasScreenPassword())
        Check(!record.IsScreenPassword(password));
    // Storing a text read from the record gives the same text back.
    LockSettings copy = record;
    copy.setPromptText(record.promptText());
    Check(copy.promptText() == record.promptText());
    Check(copy.lockEnabled() == record.lockEnabled());
    Check(copy.passwordEnabled() == record.passwordEnabled());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // The bytes as a stored file.
    LockSettings record;
    const QByteArray untouched = record.ToBytes();
    if (LockSettingsFile::Decrypt(bytes, FixedKey(), record)) {
        QByteArray plain;
        Check(DecryptBuffer(FixedKey(), bytes, plain));
        CheckRecord(record, plain);
    } else {
        Check(record.ToBytes() == untouched);
    }

    // The bytes as the record itself, through an encryption and back.
    LockSettings direct;
    if (direct.FromBytes(bytes)) {
        CheckRecord(direct, bytes);
        QByteArray cipher;
        Check(EncryptBuffer(FixedKey(), direct.ToBytes(), cipher));
        LockSettings back;
        Check(LockSettingsFile::Decrypt(cipher, FixedKey(), back));
        Check(back.ToBytes() == direct.ToBytes());
    } else {
        Check(bytes.size() < LockSettings::kSize);
    }
    return 0;
}
