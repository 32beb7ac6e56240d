#include "CryptoTestSupport.h"

#include "StrongContainer.h"
#include "StrongTextFile.h"
#include "TextFile.h"

#include "../common/TestFiles.h"

#include <QtTest>

#include <sodium.h>

namespace {

// Cheap enough that hundreds of files open in a moment.
const StrongParams kFast{1, 8192};
const QString kPassword = QStringLiteral("correct horse");

QString Text(qsizetype bytes) {
    return QStringLiteral("abcdefghijklmnopqrstuvwxyz").repeated(bytes / 26 + 1).left(bytes);
}

} // namespace

class TestStrongContainer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void everyChangeIsDetected();
    void headerOutOfBounds_data();
    void headerOutOfBounds();
    void testVectors();

private:
    // Writes text as a strong file and returns its bytes.
    QByteArray MakeStrong(const QString& text);
    LoadResult Open(const QByteArray& bytes, QString* reason = nullptr);

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
};

void TestStrongContainer::initTestCase() {
    QVERIFY(m_dir.isValid());
    SetDefaultStrongParamsForTesting(&kFast);
}

void TestStrongContainer::cleanupTestCase() {
    SetDefaultStrongParamsForTesting(nullptr);
}

QByteArray TestStrongContainer::MakeStrong(const QString& text) {
    const QString path = Path(QStringLiteral("strong.etx"));
    QString reason;
    if (SaveTextFile(path, kPassword, text, &reason, FileFormat::Strong) != SaveResult::Saved)
        qWarning() << reason;
    return ReadAll(path);
}

LoadResult TestStrongContainer::Open(const QByteArray& bytes, QString* reason) {
    const QString path = Path(QStringLiteral("changed.etx"));
    WriteRaw(path, bytes);
    QString loaded;
    return LoadTextFile(path, kPassword, loaded, reason);
}

void TestStrongContainer::roundTrip_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    for (const FileFormat format : {FileFormat::Compatible, FileFormat::Strong}) {
        const char* name = format == FileFormat::Strong ? "strong" : "compatible";
        const auto row = [&](const char* what, const QString& text) {
            QTest::addRow("%s %s", name, what) << int(format) << text;
        };
        row("empty", QString());
        row("line", QStringLiteral("user: ann\r\npassword: x\r\n"));
        row("beyond Latin-1", QStringLiteral("\u0141\u00f3d\u017a \u20ac \U0001F511"));
        row("one whole chunk", Text(kStrongChunkSize));
        row("one chunk and a byte", Text(kStrongChunkSize + 1));
        row("several chunks", Text(3 * kStrongChunkSize + 77));
    }
}

void TestStrongContainer::roundTrip() {
    QFETCH(int, format);
    QFETCH(QString, text);
    const QString path = Path(QStringLiteral("round.etx"));
    QString reason, loaded;
    QCOMPARE(SaveTextFile(path, kPassword, text, &reason, FileFormat(format)), SaveResult::Saved);
    // The format shows without the password, and a missing file counts as the old one.
    StrongHeader header;
    HeaderCheck check = HeaderCheck::Refused;
    QCOMPARE(int(DetectFileFormat(path, &header, &check)), format);
    QCOMPARE(DetectFileFormat(Path(QStringLiteral("missing.etx"))), FileFormat::Compatible);
    FileFormat found = FileFormat(1 - format);
    QCOMPARE(LoadTextFile(path, kPassword, loaded, &reason, ReadOptions(), &found),
             LoadResult::Loaded);
    QCOMPARE(int(found), format);
    QCOMPARE(loaded, text);
    if (format != int(FileFormat::Strong))
        return;
    QCOMPARE(check, HeaderCheck::Ok);
    QCOMPARE(header.params.ops, kFast.ops);
    QCOMPARE(header.params.memory, kFast.memory);
    // The content is the text as UTF-8, chunk by chunk, each chunk longer by its tag.
    const qsizetype utf8 = text.toUtf8().size();
    const qsizetype chunks = qMax<qsizetype>(1, (utf8 + kStrongChunkSize - 1) / kStrongChunkSize);
    QCOMPARE(ReadAll(path).size(), kStrongHeaderSize + utf8 + chunks * kStrongChunkOverhead);
    // A wrong password gives no text and does not echo the password.
    loaded.clear();
    QCOMPARE(LoadTextFile(path, QStringLiteral("correct horsf"), loaded, &reason),
             LoadResult::NotDecrypted);
    QVERIFY(loaded.isEmpty());
    QVERIFY(!reason.contains(QStringLiteral("horse")));
}

