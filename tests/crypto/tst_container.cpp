#include "CryptoTestSupport.h"

#include "CipherBuffer.h"
#include "FileAccess.h"
#include "FileIdentity.h"
#include "ReferenceCipher.h"
#include "TextFile.h"

#include "../common/TestFiles.h"

#include <QtTest>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

namespace {

quint32 WordAt(const QByteArray& bytes, int index) {
    return qFromLittleEndian<quint32>(bytes.constData() + 4 * index);
}

} // namespace

class TestContainer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void rotationExample();
    void rotationRoundTrip_data();
    void rotationRoundTrip();
    void bufferChecks_data();
    void bufferChecks();
    void encryptRefusesEmptyAndWeak();
    void interopWithReference_data();
    void interopWithReference();
    void fileSizes_data();
    void fileSizes();
    void damagedFiles_data();
    void damagedFiles();
    void paddingOnlyFileIsEmptyText();
    void emptyTextReplacesOldFile();
    void refusedPasswordLeavesFile();
    void zeroCodeUnitEndsText_data();
    void zeroCodeUnitEndsText();
    void newFilesAreOwnerOnly();
    void failedWriteKeepsOldFile();
    void lockedFileIsNotRead();

private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
};

void TestContainer::init() {
    QVERIFY(m_dir.isValid());
}

void TestContainer::rotationExample() {
    QByteArray words(32 * 4 + 4, '\0');
    qToLittleEndian<quint32>(0x80000001u, words.data());
    qToLittleEndian<quint32>(0x12345678u, words.data() + 31 * 4);
    qToLittleEndian<quint32>(0x80000001u, words.data() + 32 * 4);
    RotateWordsLeft(words.data(), words.size());
    QCOMPARE(QByteArray(words.constData(), 4), QByteArray("\x03\x00\x00\x00", 4));
    QCOMPARE(WordAt(words, 31), 0x12345678u);
    QCOMPARE(WordAt(words, 32), 0x00000003u);
}

void TestContainer::rotationRoundTrip_data() {
    QTest::addColumn<int>("length");
    for (int length : {0, 3, 4, 7, 8, 124, 128, 200, 203})
        QTest::addRow("%d bytes", length) << length;
}

void TestContainer::rotationRoundTrip() {
    QFETCH(int, length);
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>(i * 7 + 1));
    QByteArray rotated = bytes;
    RotateWordsLeft(rotated.data(), rotated.size());
    // Every whole word moved (none of these values is rotation-invariant) except word 31; the
    // trailing bytes stay.
    for (int k = 0; k < length / 4; ++k) {
        const quint32 before = WordAt(bytes, k), after = WordAt(rotated, k);
        const unsigned n = (k + 1) % 32;
        QCOMPARE(after, n == 0 ? before : (before << n) | (before >> (32 - n)));
    }
    QCOMPARE(rotated.mid(length / 4 * 4), bytes.mid(length / 4 * 4));
    RotateWordsRight(rotated.data(), rotated.size());
    QCOMPARE(rotated, bytes);
}

void TestContainer::bufferChecks_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<bool>("ok");
    QTest::newRow("one full padding block") << QByteArray(8, '\x08') << true;
    QTest::newRow("padding of 3") << QByteArray("abcde\x03\x03\x03", 8) << true;
    QTest::newRow("last byte 0") << QByteArray("abcdefg\x00", 8) << false;
    QTest::newRow("last byte 9") << QByteArray("abcdefg\x09", 8) << false;
    QTest::newRow("last byte right, others differ") << QByteArray("abcde\x03\x02\x03", 8) << false;
    QTest::newRow("padding longer than data")
        << QByteArray(8, '\x07').append("\x10", 1).append(7, '\x10') << false;
}

void TestContainer::bufferChecks() {
    QFETCH(QByteArray, plain);
    QFETCH(bool, ok);
    const DesKey key = KeyFromPassword("pw");
    // Encrypt the raw blocks without adding padding, so the padding check sees them as given.
    QByteArray cipher = plain;
    QVERIFY(CbcEncryptInPlace(key, cipher.data(), cipher.size()));
    QByteArray out;
    QCOMPARE(DecryptBuffer(key, cipher, out), ok);
    if (ok)
        QCOMPARE(out, plain.left(plain.size() - plain.back()));
    else
        QVERIFY(out.isEmpty());
}

void TestContainer::encryptRefusesEmptyAndWeak() {
    QByteArray out;
    QVERIFY(!EncryptBuffer(KeyFromPassword("pw"), QByteArray(), out));
    QVERIFY(!EncryptBuffer(KeyFromPassword(QByteArray()), QByteArray("x"), out));
    QVERIFY(EncryptBuffer(KeyFromPassword("pw"), QByteArray("12345678"), out));
    QCOMPARE(out.size(), 16);
    QByteArray back;
    QVERIFY(!DecryptBuffer(KeyFromPassword("pw"), out.left(12), back));
    QVERIFY(!DecryptBuffer(KeyFromPassword("pw"), QByteArray(), back));
    QVERIFY(DecryptBuffer(KeyFromPassword("pw"), out, back));
    QCOMPARE(back, QByteArray("12345678"));
}

