#include "SecretString.h"

#include <openssl/crypto.h>

#include <cstring>
#include <utility>

namespace {
SecretString::ReleaseObserver g_releaseObserver = nullptr;
} // namespace

SecretString::SecretString(const QString& text) {
    Assign(text.constData(), text.size());
}

SecretString::SecretString(QString&& text) {
    Assign(text.constData(), text.size());
    WipeQString(text);
}

SecretString::SecretString(const QChar* text, qsizetype size) {
    Assign(text, size);
}

SecretString::SecretString(const SecretString& other) {
    Assign(other.m_data, other.m_size);
}

SecretString::SecretString(SecretString&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

SecretString& SecretString::operator=(const SecretString& other) {
    if (this != &other)
        Assign(other.m_data, other.m_size);
    return *this;
}

SecretString& SecretString::operator=(SecretString&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

SecretString::~SecretString() {
    Release();
}

void SecretString::Clear() {
    Release();
}

void SecretString::Assign(const QChar* text, qsizetype size) {
    // The new buffer is filled before the old one goes, so that self-overlapping sources work.
    QChar* fresh = size > 0 ? new QChar[static_cast<size_t>(size)] : nullptr;
    if (fresh)
        std::memcpy(static_cast<void*>(fresh), text, static_cast<size_t>(size) * sizeof(QChar));
    Release();
    m_data = fresh;
    m_size = size;
}

void SecretString::Release() {
    if (m_data) {
        OPENSSL_cleanse(m_data, static_cast<size_t>(m_size) * sizeof(QChar));
        if (g_releaseObserver)
            g_releaseObserver(m_data, m_size);
        delete[] m_data;
    }
    m_data = nullptr;
    m_size = 0;
}

QString SecretString::View() const {
    return m_data ? QString::fromRawData(m_data, m_size) : QString();
}

bool SecretString::operator==(const SecretString& other) const {
    return View() == other.View();
}

bool SecretString::operator==(const QString& other) const {
    return View() == other;
}

void SecretString::WipeQString(QString& text) {
    if (text.isDetached() && !text.isEmpty()) {
        // data() would detach a shared buffer; this one is ours alone, so write through it.
        QChar* chars = const_cast<QChar*>(text.constData());
        OPENSSL_cleanse(chars, static_cast<size_t>(text.size()) * sizeof(QChar));
    }
    // An unshared string keeps its (now zeroed) buffer until it goes; a shared one lets go.
    text.truncate(0);
}

void SecretString::SetReleaseObserver(ReleaseObserver observer) {
    g_releaseObserver = observer;
}
