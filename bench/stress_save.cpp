// stress_save: the writer and the checker that scripts/stress-save.sh drives.
//   stress_save init PATH    saves the first of the two texts
//   stress_save write PATH   saves the two texts in turn, for ever (the script kills it)
//   stress_save check PATH   exit 0 when PATH decrypts to one of the two texts in full
// Each text is 16 MiB on disk. Whenever the writer dies, the file must hold one of them whole.
#include "TextFile.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

const QString kPassword = QStringLiteral("stress test");
// 8 Mi code units less the padding block: exactly 16 MiB on disk.
constexpr qsizetype kUnits = (qsizetype(16) << 19) - 4;

QString Text(int which) {
    QString text(kUnits, Qt::Uninitialized);
    for (qsizetype i = 0; i < kUnits; ++i)
        text[i] = QChar(static_cast<char16_t>(
            0x20 +
            (static_cast<quint64>(i) * 7919u + static_cast<quint64>(which) * 104729u) % 0x3000u));
    return text;
}

int Usage() {
    std::fputs("usage: stress_save init|write|check PATH\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return Usage();
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QString texts[2] = {Text(0), Text(1)};
    QString reason;
    if (std::strcmp(argv[1], "init") == 0)
        return SaveTextFile(path, kPassword, texts[0], &reason) == SaveResult::Saved ? 0 : 2;
    if (std::strcmp(argv[1], "write") == 0) {
        for (int turn = 1;; turn ^= 1) {
            if (SaveTextFile(path, kPassword, texts[turn], &reason) != SaveResult::Saved) {
                std::fprintf(stderr, "save failed: %s\n", qPrintable(reason));
                return 2;
            }
        }
    }
    if (std::strcmp(argv[1], "check") == 0) {
        QString loaded;
        if (LoadTextFile(path, kPassword, loaded, &reason) != LoadResult::Loaded) {
            std::fprintf(stderr, "does not load: %s\n", qPrintable(reason));
            return 3;
        }
        if (loaded == texts[0] || loaded == texts[1])
            return 0;
        std::fprintf(stderr, "loads, but holds neither text in full (%lld code units)\n",
                     static_cast<long long>(loaded.size()));
        return 4;
    }
    return Usage();
}
