#include "PasswordVerifier.h"

#include <sodium.h>

namespace {
// Interactive limits: 64 MiB and two passes.
constexpr unsigned long long kOpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr size_t kMemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

bool Ready() {
    // Safe to call again and from several threads; negative only when it cannot start at all.
    return sodium_init() >= 0;
}
} // namespace

QByteArray PasswordVerifier::Make(const QByteArray& password) {
    char text[crypto_pwhash_STRBYTES] = {};
    if (!Ready() || crypto_pwhash_str(text, password.constData(),
                                      static_cast<unsigned long long>(password.size()), kOpsLimit,
                                      kMemLimit) != 0)
        return QByteArray();
    return QByteArray(text);
}

bool PasswordVerifier::LooksLikeVerifier(const QByteArray& text) {
    return text.startsWith(crypto_pwhash_argon2id_STRPREFIX);
}

bool PasswordVerifier::Check(const QByteArray& verifier, const QByteArray& password) {
    if (!Ready() || !LooksLikeVerifier(verifier) || verifier.size() >= crypto_pwhash_STRBYTES)
        return false;
    // Zero only when the text is well formed and made with exactly our costs.
    if (crypto_pwhash_str_needs_rehash(verifier.constData(), kOpsLimit, kMemLimit) != 0)
        return false;
    return crypto_pwhash_str_verify(verifier.constData(), password.constData(),
                                    static_cast<unsigned long long>(password.size())) == 0;
}
