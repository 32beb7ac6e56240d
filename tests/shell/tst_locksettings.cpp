// The lock settings record: byte layout, reserved bytes, the encrypted file and its failures.
#include "ShellTestSupport.h"

#include "CEditorApp.h"
#include "CMainFrame.h"
#include "LockSettings.h"
#include "LockSettingsFile.h"

#include "../common/TestFiles.h"

#include <CipherBuffer.h>
#include <FileAccess.h>
#include <KeyDerivation.h>

#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sodium.h>

#include <new>

namespace {

QByteArray EncryptWithMachineKey(const QByteArray& plain) {
    const DesKey key = KeyFromPassword(LockSettingsFile::MachinePassword());
    QByteArray cipher;
    if (!EncryptBuffer(key, plain, cipher))
        return QByteArray();
    return cipher;
}

quint32 U32At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Arbitrary bytes, the same on every run so that a failure can be repeated.
QByteArray RandomBytes(int size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

class TestLockSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newRecordIsAllZero();
    void fieldsLandAtTheirOffsets();
    void textFieldsAreCutAndBounded_data();
    void textFieldsAreCutAndBounded();
    void reservedBytesAreCarriedThrough();
    void screenPasswordComparedInPlace_data();
    void screenPasswordComparedInPlace();
    void screenPasswordVerified_data();
    void screenPasswordVerified();
    void olderFileRewrittenWithoutPassword();
    void destroyedRecordIsWiped();
    void fileRoundTrip();
    void fileIsPlainCipherWithoutRotation();
    void unreadableFileLeavesValues_data();
    void unreadableFileLeavesValues();
    void longerContentTakesFirstRecord();
    void loadPushesIdleTimeAndPrompt();
    void failedLoadKeepsFrameValues();
    void timeoutTable_data();
    void timeoutTable();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestLockSettings::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("locksettings.dat"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
}

void TestLockSettings::cleanup() {
    m_dir.reset();
}

void TestLockSettings::newRecordIsAllZero() {
    const LockSettings record;
    const QByteArray bytes = record.ToBytes();
    QCOMPARE(bytes.size(), 1080);
    QCOMPARE(bytes, QByteArray(1080, '\0'));
}

void TestLockSettings::fieldsLandAtTheirOffsets() {
    LockSettings record;
    record.setLockEnabled(1);
    record.setLockAtStartup(0x01020304);
    record.setTimeoutIndex(7);
    record.setScreenPassword("secret");
    record.setPasswordEnabled(1);
    record.setPromptText("Come back soon");
    const QByteArray bytes = record.ToBytes();
    QCOMPARE(U32At(bytes, 284), 1u);
    QCOMPARE(U32At(bytes, 288), 0x01020304u);
    // Little-endian on disk whatever the machine.
    QCOMPARE(bytes.at(288), '\x04');
    QCOMPARE(U32At(bytes, 292), 7u);
    QVERIFY(bytes.mid(296, 260).startsWith("$argon2id$"));
    QCOMPARE(U32At(bytes, 556), 1u);
    QCOMPARE(bytes.mid(560, 15), QByteArray("Come back soon\0", 15));
    QCOMPARE(bytes.left(284), QByteArray(284, '\0'));
    QCOMPARE(bytes.mid(820), QByteArray(260, '\0'));

    LockSettings back;
    QVERIFY(back.FromBytes(bytes));
    QCOMPARE(back.lockAtStartup(), 0x01020304u);
    QVERIFY(back.IsScreenPassword("secret"));
    QCOMPARE(back.promptText(), QByteArray("Come back soon"));
}

void TestLockSettings::textFieldsAreCutAndBounded_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("259 bytes") << QByteArray(259, 'a') << QByteArray(259, 'a');
    QTest::newRow("260 bytes cut to 259") << QByteArray(260, 'b') << QByteArray(259, 'b');
    QTest::newRow("1000 bytes cut to 259") << QByteArray(1000, 'c') << QByteArray(259, 'c');
}

void TestLockSettings::textFieldsAreCutAndBounded() {
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, expected);
    LockSettings record;
    record.setPasswordEnabled(0xFFFFFFFF);
    record.setPromptText(stored);
    QCOMPARE(record.promptText(), expected);
    // The neighbouring field stays untouched and the terminator is in place.
    QCOMPARE(record.passwordEnabled(), 0xFFFFFFFFu);
    QCOMPARE(record.ToBytes().at(560 + 259), '\0');

