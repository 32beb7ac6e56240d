// keystow-cli and the strong format: writing it, telling the formats apart, moving a file.
#include "AccountsJson.h"
#include "MigrationSamples.h"
#include "PasswordsFile.h"
#include "StrongHeader.h"

#include "CliRun.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestStrongCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void writersTakeStrong_data();
    void writersTakeStrong();
    void info_data();
    void info();
    void upgradeKeepsEveryAccount_data();
    void upgradeKeepsEveryAccount();
    void upgradeRefusals_data();
    void upgradeRefusals();
    void verifyFindsEveryDamage_data();
    void verifyFindsEveryDamage();
    void pipedInputs_data();
    void pipedInputs();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // A file for the tests: compatible or strong, holding one line.
    QString Make(const QString& name, bool strong);

    QTemporaryDir m_dir;
};

void TestStrongCli::initTestCase() {
    QVERIFY(m_dir.isValid());
    WriteRaw(Path("note.txt"), "pin 1234\n");
    WriteRaw(Path("accounts.json"),
             R"({"web":[{"name":"Bank","address":"","userId":"me","password":"pw","notes":""}],)"
             R"("mail":[],"other":[]})");
}

QString TestStrongCli::Make(const QString& name, bool strong) {
    QStringList args{"encrypt", Path("note.txt"), Path(name), "--force"};
    if (strong)
        args << "--strong";
    const CliResult made = RunCli(args);
    return made.code == 0 ? Path(name) : QString();
}

void TestStrongCli::writersTakeStrong_data() {
    QTest::addColumn<QStringList>("write");
    QTest::addColumn<QStringList>("read");
    QTest::addColumn<bool>("strong");
    const QString note = QStringLiteral("note.txt"), json = QStringLiteral("accounts.json");
    QTest::newRow("encrypt") << QStringList{"encrypt", note, "out.etx"}
                             << QStringList{"decrypt", "out.etx"} << false;
    QTest::newRow("encrypt --strong") << QStringList{"encrypt", note, "out.etx", "--strong"}
                                      << QStringList{"decrypt", "out.etx"} << true;
    QTest::newRow("import") << QStringList{"import", json, "out.ksw"}
                            << QStringList{"list", "out.ksw"} << false;
    QTest::newRow("import --strong") << QStringList{"import", json, "out.ksw", "--strong"}
                                     << QStringList{"list", "out.ksw"} << true;
}

void TestStrongCli::writersTakeStrong() {
    QFETCH(QStringList, write);
    QFETCH(QStringList, read);
    QFETCH(bool, strong);
    const auto inDir = [this](QStringList args) {
        for (int i = 1; i < args.size(); ++i)
            if (!args[i].startsWith(u'-'))
                args[i] = Path(args[i]);
        return args;
    };
    const CliResult written = RunCli(inDir(write) << "--force");
    QVERIFY2(written.code == 0, written.err.constData());
    const QString out = Path(write.at(2));
    QCOMPARE(ReadAll(out).startsWith(StrongMagic()), strong);
    const CliResult back = RunCli(inDir(read));
    QVERIFY2(back.code == 0, back.err.constData());
    QVERIFY(back.out.contains(write.first() == u"encrypt" ? "pin 1234" : "Bank"));
}

void TestStrongCli::info_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArrayList>("says");
    QTest::newRow("compatible") << Make("info-old.etx", false) << 0
                                << QByteArrayList{"format: compatible\n"};
    const QString strong = Make("info-new.etx", true);
    QTest::newRow("strong") << strong << 0
                            << QByteArrayList{"format: strong\n", "version: 1\n",
                                              "key derivation: argon2id\n", "operations: 5\n",
                                              "memory: 134217728\n"};
    QByteArray crafted = ReadAll(strong);
    crafted[16] = char(200); // 200 passes
    WriteRaw(Path("info-crafted.etx"), crafted);
    QTest::newRow("parameters out of bounds")
        << Path("info-crafted.etx") << 2 << QByteArrayList{"at most 20 passes"};
    WriteRaw(Path("info-cut.etx"), ReadAll(strong).left(40));
    QTest::newRow("cut header") << Path("info-cut.etx") << 3 << QByteArrayList{"damaged"};
    QTest::newRow("missing") << Path("none.etx") << 2 << QByteArrayList{"no such file"};
}

void TestStrongCli::info() {
    QFETCH(QString, file);
    QFETCH(int, code);
    QFETCH(QByteArrayList, says);
    // No password is given: info never asks for one.
    const CliResult run = RunCli({"info", file}, QByteArray());
    QCOMPARE(run.code, code);
    for (const QByteArray& words : says)
        QVERIFY2((run.out + run.err).contains(words), run.out + run.err);
}

void TestStrongCli::upgradeKeepsEveryAccount_data() {
    QTest::addColumn<AccountSet>("accounts");
    AddAccountSetRows();
}

void TestStrongCli::upgradeKeepsEveryAccount() {
    QFETCH(AccountSet, accounts);
    AccountStore store;
    FillStore(accounts, store);
    const QString path = Path("upgrade.ksw");
    QCOMPARE(SavePasswordsFile(path, "secret", store), SaveResult::Saved);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    const CliResult run = RunCli({"upgrade", path});
    QVERIFY2(run.code == 0, run.err.constData());
    QVERIFY(ReadAll(path).startsWith(StrongMagic()));
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, 0640u);
    AccountStore back;
    FileFormat format = FileFormat::Compatible;
    QCOMPARE(OpenPasswordsFile(path, "secret", back, nullptr, &format),
             PasswordsLoadResult::Loaded);
    QCOMPARE(format, FileFormat::Strong);
    CompareSets(SetOf(back), accounts);
}