void TestContainer::interopWithReference_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("legacy");
    QTest::addColumn<QString>("text");
    QTest::newRow("short") << QStringLiteral("a") << QByteArray("a") << QStringLiteral("x");
    QTest::newRow("multi-line") << QStringLiteral("correct horse") << QByteArray("correct horse")
                                << QStringLiteral("line one\r\nline two\r\n\r\n  indented\t.");
    QTest::newRow("accented password") << QStringLiteral("m\u00e9tro\u20ac")
                                       << QByteArray("m\xE9tro\x80") << QStringLiteral("caf\u00e9");
    QTest::newRow("non-latin text")
        << QString(17, QLatin1Char('p')) << QByteArray(17, 'p')
        << QStringLiteral("\u043f\u0440\u0438\u0432\u0435\u0442 \u4e16\u754c \U0001F511");
    QTest::newRow("long password") << QString(259, QLatin1Char('z')) << QByteArray(259, 'z')
                                   << QString(1000, QLatin1Char('q'));
    // Large texts are encrypted in pieces of 2^19 code units: the chaining, the rotation and
    // the padding must run on across them exactly as over one buffer.
    QString large((1 << 20) + 5, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = QChar(static_cast<char16_t>(0x20 + (static_cast<quint64>(i) * 7919u) % 0x3000u));
    for (qsizetype size : {qsizetype(1) << 19, (qsizetype(1) << 19) + 3, (qsizetype(1) << 20) + 5})
        QTest::addRow("%lld code units", static_cast<long long>(size))
            << QStringLiteral("pieces") << QByteArray("pieces") << large.left(size);
}

void TestContainer::interopWithReference() {
    QFETCH(QString, password);
    QFETCH(QByteArray, legacy);
    QFETCH(QString, text);
    // Ours opens what the reference writes ...
    WriteRaw(Path("ref.etx"), ReferenceContainer(legacy, text));
    // The text comes out piece by piece as it is decrypted, and the identity is taken from the
    // bytes as they were read.
    QString loaded, parts;
    FileIdentity identity;
    ReadOptions options;
    options.identity = &identity;
    QCOMPARE(LoadTextFile(Path("ref.etx"), password, loaded, nullptr, options, nullptr,
                          [&parts](QStringView part) { parts += part; }),
             LoadResult::Loaded);
    QCOMPARE(loaded, text);
    QCOMPARE(parts, text);
    QCOMPARE(identity.CompareWith(Path("ref.etx")), FileIdentity::Disk::Same);
    // ... and writes exactly the same bytes, which the reference opens.
    QCOMPARE(SaveTextFile(Path("ours.etx"), password, text), SaveResult::Saved);
    const QByteArray ours = ReadAll(Path("ours.etx"));
    QCOMPARE(ours, ReferenceContainer(legacy, text));
    QString back;
    QVERIFY(ReferenceOpen(legacy, ours, back));
    QCOMPARE(back, text);
    // The UTF-8 variants see the same text.
    QByteArray utf8;
    QCOMPARE(LoadTextFileUtf8(Path("ours.etx"), password, utf8), LoadResult::Loaded);
    QCOMPARE(utf8, text.toUtf8());
}

void TestContainer::fileSizes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::newRow("4 characters") << QStringLiteral("abcd") << 16;
    QTest::newRow("3 characters") << QStringLiteral("abc") << 8;
    QTest::newRow("empty") << QString() << 8;
    QTest::newRow("CR LF and blanks") << QStringLiteral("  a \r\n b  ") << 24;
}

void TestContainer::fileSizes() {
    QFETCH(QString, text);
    QFETCH(int, size);
    QCOMPARE(SaveTextFile(Path("size.etx"), QStringLiteral("pw"), text), SaveResult::Saved);
    QCOMPARE(QFileInfo(Path("size.etx")).size(), qint64(size));
    QString back;
    QCOMPARE(LoadTextFile(Path("size.etx"), QStringLiteral("pw"), back), LoadResult::Loaded);
    QCOMPARE(back, text);
}

void TestContainer::damagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("result");
    const QByteArray good = ReferenceContainer("pw", QStringLiteral("hello world"));
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("pw") << int(LoadResult::NotRead);
    QTest::newRow("length 12") << good.left(12) << QStringLiteral("pw")
                               << int(LoadResult::NotDecrypted);
    QTest::newRow("length 7") << good.left(7) << QStringLiteral("pw")
                              << int(LoadResult::NotDecrypted);
    QTest::newRow("wrong password")
        << good << QStringLiteral("PW") << int(LoadResult::NotDecrypted);
    QTest::newRow("password not in code page")
        << good << QStringLiteral("\u0141") << int(LoadResult::NotDecrypted);
    QTest::newRow("good") << good << QStringLiteral("pw") << int(LoadResult::Loaded);
}