    // A damaged record without a terminator is read no further than its field.
    QByteArray bytes = record.ToBytes();
    bytes.replace(296, 260, QByteArray(260, 'x'));
    LockSettings damaged;
    QVERIFY(damaged.FromBytes(bytes));
    QVERIFY(damaged.IsScreenPassword(QByteArray(259, 'x')));
}

void TestLockSettings::reservedBytesAreCarriedThrough() {
    QByteArray original = RandomBytes(1080, 1080);
    LockSettings record;
    QVERIFY(record.FromBytes(original));
    record.setLockEnabled(0);
    record.setTimeoutIndex(2);
    record.setScreenPassword("pw");
    record.setPromptText("locked");
    QVERIFY(LockSettingsFile::Write(m_path, record));
    LockSettings reread;
    QVERIFY(LockSettingsFile::Read(m_path, reread));
    const QByteArray bytes = reread.ToBytes();
    QCOMPARE(bytes.left(284), original.left(284));
    QCOMPARE(bytes.mid(820), original.mid(820));
    QCOMPARE(reread.timeoutIndex(), 2u);
    QCOMPARE(reread.promptText(), QByteArray("locked"));
}

void TestLockSettings::screenPasswordComparedInPlace_data() {
    QTest::addColumn<QByteArray>("field"); // the field's 260 bytes as stored, zero-padded
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("same");
    QTest::addColumn<bool>("set");
    QTest::newRow("equal") << QByteArray("secret") << QByteArray("secret") << true << true;
    QTest::newRow("typed shorter") << QByteArray("secret") << QByteArray("secre") << false << true;
    QTest::newRow("typed longer") << QByteArray("secret") << QByteArray("secrets") << false << true;
    QTest::newRow("case differs") << QByteArray("secret") << QByteArray("Secret") << false << true;
    QTest::newRow("none set, none typed") << QByteArray() << QByteArray() << true << false;
    QTest::newRow("none set, typed") << QByteArray() << QByteArray("x") << false << false;
    QTest::newRow("longest") << QByteArray(259, 'p') << QByteArray(259, 'p') << true << true;
    // A damaged field without its terminator counts as its first 259 bytes, as when read.
    QTest::newRow("no terminator") << QByteArray(260, 'q') << QByteArray(259, 'q') << true << true;
    QTest::newRow("no terminator, 260 typed")
        << QByteArray(260, 'q') << QByteArray(260, 'q') << false << true;
}

void TestLockSettings::screenPasswordComparedInPlace() {
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, typed);
    QFETCH(bool, same);
    QFETCH(bool, set);
    QByteArray bytes(LockSettings::kSize, '\0');
    bytes.replace(LockSettings::kScreenPasswordOffset, field.size(), field);
    LockSettings record;
    QVERIFY(record.FromBytes(bytes));
    QCOMPARE(record.IsScreenPassword(typed), same);
    QCOMPARE(record.hasScreenPassword(), set);
}

void TestLockSettings::screenPasswordVerified_data() {
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("right");
    QTest::newRow("same") << QByteArray("secret") << QByteArray("secret") << true;
    QTest::newRow("code page") << QByteArray("p\xe4ss") << QByteArray("p\xe4ss") << true;
    QTest::newRow("typed shorter") << QByteArray("secret") << QByteArray("secre") << false;
    QTest::newRow("typed longer") << QByteArray("secret") << QByteArray("secrets") << false;
    QTest::newRow("verifier typed") << QByteArray("secret") << QByteArray("$argon2id$") << false;
    // Longer than the field: what the field could hold counts, as before.
    QTest::newRow("cut at 259") << QByteArray(300, 'p') << QByteArray(259, 'p') << true;
}

void TestLockSettings::screenPasswordVerified() {
    QFETCH(QByteArray, set);
    QFETCH(QByteArray, typed);
    QFETCH(bool, right);
    LockSettings record;
    QVERIFY(record.setScreenPassword(set));
    QVERIFY(record.hasScreenPassword());
    QVERIFY(!record.holdsPlainPassword());
    QVERIFY(!record.ToBytes().contains(set.left(259)));
    QCOMPARE(record.IsScreenPassword(typed), right);
    // A forged verifier with other costs is refused unchecked, even for its own password.
    char text[crypto_pwhash_STRBYTES] = {};
    QVERIFY(sodium_init() >= 0 &&
            crypto_pwhash_str(text, "secret", 6, crypto_pwhash_OPSLIMIT_INTERACTIVE + 1,
                              crypto_pwhash_MEMLIMIT_MIN) == 0);
    const QByteArray foreign(text, int(qstrlen(text)) + 1); // with its end
    LockSettings forged;
    QVERIFY(forged.FromBytes(
        record.ToBytes().replace(LockSettings::kScreenPasswordOffset, foreign.size(), foreign)));
    QVERIFY(!forged.holdsPlainPassword());
    QVERIFY(!forged.IsScreenPassword("secret"));
}

