// Load and save of a 32 MiB text beside bare DES_ncbc_encrypt over the same bytes, so the
// share of time spent outside the cipher can be read off. Run on demand, never by the tests.
#include "KeyDerivation.h"
#include "TextFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <openssl/des.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kRounds = 3;

double BareDesSeconds(qsizetype bytes, int direction) {
    QByteArray buffer(bytes, 'a');
    const DesKey key = KeyFromPassword("benchmark");
    DES_cblock block;
    std::memcpy(block, key.data(), 8);
    DES_key_schedule schedule;
    DES_set_key_checked(&block, &schedule);
    DES_cblock iv = {};
    QElapsedTimer timer;
    timer.start();
    auto* p = reinterpret_cast<unsigned char*>(buffer.data());
    DES_ncbc_encrypt(p, p, static_cast<long>(buffer.size()), &schedule, &iv, direction);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const qsizetype characters = argc > 1 ? QByteArray(argv[1]).toLongLong() : qsizetype(32) << 20;
    QString text;
    text.reserve(characters);
    const QString line =
        QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789.\r\n");
    while (text.size() < characters)
        text += line;
    text.truncate(characters);
    const qsizetype fileBytes = (characters * 2 / 8 + 1) * 8;

    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("bench.etx"));
    double bestSave = 1e9, bestLoad = 1e9, bestEnc = 1e9, bestDec = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (SaveTextFile(path, QStringLiteral("benchmark"), text) != SaveResult::Saved)
            return 1;
        bestSave = qMin(bestSave, timer.nsecsElapsed() / 1e9);
        QString loaded;
        timer.restart();
        if (LoadTextFile(path, QStringLiteral("benchmark"), loaded) != LoadResult::Loaded ||
            loaded.size() != text.size())
            return 1;
        bestLoad = qMin(bestLoad, timer.nsecsElapsed() / 1e9);
        bestEnc = qMin(bestEnc, BareDesSeconds(fileBytes, DES_ENCRYPT));
        bestDec = qMin(bestDec, BareDesSeconds(fileBytes, DES_DECRYPT));
    }
    const double mib = fileBytes / double(1 << 20);
    std::printf("text: %lld characters, container: %.1f MiB, best of %d\n",
                static_cast<long long>(characters), mib, kRounds);
    std::printf("bare DES encrypt  %8.1f MiB/s\n", mib / bestEnc);
    std::printf("save              %8.1f MiB/s   ratio %.3f\n", mib / bestSave, bestEnc / bestSave);
    std::printf("bare DES decrypt  %8.1f MiB/s\n", mib / bestDec);
    std::printf("load              %8.1f MiB/s   ratio %.3f\n", mib / bestLoad, bestDec / bestLoad);
    return 0;
}
