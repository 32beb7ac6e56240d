// Feeds arbitrary bytes through the load path: rotation, decryption, padding check, UTF-16.
#include "TextFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.etx"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // Two passwords: one usual, one of the longest length.
    QString text;
    LoadTextFile(path, QStringLiteral("secret"), text);
    LoadTextFile(path, QString(259, QLatin1Char('x')), text);
    return 0;
}