void TestLockSettings::olderFileRewrittenWithoutPassword() {
    // The form older versions wrote: every field set, the password as it is, reserved bytes.
    const QByteArray password("Tr0ub4dor &3");
    QByteArray old = RandomBytes(LockSettings::kSize, 7);
    const QByteArray field = password.leftJustified(LockSettings::kTextFieldSize, '\0');
    old.replace(LockSettings::kScreenPasswordOffset, field.size(), field);
    WriteRaw(m_path, EncryptWithMachineKey(old));
    QVERIFY(QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther));
    LockSettings record;
    QVERIFY(LockSettingsFile::Read(m_path, record));
    QVERIFY(record.IsScreenPassword(password));
    QVERIFY(!record.IsScreenPassword("Tr0ub4dor &4"));
    QVERIFY(!record.ToBytes().contains(password));
    // On disk at once: nothing of the password, everything else byte for byte, owner only.
    QCOMPARE(QFile::permissions(m_path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QByteArray cipher, plain;
    QVERIFY(ReadWholeFile(m_path, cipher));
    QVERIFY(DecryptBuffer(KeyFromPassword(LockSettingsFile::MachinePassword()), cipher, plain));
    QVERIFY(!plain.contains(password));
    QVERIFY(plain.mid(LockSettings::kScreenPasswordOffset).startsWith("$argon2id$"));
    QCOMPARE(QByteArray(plain).replace(LockSettings::kScreenPasswordOffset, field.size(), field),
             old);
    // Read again, the new form stays as it is.
    LockSettings again;
    QVERIFY(LockSettingsFile::Read(m_path, again));
    QCOMPARE(again.ToBytes(), plain);
}

void TestLockSettings::destroyedRecordIsWiped() {
    // The record lives in storage of the test's own, so its bytes can be looked at after it.
    alignas(LockSettings) unsigned char storage[sizeof(LockSettings)];
    auto* record = new (storage) LockSettings;
    // As an older file holds it, before the upgrade.
    QByteArray bytes(LockSettings::kSize, '\0');
    bytes.replace(LockSettings::kScreenPasswordOffset, 13, "screen secret");
    QVERIFY(record->FromBytes(bytes));
    record->setPromptText("prompt");
    QVERIFY(QByteArray::fromRawData(reinterpret_cast<const char*>(storage), sizeof storage)
                .contains("screen secret"));
    record->~LockSettings();
    for (unsigned char byte : storage)
        QCOMPARE(int(byte), 0);
}

void TestLockSettings::fileRoundTrip() {
    LockSettings record;
    record.setLockEnabled(1);
    record.setLockAtStartup(1);
    record.setTimeoutIndex(4);
    record.setScreenPassword("p\xe4ssword");
    record.setPasswordEnabled(1);
    record.setPromptText("Press a key");
    QVERIFY(LockSettingsFile::Write(m_path, record));
    LockSettings reread;
    QVERIFY(LockSettingsFile::Read(m_path, reread));
    QCOMPARE(reread.ToBytes(), record.ToBytes());
}

void TestLockSettings::fileIsPlainCipherWithoutRotation() {
    LockSettings record;
    record.setPromptText("Visible only after decryption");
    QVERIFY(LockSettingsFile::Write(m_path, record));
    QByteArray cipher;
    QVERIFY(ReadWholeFile(m_path, cipher));
    // 1080 bytes plus a whole block of padding, nothing else.
    QCOMPARE(cipher.size(), 1088);
    QVERIFY(!cipher.contains("Visible"));
    const DesKey key = KeyFromPassword(LockSettingsFile::MachinePassword());
    QByteArray plain;
    QVERIFY(DecryptBuffer(key, cipher, plain));
    QCOMPARE(plain, record.ToBytes());
}

void TestLockSettings::unreadableFileLeavesValues_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("no file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("not a multiple of 8") << RandomBytes(1085, 1085) << true;
    {
        // Encrypted under another machine's key. About one key in 256 would pass the padding
        // check by chance, so take the first that does not on this machine.
        const DesKey mine = KeyFromPassword(LockSettingsFile::MachinePassword());
        QByteArray cipher, plain;
        for (int n = 0; n < 64; ++n) {
            EncryptBuffer(KeyFromPassword("another machine " + QByteArray::number(n)),
                          QByteArray(1080, '\x01'), cipher);
            if (!DecryptBuffer(mine, cipher, plain))
                break;
        }
        QTest::newRow("other key") << cipher << true;
    }
    QTest::newRow("short record") << EncryptWithMachineKey(QByteArray(1000, '\x01')) << true;
    QTest::newRow("one byte short") << EncryptWithMachineKey(QByteArray(1079, '\x01')) << true;
}

void TestLockSettings::unreadableFileLeavesValues() {
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    if (exists) {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    LockSettings record;
    record.setTimeoutIndex(5);
    record.setPromptText("kept");
    const QByteArray before = record.ToBytes();
    QVERIFY(!LockSettingsFile::Read(m_path, record));
    QCOMPARE(record.ToBytes(), before);
}

void TestLockSettings::longerContentTakesFirstRecord() {
    LockSettings wanted;
    wanted.setTimeoutIndex(6);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(EncryptWithMachineKey(wanted.ToBytes() + QByteArray(40, '\x7f')));
    file.close();
    LockSettings record;
    QVERIFY(LockSettingsFile::Read(m_path, record));
    QCOMPARE(record.ToBytes(), wanted.ToBytes());
}

void TestLockSettings::loadPushesIdleTimeAndPrompt() {
    LockSettings stored;
    stored.setTimeoutIndex(3);
    stored.setPromptText("Gone for lunch");
    QVERIFY(LockSettingsFile::Write(m_path, stored));

    CEditorApp app;
    app.SetLockSettingsPath(m_path);
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QVERIFY(frame);
    QCOMPARE(frame->m_timeoutSeconds, 300u);
    QCOMPARE(frame->m_promptText, QByteArray("Gone for lunch"));

    // The file is the source of truth: a change there shows at the next load.
    stored.setTimeoutIndex(7);
    QVERIFY(LockSettingsFile::Write(m_path, stored));
    app.LoadLockSettings();
    QCOMPARE(frame->m_timeoutSeconds, 3600u);

    // SaveLockSettings writes the cached record back.
    app.GetLockSettings().setTimeoutIndex(1);
    app.SaveLockSettings();
    LockSettings reread;
    QVERIFY(LockSettingsFile::Read(m_path, reread));
    QCOMPARE(reread.timeoutIndex(), 1u);
}

void TestLockSettings::failedLoadKeepsFrameValues() {
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // A record whose last padding byte becomes 9 when decrypted: flipping a bit of the
    // next-to-last cipher block flips the same bit of the last plain block.
    QByteArray damaged = EncryptWithMachineKey(QByteArray(1080, '\x01'));
    damaged[damaged.size() - 9] = static_cast<char>(damaged[damaged.size() - 9] ^ 0x01);
    file.write(damaged);
    file.close();
    LockSettings check;
    QVERIFY(!LockSettingsFile::Read(m_path, check));
    CEditorApp app;
    app.SetLockSettingsPath(m_path);
    QVERIFY(app.InitInstance());
    // The frame keeps its own initial idle time; the record stays all zero.
    QCOMPARE(app.MainFrame()->m_timeoutSeconds, 10u);
    QVERIFY(app.MainFrame()->m_promptText.isEmpty());
    QCOMPARE(app.GetLockSettings().ToBytes(), QByteArray(1080, '\0'));
}

void TestLockSettings::timeoutTable_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("minutes");
    const int table[] = {1, 2, 3, 5, 10, 15, 30, 60};
    for (int i = 0; i < 8; ++i)
        QTest::addRow("index %d", i) << i << table[i];
    // A damaged record must not reach beyond the table; it gets the shortest time.
    QTest::newRow("index 8") << 8 << 1;
    QTest::newRow("huge index") << 0x7fffffff << 1;
    QTest::newRow("negative") << -1 << 1;
}

void TestLockSettings::timeoutTable() {
    QFETCH(int, index);
    QFETCH(int, minutes);
    QCOMPARE(CEditorApp::TimeoutMinutes(index), minutes);
}

std::unique_ptr<QObject> CreateLockSettingsTest() {
    return std::make_unique<TestLockSettings>();
}

#include "tst_locksettings.moc"
