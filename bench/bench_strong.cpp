// The strong container on a 64 MiB content, after key derivation: saving (through the one write
// path) and loading (read and every chunk checked) beside libsodium's secretstream alone over
// the same buffer in the same chunks. Also the key derivation's time and the peak memory it
// takes. Save and load are given with the disk (file read, write and sync) and without it, in
// memory, where the container does just what the bare stream does. Run on demand, never by the
// tests.
#include "FileAccess.h"
#include "StrongContainer.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sodium.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 5;
const unsigned char kKey[32] = {7};
// Stands for the container's header as associated data.
const unsigned char kAd[kStrongHeaderSize] = {1};

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Bare secretstream over the buffer, chunk by chunk as the container cuts it.
double BarePush(const QByteArray& plain, QByteArray& out, unsigned char* header) {
    crypto_secretstream_xchacha20poly1305_state state;
    QElapsedTimer timer;
    timer.start();
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, kKey);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(plain.constData());
    for (qint64 at = 0; at < plain.size(); at += kStrongChunkSize) {
        const qint64 n = qMin(kStrongChunkSize, plain.size() - at);
        const bool last = at + n >= plain.size();
        unsigned long long written = 0;
        crypto_secretstream_xchacha20poly1305_push(
            &state, o, &written, p + at, static_cast<unsigned long long>(n), kAd, kStrongHeaderSize,
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
        o += written;
    }
    return timer.nsecsElapsed() / 1e9;
}

double BarePull(const QByteArray& sealed, const unsigned char* header, QByteArray& plain) {
    crypto_secretstream_xchacha20poly1305_state state;
    QElapsedTimer timer;
    timer.start();
    crypto_secretstream_xchacha20poly1305_init_pull(&state, header, kKey);
    auto* o = reinterpret_cast<unsigned char*>(plain.data());
    const auto* c = reinterpret_cast<const unsigned char*>(sealed.constData());
    const qint64 whole = kStrongChunkSize + kStrongChunkOverhead;
    for (qint64 at = 0; at < sealed.size(); at += whole) {
        const qint64 n = qMin(whole, sealed.size() - at);
        unsigned long long produced = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, o, &produced, &tag, c + at,
                                                       static_cast<unsigned long long>(n), kAd,
                                                       kStrongHeaderSize) != 0)
            return -1;
        o += produced;
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (sodium_init() < 0)
        return 1;
    const qint64 bytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : qint64(64) << 20;

    // Key derivation with the defaults new files get.
    const long before = PeakKiB();
    StrongContainer derive;
    derive.PrepareNew(DefaultStrongParams());
    QElapsedTimer timer;
    timer.start();
    if (!derive.DeriveKey(QStringLiteral("benchmark password")))
        return 1;
    const double kdf = timer.nsecsElapsed() / 1e9;
    const long after = PeakKiB();
    std::printf("key derivation: Argon2id, %u passes, %llu MiB: %.3f s, peak memory %ld MiB "
                "(%ld MiB before)\n",
                DefaultStrongParams().ops,
                static_cast<unsigned long long>(DefaultStrongParams().memory >> 20), kdf,
                after / 1024, before / 1024);

    QByteArray plain(bytes, Qt::Uninitialized);
    for (qint64 i = 0; i < bytes; ++i)
        plain[i] = char('a' + i % 26);
    const qint64 chunks = qMax<qint64>(1, (bytes + kStrongChunkSize - 1) / kStrongChunkSize);
    QByteArray sealed(bytes + chunks * kStrongChunkOverhead, Qt::Uninitialized);
    QByteArray back(bytes, Qt::Uninitialized);

    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("bench.etx"));
    // Medians over the rounds, as the machine is shared.
    std::vector<double> save, load, push, pull, seal, open, openFresh, freshPull;
    QByteArray memoryFile(sealed.size() + kStrongHeaderSize, Qt::Uninitialized);
    for (int round = 0; round < kRounds; ++round) {
        StrongContainer writer;
        writer.PrepareNew(DefaultStrongParams());
        writer.SetMasterKey(kKey);
        timer.restart();
        if (!WriteWholeFileFrom(path, [&](QIODevice& out) {
                return writer.Write(out, plain.constData(), plain.size());
            }))
            return 1;
        save.push_back(timer.nsecsElapsed() / 1e9);

        // As a load does: the file read whole, then decrypted in the memory it was read into.
        timer.restart();
        QByteArray file;
        StrongContainer reader;
        if (!ReadWholeFile(path, file) ||
            reader.ReadHeader(file.constData(), file.size()) != HeaderCheck::Ok ||
            !reader.SetMasterKey(kKey) || reader.ReadInPlace(file) != StrongStatus::Opened ||
            file.size() != plain.size())
            return 1;
        load.push_back(timer.nsecsElapsed() / 1e9);

        // The container alone, in memory: what it adds to the stream, without the disk.
        {
            QBuffer out(&memoryFile);
            out.open(QIODevice::WriteOnly);
            timer.restart();
            if (!writer.Write(out, plain.constData(), plain.size()))
                return 1;
            seal.push_back(timer.nsecsElapsed() / 1e9);
            StrongContainer again;
            if (again.ReadHeader(memoryFile.constData(), memoryFile.size()) != HeaderCheck::Ok ||
                !again.SetMasterKey(kKey))
                return 1;
            // Into a new buffer of the content's size, as loads did before.
            QByteArray loaded;
            timer.restart();
            if (again.Read(memoryFile.constData(), memoryFile.size(), loaded) !=
                StrongStatus::Opened)
                return 1;
            openFresh.push_back(timer.nsecsElapsed() / 1e9);
            // In the file's own memory, as loads do now.
            QByteArray copy = memoryFile;
            copy.detach();
            timer.restart();
            if (again.ReadInPlace(copy) != StrongStatus::Opened || copy != plain)
                return 1;
            open.push_back(timer.nsecsElapsed() / 1e9);
        }
        unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
        push.push_back(BarePush(plain, sealed, header));
        const double bare = BarePull(sealed, header, back);
        if (bare < 0)
            return 1;
        pull.push_back(bare);
        // The same into memory never touched before.
        timer.restart();
        QByteArray fresh(bytes, Qt::Uninitialized);
        if (BarePull(sealed, header, fresh) < 0)
            return 1;
        freshPull.push_back(timer.nsecsElapsed() / 1e9);
    }
    const double mib = bytes / double(1 << 20);
    const double bPush = Median(push), bPull = Median(pull);
    std::printf("content: %.1f MiB, median of %d\n", mib, kRounds);
    std::printf("bare secretstream push   %8.1f MiB/s\n", mib / bPush);
    std::printf("save (file, synced)      %8.1f MiB/s   ratio %.3f\n", mib / Median(save),
                bPush / Median(save));
    std::printf("save in memory           %8.1f MiB/s   ratio %.3f\n", mib / Median(seal),
                bPush / Median(seal));
    std::printf("bare secretstream pull   %8.1f MiB/s\n", mib / bPull);
    std::printf("bare pull, new memory    %8.1f MiB/s\n", mib / Median(freshPull));
    std::printf("load (file read, in place) %6.1f MiB/s   ratio %.3f\n", mib / Median(load),
                bPull / Median(load));
    std::printf("load in memory, in place %8.1f MiB/s   ratio %.3f\n", mib / Median(open),
                bPull / Median(open));
    std::printf("load in memory, new buffer %6.1f MiB/s   ratio %.3f\n", mib / Median(openFresh),
                bPull / Median(openFresh));
    std::printf("peak memory overall: %ld MiB\n", PeakKiB() / 1024);
    return 0;
}
