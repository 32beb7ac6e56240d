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
    QString text;
    for (qsizetype i = 0; i < bytes; ++i)
        text += QChar(char16_t(u'a' + i % 26));
    return text;
}

// The file with a header field replaced (little-endian), as a crafted file would have it.
QByteArray WithField(QByteArray file, int offset, int size, quint64 value) {
    for (int i = 0; i < size; ++i)
        file[offset + i] = char((value >> (8 * i)) & 0xff);
    return file;
}

} // namespace

class TestStrongContainer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void everyBitFlipIsDetected();
    void everyTruncationIsDetected();
    void reorderedChunksAreDamage_data();
    void reorderedChunksAreDamage();
    void wrongPassword();
    void headerOutOfBounds_data();
    void headerOutOfBounds();
    void testVectors_data();
    void testVectors();
    void formatIsDetectedWithoutPassword();

private:
    // Writes text as a strong file and returns its bytes.
    QByteArray MakeStrong(const QString& name, const QString& text);
    LoadResult Open(const QByteArray& bytes, QString* text = nullptr, QString* reason = nullptr);

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

QByteArray TestStrongContainer::MakeStrong(const QString& name, const QString& text) {
    QString reason;
    const SaveResult saved = SaveTextFile(Path(name), kPassword, text, &reason, FileFormat::Strong);
    if (saved != SaveResult::Saved)
        qWarning() << reason;
    return ReadAll(Path(name));
}

