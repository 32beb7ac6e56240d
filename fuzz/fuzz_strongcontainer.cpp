// The strong container's reader, with a fixed key so that key derivation does not dominate.
// The first byte chooses: arbitrary bytes as a file (with the header tag made to match, so the
// chunks are reached), or a sound file of the remaining bytes that is then changed in one place,
// which must never open.
#include "StrongContainer.h"

#include <QBuffer>

#include <sodium.h>

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

const unsigned char kKey[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

void ReadAnyBytes(const char* data, qint64 size) {
    StrongContainer container;
    if (container.ReadHeader(data, size) != HeaderCheck::Ok)
        return;
    Check(container.SetMasterKey(kKey));
    QByteArray file(data, size);
    // A matching header tag, so that the stream itself is fuzzed, not only the tag check.
    crypto_auth(reinterpret_cast<unsigned char*>(file.data()) + kStrongAuthenticatedSize,
                reinterpret_cast<const unsigned char*>(file.constData()), kStrongAuthenticatedSize,
                container.HeaderKey().data());
    Check(container.ReadHeader(file.constData(), file.size()) == HeaderCheck::Ok);
    QByteArray plain;
    const StrongStatus status = container.Read(file.constData(), file.size(), plain);
    Check(status != StrongStatus::WrongPassword);
    if (status != StrongStatus::Opened)
        Check(plain.isEmpty());
}

void ChangeSoundFile(const char* data, qint64 size) {
    if (size < 4)
        return;
    const quint32 where = quint32(uchar(data[0])) | quint32(uchar(data[1])) << 8;
    const uchar how = uchar(data[2]);
    const QByteArray text(data + 3, size - 3);
    StrongContainer writer;
    writer.PrepareNew({1, 8192});
    Check(writer.SetMasterKey(kKey));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    Check(writer.Write(out, text.constData(), text.size()));
    QByteArray file = out.data();

    StrongContainer reader;
    Check(reader.ReadHeader(file.constData(), file.size()) == HeaderCheck::Ok);
    Check(reader.SetMasterKey(kKey));
    QByteArray plain;
    Check(reader.Read(file.constData(), file.size(), plain) == StrongStatus::Opened);
    Check(plain == text);

    // One change: a flipped bit (how odd), or a cut (how even).
    if (how & 1) {
        const qint64 at = where % file.size();
        file[at] = char(file[at] ^ (1 << (how >> 1 & 7)));
    } else {
        file.truncate(where % file.size());
    }
    StrongContainer changed;
    if (changed.ReadHeader(file.constData(), file.size()) != HeaderCheck::Ok)
        return;
    Check(changed.SetMasterKey(kKey));
    Check(changed.Read(file.constData(), file.size(), plain) != StrongStatus::Opened);
    Check(plain.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20) || sodium_init() < 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    const qint64 length = static_cast<qint64>(size) - 1;
    if (data[0] & 1)
        ChangeSoundFile(bytes, length);
    else
        ReadAnyBytes(bytes, length);
    return 0;
}
