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

void CheckRecord(const LockSettings& record, const QByteArray& plain) {
    Check(record.ToBytes() == plain.left(LockSettings::kSize));
    Check(record.screenPassword().size() < LockSettings::kTextFieldSize);
    Check(record.promptText().size() < LockSettings::kTextFieldSize);
    Check(!record.screenPassword().contains('\0'));
    // Storing a text read from the record gives the same text back.
    LockSettings copy = record;
    copy.setScreenPassword(record.screenPassword());
    copy.setPromptText(record.promptText());
    Check(copy.screenPassword() == record.screenPassword());
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