void TestStrongCli::upgradeRefusals_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("says");
    QTest::addColumn<bool>("changed");
    QTest::newRow("wrong password")
        << Make("up-wrong.etx", false) << QStringList() << QByteArray("nope") << 3
        << QByteArray("does not decrypt") << false;
    QTest::newRow("already strong") << Make("up-strong.etx", true) << QStringList()
                                    << QByteArray("secret") << 0 << QByteArray("already") << false;
    WriteRaw(Path("taken.etx"), "keep me");
    QTest::newRow("output exists")
        << Make("up-out.etx", false) << QStringList{"-o", Path("taken.etx")} << QByteArray("secret")
        << 4 << QByteArray("--force") << false;
    QTest::newRow("output is the input")
        << Make("up-same.etx", false) << QStringList{"-o", Path("up-same.etx"), "--force"}
        << QByteArray("secret") << 4 << QByteArray("same file") << false;
    QTest::newRow("in place") << Make("up-ok.etx", false) << QStringList() << QByteArray("secret")
                              << 0 << QByteArray() << true;
}

void TestStrongCli::upgradeRefusals() {
    QFETCH(QString, file);
    QFETCH(QStringList, extra);
    QFETCH(QByteArray, password);
    QFETCH(int, code);
    QFETCH(QByteArray, says);
    QFETCH(bool, changed);
    const QByteArray before = ReadAll(file);
    const QByteArray taken = ReadAll(Path("taken.etx"));
    const CliResult run = RunCli(QStringList{"upgrade", file} + extra, password);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(says), run.err.constData());
    QCOMPARE(ReadAll(file) != before, changed);
    QCOMPARE(ReadAll(Path("taken.etx")), taken);
    if (changed) {
        const CliResult back = RunCli({"decrypt", file}, password);
        QCOMPARE(back.out, QByteArray("pin 1234\n"));
    }
}

void TestStrongCli::verifyFindsEveryDamage_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("cut");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("says");
    QTest::newRow("sound") << -1 << 0 << 0 << QByteArray();
    QTest::newRow("bit in the content") << kStrongHeaderSize + 3 << 0 << 3 << QByteArray("damaged");
    QTest::newRow("bit in the last tag") << -2 << 0 << 3 << QByteArray("damaged");
    QTest::newRow("last byte cut") << -1 << 1 << 3 << QByteArray("damaged");
    QTest::newRow("bit in the salt") << 30 << 0 << 3 << QByteArray("does not decrypt");
}

void TestStrongCli::verifyFindsEveryDamage() {
    QFETCH(int, offset);
    QFETCH(int, cut);
    QFETCH(int, code);
    QFETCH(QByteArray, says);
    const QString path = Make("verify.etx", true);
    QByteArray bytes = ReadAll(path);
    if (offset == -2)
        offset = int(bytes.size()) - 1;
    if (offset >= 0)
        bytes[offset] = char(bytes[offset] ^ 0x10);
    WriteRaw(path, bytes.left(bytes.size() - cut));
    const CliResult run = RunCli({"verify", path});
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(says), run.err.constData());
    // Nothing of a damaged file reaches the output.
    const CliResult decrypted = RunCli({"decrypt", path});
    QCOMPARE(decrypted.out.isEmpty(), code != 0);
}

void TestStrongCli::pipedInputs_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("says");
    // A pipe can be read once: its format is told from the bytes that came through it.
    const QStringList decrypt{"decrypt", "/dev/stdin"};
    const QByteArray strong = ReadAll(Make("pipe-new.etx", true));
    QTest::newRow("strong text") << decrypt << strong << 0 << QByteArray("pin 1234");
    const QStringList import{"import", Path("accounts.json"), "--force"};
    QVERIFY(RunCli(QStringList(import) << Path("old.ksw")).code == 0);
    QVERIFY(RunCli(QStringList(import) << Path("pipe.ksw") << "--strong").code == 0);
    QTest::newRow("compatible passwords")
        << QStringList{"list", "/dev/stdin"} << ReadAll(Path("old.ksw")) << 0 << QByteArray("Bank");
    QTest::newRow("strong passwords") << QStringList{"list", "/dev/stdin"}
                                      << ReadAll(Path("pipe.ksw")) << 0 << QByteArray("Bank");
    QTest::newRow("strong info") << QStringList{"info", "/dev/stdin"} << strong << 0
                                 << QByteArray("format: strong");
    QByteArray damaged = strong;
    damaged[kStrongHeaderSize + 3] = char(damaged[kStrongHeaderSize + 3] ^ 0x10);
    QTest::newRow("damaged strong text")
        << QStringList{"verify", "/dev/stdin"} << damaged << 3 << QByteArray("damaged");
}

void TestStrongCli::pipedInputs() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QByteArray, says);
    const CliResult run = RunCli(args, "secret", input);
    QCOMPARE(run.code, code);
    QVERIFY2((run.out + run.err).contains(says), run.out + run.err);
}

QTEST_GUILESS_MAIN(TestStrongCli)
#include "tst_strongcli.moc"