void TestStrongContainer::everyChangeIsDetected() {
    const QByteArray good = MakeStrong(QStringLiteral("pin 1234\n"));
    QVERIFY(good.size() > kStrongHeaderSize);
    for (int byte = 0; byte < good.size(); ++byte) {
        const QByteArray where = QByteArray::number(byte);
        const LoadResult cut = Open(good.left(byte));
        QVERIFY2(cut != LoadResult::Loaded &&
                     (byte < kStrongMagicSize || cut == LoadResult::Damaged),
                 "cut at " + where);
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray bad = good;
            bad[byte] = char(bad[byte] ^ (1 << bit));
            QString reason;
            const LoadResult result = Open(bad, &reason);
            QVERIFY2(result != LoadResult::Loaded, where);
            if (byte >= kStrongHeaderSize) {
                // The password was right: a changed chunk is damage, never a wrong password.
                QVERIFY2(result == LoadResult::Damaged, where);
                QCOMPARE(reason, DamagedFileMessage(QStringLiteral("changed.etx")));
            } else if (byte >= kStrongAuthenticatedSize) {
                QVERIFY2(result == LoadResult::NotDecrypted, where);
            }
        }
    }
    // Whole chunks cut off after one, swapped or repeated, and bytes appended after the end.
    const QByteArray many = MakeStrong(Text(2 * kStrongChunkSize + 5));
    const qsizetype whole = kStrongChunkSize + kStrongChunkOverhead;
    const QByteArray header = many.left(kStrongHeaderSize);
    const QByteArray first = many.mid(kStrongHeaderSize, whole);
    const QByteArray second = many.mid(kStrongHeaderSize + whole, whole);
    const QByteArray last = many.mid(kStrongHeaderSize + 2 * whole);
    QCOMPARE(header + first + second + last, many);
    for (const QByteArray& bad : {header + first + second, header + second + first + last,
                                  header + first + first + second + last, many + last})
        QCOMPARE(Open(bad), LoadResult::Damaged);
}

void TestStrongContainer::headerOutOfBounds_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint64>("value");
    QTest::addColumn<QString>("says");
    const QString passes = QStringLiteral("at most 20 passes"), mib = QStringLiteral("1024 MiB");
    QTest::newRow("21 passes") << 16 << quint64(21) << passes;
    QTest::newRow("passes far too many") << 16 << quint64(0xffffffff) << passes;
    QTest::newRow("memory above 1 GiB") << 20 << (quint64(1) << 30) + 1024 << mib;
    QTest::newRow("memory of 2^63") << 20 << (quint64(1) << 63) << mib;
    QTest::newRow("no passes") << 16 << quint64(0) << QStringLiteral("below");
    QTest::newRow("memory below the minimum") << 20 << quint64(1024) << QStringLiteral("below");
    QTest::newRow("version 2") << 12 << quint64(2) << QStringLiteral("version 2");
    QTest::newRow("another derivation")
        << 14 << quint64(2) << QStringLiteral("key derivation this program");
}

void TestStrongContainer::headerOutOfBounds() {
    QFETCH(int, offset);
    QFETCH(quint64, value);
    QFETCH(QString, says);
    // The field at offset, little-endian, as a crafted file would have it.
    QByteArray bad = MakeStrong(QStringLiteral("x"));
    const int size = offset == 12 ? 2 : offset == 14 ? 1 : offset == 16 ? 4 : 8;
    for (int i = 0; i < size; ++i)
        bad[offset + i] = char((value >> (8 * i)) & 0xff);
    // Refused before any key is derived, with words that say why.
    QString reason;
    QCOMPARE(Open(bad, &reason), LoadResult::NotRead);
    QVERIFY2(reason.contains(says), qPrintable(reason));
    StrongHeader header;
    HeaderCheck check = HeaderCheck::Ok;
    QCOMPARE(DetectFileFormat(Path(QStringLiteral("changed.etx")), &header, &check),
             FileFormat::Strong);
    QCOMPARE(check, HeaderCheck::Refused);
}

void TestStrongContainer::testVectors() {
    const QString dir = QStringLiteral(KEYSTOW_VECTORS_DIR),
                  text = QStringLiteral("Keystow test vector\r\n");
    for (const FileFormat format : {FileFormat::Compatible, FileFormat::Strong}) {
        const QString file =
            dir + (format == FileFormat::Strong ? "/strong-1.etx" : "/compatible-1.etx");
        QString loaded;
        FileFormat found = FileFormat(1 - int(format));
        QCOMPARE(LoadTextFile(file, kPassword, loaded, nullptr, ReadOptions(), &found),
                 LoadResult::Loaded);
        QCOMPARE(found, format);
        QCOMPARE(loaded, text);
    }
    // Each step on its own, so that another implementation can find where it differs.
    const QByteArray bytes = ReadAll(dir + QStringLiteral("/strong-1.etx"));
    StrongContainer container;
    QCOMPARE(container.ReadHeader(bytes.constData(), bytes.size()), HeaderCheck::Ok);
    // The master key agrees only if the salt and the cost were read from the right places.
    const StrongParams cost = container.Header().params;
    QByteArray master(32, '\0');
    const QByteArray pw = kPassword.toUtf8();
    QCOMPARE(crypto_pwhash(reinterpret_cast<uchar*>(master.data()), 32, pw.constData(), pw.size(),
                           container.Header().salt.data(), cost.ops, cost.memory,
                           crypto_pwhash_ALG_ARGON2ID13),
             0);
    QCOMPARE(master.toHex(), QByteArray(STRONG_VECTOR_MASTER));
    QVERIFY(container.SetMasterKey(reinterpret_cast<const uchar*>(master.constData())));
    const auto hex = [](const SodiumBuffer& key) {
        return QByteArray(reinterpret_cast<const char*>(key.data()), int(key.size())).toHex();
    };
    QCOMPARE(hex(container.HeaderKey()), QByteArray(STRONG_VECTOR_HEADER_KEY));
    QCOMPARE(hex(container.StreamKey()), QByteArray(STRONG_VECTOR_STREAM_KEY));
    QByteArray plain;
    QCOMPARE(container.Read(bytes.constData(), bytes.size(), plain), StrongStatus::Opened);
    QCOMPARE(plain, text.toUtf8());
}

std::unique_ptr<QObject> CreateStrongContainerTest() {
    return std::make_unique<TestStrongContainer>();
}

#include "tst_strongcontainer.moc"