LoadResult TestStrongContainer::Open(const QByteArray& bytes, QString* text, QString* reason) {
    const QString path = Path(QStringLiteral("changed.etx"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return LoadResult::NotRead;
    file.close();
    QString loaded;
    return LoadTextFile(path, kPassword, text ? *text : loaded, reason);
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
    QString reason;
    QCOMPARE(SaveTextFile(path, kPassword, text, &reason, FileFormat(format)), SaveResult::Saved);
    QCOMPARE(ReadAll(path).startsWith(StrongMagic()), format == int(FileFormat::Strong));
    QString loaded;
    FileFormat found = FileFormat(1 - format);
    QCOMPARE(LoadTextFile(path, kPassword, loaded, &reason, ReadOptions(), &found),
             LoadResult::Loaded);
    QCOMPARE(int(found), format);
    QCOMPARE(loaded, text);
    if (format == int(FileFormat::Strong)) {
        // The content is the text as UTF-8, chunk by chunk, each chunk longer by its tag.
        const qsizetype utf8 = text.toUtf8().size();
        const qsizetype chunks =
            qMax<qsizetype>(1, (utf8 + kStrongChunkSize - 1) / kStrongChunkSize);
        QCOMPARE(ReadAll(path).size(), kStrongHeaderSize + utf8 + chunks * kStrongChunkOverhead);
    }
}

void TestStrongContainer::everyBitFlipIsDetected() {
    const QByteArray good = MakeStrong(QStringLiteral("flip.etx"), QStringLiteral("pin 1234\n"));
    QVERIFY(good.size() > kStrongHeaderSize);
    for (int byte = 0; byte < good.size(); ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray bad = good;
            bad[byte] = char(bad[byte] ^ (1 << bit));
            QString reason;
            const LoadResult result = Open(bad, nullptr, &reason);
            const QByteArray where = QByteArray::number(byte) + ":" + QByteArray::number(bit);
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
}

void TestStrongContainer::everyTruncationIsDetected() {
    const QByteArray good = MakeStrong(QStringLiteral("cut.etx"), QStringLiteral("pin 1234\n"));
    for (int length = 0; length < good.size(); ++length) {
        const LoadResult result = Open(good.left(length));
        QVERIFY2(result != LoadResult::Loaded, QByteArray::number(length));
        if (length >= kStrongMagicSize)
            QVERIFY2(result == LoadResult::Damaged, QByteArray::number(length));
    }
}

void TestStrongContainer::reorderedChunksAreDamage_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("cut after a whole chunk") << QStringLiteral("cut");
    QTest::newRow("chunks swapped") << QStringLiteral("swap");
    QTest::newRow("a chunk repeated") << QStringLiteral("repeat");
    QTest::newRow("bytes appended after the end") << QStringLiteral("append");
}

void TestStrongContainer::reorderedChunksAreDamage() {
    QFETCH(QString, change);
    const QByteArray good =
        MakeStrong(QStringLiteral("chunks.etx"), Text(2 * kStrongChunkSize + 5));
    const qsizetype whole = kStrongChunkSize + kStrongChunkOverhead;
    const QByteArray header = good.left(kStrongHeaderSize);
    const QByteArray first = good.mid(kStrongHeaderSize, whole);
    const QByteArray second = good.mid(kStrongHeaderSize + whole, whole);
    const QByteArray last = good.mid(kStrongHeaderSize + 2 * whole);
    QCOMPARE(header + first + second + last, good);
    QByteArray bad;
    if (change == u"cut")
        bad = header + first + second;
    else if (change == u"swap")
        bad = header + second + first + last;
    else if (change == u"repeat")
        bad = header + first + first + second + last;
    else
        bad = good + last;
    QCOMPARE(Open(bad), LoadResult::Damaged);
}

void TestStrongContainer::wrongPassword() {
    const QString path = Path(QStringLiteral("wrong.etx"));
    QCOMPARE(SaveTextFile(path, kPassword, QStringLiteral("x"), nullptr, FileFormat::Strong),
             SaveResult::Saved);
    QString text, reason;
    QCOMPARE(LoadTextFile(path, QStringLiteral("correct horsf"), text, &reason),
             LoadResult::NotDecrypted);
    QVERIFY(text.isEmpty());
    QVERIFY(!reason.contains(QStringLiteral("horse")));
}

void TestStrongContainer::headerOutOfBounds_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");
    QTest::addColumn<quint64>("value");
    QTest::addColumn<QString>("says");
    QTest::newRow("21 passes") << 16 << 4 << quint64(21) << QStringLiteral("at most 20 passes");
    QTest::newRow("passes far too many")
        << 16 << 4 << quint64(0xffffffff) << QStringLiteral("at most 20 passes");
    QTest::newRow("memory above 1 GiB")
        << 20 << 8 << (quint64(1) << 30) + 1024 << QStringLiteral("1024 MiB");
    QTest::newRow("memory of 2^63") << 20 << 8 << (quint64(1) << 63) << QStringLiteral("1024 MiB");
    QTest::newRow("no passes") << 16 << 4 << quint64(0) << QStringLiteral("below");
    QTest::newRow("memory below the minimum")
        << 20 << 8 << quint64(1024) << QStringLiteral("below");
    QTest::newRow("version 2") << 12 << 2 << quint64(2) << QStringLiteral("version 2");
    QTest::newRow("another derivation")
        << 14 << 1 << quint64(2) << QStringLiteral("key derivation this program");
}

void TestStrongContainer::headerOutOfBounds() {
    QFETCH(int, offset);
    QFETCH(int, size);
    QFETCH(quint64, value);
    QFETCH(QString, says);
    const QByteArray good = MakeStrong(QStringLiteral("bounds.etx"), QStringLiteral("x"));
    QString text, reason;
    // Refused before any key is derived, with words that say why.
    QCOMPARE(Open(WithField(good, offset, size, value), &text, &reason), LoadResult::NotRead);
    QVERIFY2(reason.contains(says), qPrintable(reason));
    StrongHeader header;
    HeaderCheck check = HeaderCheck::Ok;
    QCOMPARE(DetectFileFormat(Path(QStringLiteral("changed.etx")), &header, &check),
             FileFormat::Strong);
    QCOMPARE(check, HeaderCheck::Refused);
}

void TestStrongContainer::testVectors_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("masterKey");
    QTest::addColumn<QByteArray>("headerKey");
    QTest::addColumn<QByteArray>("streamKey");
    const QString dir = QStringLiteral(KEYSTOW_VECTORS_DIR);
    QTest::newRow("compatible") << dir + QStringLiteral("/compatible-1.etx")
                                << QStringLiteral("correct horse")
                                << QStringLiteral("Keystow test vector\r\n")
                                << int(FileFormat::Compatible) << QByteArray() << QByteArray()
                                << QByteArray();
    QTest::newRow("strong") << dir + QStringLiteral("/strong-1.etx")
                            << QStringLiteral("correct horse")
                            << QStringLiteral("Keystow test vector\r\n") << int(FileFormat::Strong)
                            << QByteArray(STRONG_VECTOR_MASTER)
                            << QByteArray(STRONG_VECTOR_HEADER_KEY)
                            << QByteArray(STRONG_VECTOR_STREAM_KEY);
}

