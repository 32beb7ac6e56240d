#include "StrongContainer.h"

#include "FileAccess.h"

#include <QIODevice>

#include <sodium.h>

#include <algorithm>
#include <cstring>

namespace {

// crypto_kdf's context: eight bytes that keep these subkeys apart from any other use of the key.
const char kKdfContext[crypto_kdf_CONTEXTBYTES + 1] = "KSTWFILE";
constexpr quint64 kHeaderSubkeyId = 1;
constexpr quint64 kStreamSubkeyId = 2;
constexpr size_t kKeySize = 32;

static_assert(crypto_kdf_KEYBYTES == kKeySize);
static_assert(crypto_auth_KEYBYTES == kKeySize);
static_assert(crypto_auth_BYTES == kStrongTagSize);
static_assert(crypto_secretstream_xchacha20poly1305_KEYBYTES == kKeySize);
static_assert(crypto_secretstream_xchacha20poly1305_HEADERBYTES == kStrongStreamHeaderSize);
static_assert(crypto_secretstream_xchacha20poly1305_ABYTES == kStrongChunkOverhead);
static_assert(crypto_pwhash_SALTBYTES == kStrongSaltSize);

const uchar* Bytes(const char* data) {
    return reinterpret_cast<const uchar*>(data);
}

} // namespace

StrongContainer::StrongContainer() : m_headerKey(kKeySize), m_streamKey(kKeySize) {}

void StrongContainer::PrepareNew(const StrongParams& params) {
    m_header = StrongHeader();
    m_header.params = params;
    if (SodiumReady())
        randombytes_buf(m_header.salt.data(), m_header.salt.size());
}

HeaderCheck StrongContainer::ReadHeader(const char* data, qint64 size, QString* reason) {
    m_header = StrongHeader();
    return m_header.Parse(data, size, reason);
}

void StrongContainer::SetSalt(const unsigned char* salt) {
    std::copy(salt, salt + m_header.salt.size(), m_header.salt.begin());
}

bool StrongContainer::SplitKey(const unsigned char* master) {
    m_haveKeys = m_headerKey.ok() && m_streamKey.ok() &&
                 crypto_kdf_derive_from_key(m_headerKey.data(), kKeySize, kHeaderSubkeyId,
                                            kKdfContext, master) == 0 &&
                 crypto_kdf_derive_from_key(m_streamKey.data(), kKeySize, kStreamSubkeyId,
                                            kKdfContext, master) == 0;
    return m_haveKeys;
}

bool StrongContainer::DeriveKey(const QString& password) {
    m_haveKeys = false;
    SodiumBuffer master(kKeySize);
    if (!master.ok() || !CheckStrongParams(m_header.params).isEmpty())
        return false;
    QByteArray bytes = password.toUtf8();
    const int derived =
        crypto_pwhash(master.data(), kKeySize, bytes.constData(),
                      static_cast<unsigned long long>(bytes.size()), m_header.salt.data(),
                      m_header.params.ops, m_header.params.memory, crypto_pwhash_ALG_ARGON2ID13);
    sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
    return derived == 0 && SplitKey(master.data());
}

bool StrongContainer::SetMasterKey(const unsigned char* key) {
    return SplitKey(key);
}

bool StrongContainer::Write(QIODevice& out, const char* plain, qint64 size) {
    if (!m_haveKeys)
        return false;
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, m_header.streamHeader.data(),
                                                    m_streamKey.data());
    QByteArray header = m_header.Serialize();
    crypto_auth(m_header.tag.data(), Bytes(header.constData()), kStrongAuthenticatedSize,
                m_headerKey.data());
    header = m_header.Serialize();
    bool ok = WriteAll(out, header.constData(), header.size());
    QByteArray chunk(kStrongChunkSize + kStrongChunkOverhead, Qt::Uninitialized);
    // An empty content is still one (final) chunk, so that a cut after the header shows.
    for (qint64 at = 0; ok; at += kStrongChunkSize) {
        const qint64 count = qMin(kStrongChunkSize, size - at);
        const bool last = at + count >= size;
        unsigned long long written = 0;
        crypto_secretstream_xchacha20poly1305_push(
            &state, reinterpret_cast<uchar*>(chunk.data()), &written, Bytes(plain + at),
            static_cast<unsigned long long>(count), Bytes(header.constData()),
            static_cast<unsigned long long>(header.size()),
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                 : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        ok = WriteAll(out, chunk.constData(), static_cast<qint64>(written));
        if (last)
            break;
    }
    sodium_memzero(&state, sizeof state);
    return ok;
}

