#pragma once

#include "SodiumBuffer.h"
#include "StrongHeader.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The plain content goes through the stream in chunks of this many bytes; each chunk grows by
// the stream's 17 bytes of tag and authenticator.
constexpr qint64 kStrongChunkSize = 64 * 1024;
constexpr qint64 kStrongChunkOverhead = 17;

enum class StrongStatus {
    Opened,
    WrongPassword, // the header's tag does not match: the wrong password, or a changed header
    Damaged,       // the header matches, but a chunk fails, is missing, or follows the end
    Failed         // no memory for the keys, or libsodium cannot be used
};

// The strong container: an Argon2id key from the password, split into a subkey that
// authenticates the header and one for an XChaCha20-Poly1305 secretstream over the content.
// A failing header tag therefore means the wrong password, and a failing chunk after a good
// header means damage, so the two can be told apart.
class StrongContainer {
public:
    StrongContainer();

    // For a new file: the parameters and a fresh random salt.
    void PrepareNew(const StrongParams& params);
    // Reads the header of an existing file; the keys are derived afterwards.
    HeaderCheck ReadHeader(const char* data, qint64 size, QString* reason = nullptr);
    const StrongHeader& Header() const { return m_header; }
    // For test vectors: a fixed salt.
    void SetSalt(const unsigned char* salt);

    // Derives the key from the password (its UTF-8 bytes) with the header's parameters. Slow by
    // design: run it off the interface thread.
    bool DeriveKey(const QString& password);
    // Uses a given 32-byte key in place of the derived one (fuzzing, benchmarks, test vectors).
    bool SetMasterKey(const unsigned char* key);

    // Writes header and content. The header's stream header and tag are filled in here.
    bool Write(QIODevice& out, const char* plain, qint64 size);
    // Checks the header tag and every chunk of a whole file whose header was read, and
    // decrypts into plain. Nothing is kept in plain unless every chunk is sound.
    StrongStatus Read(const char* data, qint64 size, QByteArray& plain);
    // The same in the file's own memory: on success file holds the plain content, so a large
    // document needs one buffer, not two; otherwise it is wiped and emptied.
    StrongStatus ReadInPlace(QByteArray& file);

    // The subkeys, for test vectors.
    const SodiumBuffer& HeaderKey() const { return m_headerKey; }
    const SodiumBuffer& StreamKey() const { return m_streamKey; }

private:
    bool SplitKey(const unsigned char* master);
    // Decrypts into text, or, inPlace, into the file's own memory that data points into.
    StrongStatus Open(const char* data, qint64 size, QByteArray& text, bool inPlace);

    StrongHeader m_header;
    SodiumBuffer m_headerKey;
    SodiumBuffer m_streamKey;
    bool m_haveKeys = false;
};