void TestStrongContainer::testVectors() {
    QFETCH(QString, file);
    QFETCH(QString, password);
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(QByteArray, masterKey);
    QFETCH(QByteArray, headerKey);
    QFETCH(QByteArray, streamKey);
    QString loaded, reason;
    FileFormat found = FileFormat::Compatible;
    QCOMPARE(LoadTextFile(file, password, loaded, &reason, ReadOptions(), &found),
             LoadResult::Loaded);
    QCOMPARE(int(found), format);
    QCOMPARE(loaded, text);
    if (format != int(FileFormat::Strong))
        return;
    // Each step on its own, so that another implementation can find where it differs.
    const QByteArray bytes = ReadAll(file);
    StrongContainer container;
    QCOMPARE(container.ReadHeader(bytes.constData(), bytes.size()), HeaderCheck::Ok);
    QCOMPARE(container.Header().params.ops, 2u);
    QCOMPARE(container.Header().params.memory, quint64(65536));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(container.Header().salt.data()), 16).toHex(),
             QByteArray("000102030405060708090a0b0c0d0e0f"));
    QByteArray master(32, '\0');
    const QByteArray pw = password.toUtf8();
    QCOMPARE(crypto_pwhash(reinterpret_cast<uchar*>(master.data()), 32, pw.constData(), pw.size(),
                           container.Header().salt.data(), 2, 65536, crypto_pwhash_ALG_ARGON2ID13),
             0);
    QCOMPARE(master.toHex(), masterKey);
    QVERIFY(container.SetMasterKey(reinterpret_cast<const uchar*>(master.constData())));
    const auto hex = [](const SodiumBuffer& key) {
        return QByteArray(reinterpret_cast<const char*>(key.data()), int(key.size())).toHex();
    };
    QCOMPARE(hex(container.HeaderKey()), headerKey);
    QCOMPARE(hex(container.StreamKey()), streamKey);
    QByteArray plain;
    QCOMPARE(container.Read(bytes.constData(), bytes.size(), plain), StrongStatus::Opened);
    QCOMPARE(plain, text.toUtf8());
}

void TestStrongContainer::formatIsDetectedWithoutPassword() {
    MakeStrong(QStringLiteral("detect.etx"), QStringLiteral("x"));
    StrongHeader header;
    HeaderCheck check = HeaderCheck::Refused;
    QCOMPARE(DetectFileFormat(Path(QStringLiteral("detect.etx")), &header, &check),
             FileFormat::Strong);
    QCOMPARE(check, HeaderCheck::Ok);
    QCOMPARE(header.params.ops, kFast.ops);
    QCOMPARE(header.params.memory, kFast.memory);
    QCOMPARE(SaveTextFile(Path(QStringLiteral("old.etx")), kPassword, QStringLiteral("x")),
             SaveResult::Saved);
    QCOMPARE(DetectFileFormat(Path(QStringLiteral("old.etx"))), FileFormat::Compatible);
    QCOMPARE(DetectFileFormat(Path(QStringLiteral("missing.etx"))), FileFormat::Compatible);
}

std::unique_ptr<QObject> CreateStrongContainerTest() {
    return std::make_unique<TestStrongContainer>();
}

#include "tst_strongcontainer.moc"