void TestContainer::damagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, password);
    QFETCH(int, result);
    WriteRaw(Path("damaged.etx"), bytes);
    QString text;
    QString reason;
    QCOMPARE(int(LoadTextFile(Path("damaged.etx"), password, text, &reason)), result);
    if (result != int(LoadResult::Loaded)) {
        QVERIFY(text.isEmpty());
        QVERIFY(!reason.isEmpty());
    }
    QCOMPARE(LoadTextFile(Path("missing.etx"), password, text), LoadResult::NotRead);
}

void TestContainer::paddingOnlyFileIsEmptyText() {
    QByteArray block(8, '\x08');
    QVERIFY(CbcEncryptInPlace(KeyFromPassword("pw"), block.data(), block.size()));
    RotateWordsLeft(block.data(), block.size());
    WriteRaw(Path("pad.etx"), block);
    QString text = QStringLiteral("stale");
    QCOMPARE(LoadTextFile(Path("pad.etx"), QStringLiteral("pw"), text), LoadResult::Loaded);
    QVERIFY(text.isEmpty());
}

void TestContainer::emptyTextReplacesOldFile() {
    QCOMPARE(SaveTextFile(Path("secret.etx"), QStringLiteral("pw"), QStringLiteral("my secret")),
             SaveResult::Saved);
    QCOMPARE(SaveTextFile(Path("secret.etx"), QStringLiteral("pw"), QString()), SaveResult::Saved);
    QString text;
    QCOMPARE(LoadTextFile(Path("secret.etx"), QStringLiteral("pw"), text), LoadResult::Loaded);
    QVERIFY(text.isEmpty());
    QCOMPARE(ReadAll(Path("secret.etx")), ReferenceContainer("pw", QString()));
}

void TestContainer::refusedPasswordLeavesFile() {
    WriteRaw(Path("keep.etx"), "old bytes");
    QString reason;
    for (const QString& password : {QString(), QStringLiteral("\u4e2d\u6587")}) {
        QCOMPARE(SaveTextFile(Path("keep.etx"), password, QStringLiteral("new"), &reason),
                 SaveResult::PasswordRefused);
        QVERIFY(!reason.isEmpty());
        QCOMPARE(ReadAll(Path("keep.etx")), QByteArray("old bytes"));
    }
    QCOMPARE(SaveTextFile(Path("never.etx"), QString(), QStringLiteral("new")),
             SaveResult::PasswordRefused);
    QVERIFY(!QFileInfo::exists(Path("never.etx")));
}

void TestContainer::zeroCodeUnitEndsText_data() {
    QTest::addColumn<int>("at");
    QTest::newRow("early") << 2;
    QTest::newRow("in the second piece read") << 600000;
}

void TestContainer::zeroCodeUnitEndsText() {
    QFETCH(int, at);
    QString withNul(at + 700000, QLatin1Char('a'));
    withNul[at] = QChar(0);
    WriteRaw(Path("nul.etx"), ReferenceContainer("pw", withNul));
    QString text, parts;
    QCOMPARE(LoadTextFile(Path("nul.etx"), QStringLiteral("pw"), text, nullptr, ReadOptions(),
                          nullptr, [&parts](QStringView part) { parts += part; }),
             LoadResult::Loaded);
    QCOMPARE(text, withNul.left(at));
    QCOMPARE(parts, text);
}

void TestContainer::newFilesAreOwnerOnly() {
    QCOMPARE(SaveTextFile(Path("private.etx"), QStringLiteral("pw"), QStringLiteral("x")),
             SaveResult::Saved);
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(Path("private.etx")).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0600));
}

void TestContainer::failedWriteKeepsOldFile() {
    const QString path = Path("full.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("the old text")),
             SaveResult::Saved);
    const QByteArray before = ReadAll(path);
    // A file size limit makes every write past 4 KiB fail, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    QString reason;
    const SaveResult result =
        SaveTextFile(path, QStringLiteral("pw"), QString(100000, QLatin1Char('n')), &reason);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &saved) == 0);
    QCOMPARE(result, SaveResult::NotWritten);
    QVERIFY(!reason.isEmpty());
    QCOMPARE(ReadAll(path), before);
    // No temporary file is left behind.
    QCOMPARE(
        QDir(m_dir.path()).entryList({QStringLiteral("full.etx*")}, QDir::Files | QDir::Hidden),
        QStringList{QStringLiteral("full.etx")});
}

void TestContainer::lockedFileIsNotRead() {
    const QString path = Path("busy.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("busy")), SaveResult::Saved);
    const QByteArray before = ReadAll(path);
    QFile other(path);
    QVERIFY(other.open(QIODevice::ReadOnly));
    // Another open file description holding the lock stands for another program.
    QCOMPARE(::flock(other.handle(), LOCK_EX), 0);
    QString text;
    QCOMPARE(LoadTextFile(path, QStringLiteral("pw"), text), LoadResult::NotRead);
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new")),
             SaveResult::NotWritten);
    QCOMPARE(ReadAll(path), before);
    ::flock(other.handle(), LOCK_UN);
    QCOMPARE(LoadTextFile(path, QStringLiteral("pw"), text), LoadResult::Loaded);
}

std::unique_ptr<QObject> CreateContainerTest() {
    return std::make_unique<TestContainer>();
}

#include "tst_container.moc"