StrongStatus StrongContainer::Read(const char* data, qint64 size, QByteArray& plain) {
    plain.clear();
    return Open(data, size, plain, false);
}

StrongStatus StrongContainer::ReadInPlace(QByteArray& file) {
    // data() first: a shared array is copied here, not halfway through.
    const char* data = file.data();
    const StrongStatus status = Open(data, file.size(), file, true);
    if (status != StrongStatus::Opened) {
        sodium_memzero(file.data(), static_cast<size_t>(file.size()));
        file.clear();
    }
    return status;
}

StrongStatus StrongContainer::Open(const char* data, qint64 size, QByteArray& text, bool inPlace) {
    if (!m_haveKeys)
        return StrongStatus::Failed;
    if (size < kStrongHeaderSize)
        return StrongStatus::Damaged;
    if (crypto_auth_verify(m_header.tag.data(), Bytes(data), kStrongAuthenticatedSize,
                           m_headerKey.data()) != 0)
        return StrongStatus::WrongPassword;
    crypto_secretstream_xchacha20poly1305_state state;
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, m_header.streamHeader.data(),
                                                        m_streamKey.data()) != 0)
        return StrongStatus::Damaged;
    // Every chunk is whole but the last, which holds at least its tag.
    const qint64 whole = kStrongChunkSize + kStrongChunkOverhead;
    const qint64 body = size - kStrongHeaderSize;
    const qint64 chunks = (body + whole - 1) / whole;
    if (chunks == 0 || body - (chunks - 1) * whole < kStrongChunkOverhead) {
        sodium_memzero(&state, sizeof state);
        return StrongStatus::Damaged;
    }
    const qint64 length = body - chunks * kStrongChunkOverhead;
    if (!inPlace)
        text.resize(static_cast<qsizetype>(length));
    char* plain = text.data();
    // In place, the first chunk's text lands on the header, which every chunk authenticates, and
    // each chunk is decrypted beside the file first: libsodium does not promise that the text
    // may overlap the chunk it comes from. The text of chunk i only ever lands on chunks up to i.
    unsigned char header[kStrongHeaderSize];
    std::copy(data, data + kStrongHeaderSize, header);
    QByteArray scratch;
    if (inPlace)
        scratch.resize(kStrongChunkSize);
    qint64 in = kStrongHeaderSize;
    qint64 out = 0;
    bool sound = true;
    while (sound && in < size) {
        const qint64 count = qMin(whole, size - in);
        const bool last = in + count >= size;
        unsigned long long produced = 0;
        unsigned char tag = 0;
        uchar* target = reinterpret_cast<uchar*>(inPlace ? scratch.data() : plain + out);
        sound = crypto_secretstream_xchacha20poly1305_pull(
                    &state, target, &produced, &tag, Bytes(data + in),
                    static_cast<unsigned long long>(count), header, kStrongHeaderSize) == 0;
        // The final tag on the last chunk only: a cut at a chunk boundary or a chunk appended
        // after the end shows here.
        sound = sound && tag == (last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                      : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        if (sound && inPlace)
            std::memcpy(plain + out, scratch.constData(), static_cast<size_t>(produced));
        in += count;
        out += static_cast<qint64>(produced);
    }
    sodium_memzero(&state, sizeof state);
    if (inPlace)
        sodium_memzero(scratch.data(), static_cast<size_t>(scratch.size()));
    if (!sound) {
        if (!inPlace) {
            sodium_memzero(plain, static_cast<size_t>(out));
            text.clear();
        }
        return StrongStatus::Damaged;
    }
    if (inPlace) // shrinking keeps the memory, so no copy of the text is left behind
        text.truncate(static_cast<qsizetype>(length));
    return StrongStatus::Opened;
}
