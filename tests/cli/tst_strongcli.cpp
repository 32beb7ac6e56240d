// keystow-cli and the strong format: writing it, telling the formats apart, moving a file.
#include "AccountsJson.h"
#include "MigrationSamples.h"
#include "PasswordsFile.h"
#include "StrongHeader.h"

#include "CliRun.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestStrongCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void upgradeKeepsEveryAccount_data();
    void upgradeKeepsEveryAccount();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString Put(const QString& name, const QByteArray& bytes) {
        WriteRaw(Path(name), bytes);
        return Path(name);
    }
    // Encrypts the note (.etx) or imports the accounts (.ksw); empty unless it worked and the
    // file is in the format asked for.
    QString Make(const QString& name, bool strong);

    QTemporaryDir m_dir;
};

void TestStrongCli::initTestCase() {
    QVERIFY(m_dir.isValid());
    Put("note.txt", "pin 1234\n");
    Put("accounts.json",
        R"({"web":[{"name":"Bank","address":"","userId":"me","password":"pw","notes":""}],)"
        R"("mail":[],"other":[]})");
}

QString TestStrongCli::Make(const QString& name, bool strong) {
    const bool text = name.endsWith(u".etx");
    QStringList args{text ? "encrypt" : "import", Path(text ? "note.txt" : "accounts.json"),
                     Path(name), "--force"};
    if (strong)
        args << "--strong";
    const bool made = RunCli(args).code == 0;
    return made && ReadAll(Path(name)).startsWith(StrongMagic()) == strong ? Path(name) : QString();
}

void TestStrongCli::commands_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("says");
    // A command on a file and, if piped, through a pipe as well, which can be read only once: its
    // format is told from the bytes that came through it.
    const auto row = [](const QByteArray& name, const QStringList& args, int code,
                        const QByteArray& says, bool piped = false) {
        QTest::newRow(name.constData()) << args << QByteArray() << code << says;
        if (piped)
            QTest::newRow((name + " piped").constData())
                << QStringList{args[0], "/dev/stdin"} << ReadAll(args[1]) << code << says;
    };
    for (const bool strong : {false, true}) {
        const QByteArray format = strong ? "strong" : "compatible";
        const QString text = Make(format + ".etx", strong);
        row("decrypt " + format, {"decrypt", text}, 0, "pin 1234\n", true);
        row("list " + format, {"list", Make(format + ".ksw", strong)}, 0, "Bank", true);
        row("info " + format, {"info", text}, 0, "format: " + format + "\n", true);
    }
    const QString strong = Path("strong.etx");
    const QByteArray good = ReadAll(strong);
    const auto flipped = [&good](qsizetype at) {
        QByteArray bytes = good;
        bytes[at] = char(bytes[at] ^ 0x10);
        return bytes;
    };
    QByteArray crafted = good;
    crafted[16] = char(200); // passes
    row("info strong, its cost", {"info", strong}, 0,
        "version: 1\nkey derivation: argon2id\noperations: 5\nmemory: 134217728\n");
    row("info, 200 passes", {"info", Put("crafted.etx", crafted)}, 2, "at most 20 passes");
    row("info, cut header", {"info", Put("cut.etx", good.left(40))}, 3, "damaged");
    row("info, missing", {"info", Path("none.etx")}, 2, "no such file");
    row("verify, sound", {"verify", strong}, 0, "");
    for (const char* command : {"verify", "decrypt"}) {
        const QByteArray name = command;
        row(name + ", bit in the content",
            {command, Put("content.etx", flipped(kStrongHeaderSize + 3))}, 3, "damaged", true);
        row(name + ", bit in the last tag", {command, Put("tag.etx", flipped(good.size() - 1))}, 3,
            "damaged", true);
        row(name + ", last byte cut", {command, Put("end.etx", good.chopped(1))}, 3, "damaged",
            true);
        row(name + ", bit in the salt", {command, Put("salt.etx", flipped(30))}, 3,
            "does not decrypt", true);
    }
    const QString same = Make("up-same.etx", false), wrong = Path("up-wrong.etx");
    QVERIFY(RunCli({"encrypt", Path("note.txt"), wrong}, "other").code == 0);
    row("upgrade, wrong password", {"upgrade", wrong}, 3, "does not decrypt");
    row("upgrade, already strong", {"upgrade", Make("up-strong.etx", true)}, 0, "already");
    row("upgrade, output exists",
        {"upgrade", Make("up-out.etx", false), "-o", Put("taken.etx", "keep me")}, 4, "--force");
    row("upgrade, output is the input", {"upgrade", same, "-o", same, "--force"}, 4, "same file");
    row("upgrade in place", {"upgrade", Make("up-ok.etx", false)}, 0, "");
}

void TestStrongCli::commands() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QByteArray, says);
    const auto files = [this] {
        QMap<QString, QByteArray> all;
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            all[name] = ReadAll(Path(name));
        return all;
    };
    const auto before = files();
    // info never asks for a password; nothing of a file that fails reaches the output.
    const CliResult run = RunCli(args, args.first() == u"info" ? QByteArray() : "secret", input);
    QCOMPARE(run.code, code);
    QVERIFY2((run.out + run.err).contains(says), run.out + run.err);
    // An upgrade talks only on the error output, even when it leaves a strong file alone.
    if (code != 0 || args.first() == u"upgrade")
        QVERIFY2(run.out.isEmpty(), run.out.constData());
    // Only an upgrade that is done changes a file, the one upgraded, which still opens.
    auto after = files();
    if (args.first() == u"upgrade" && says.isEmpty()) {
        const QString name = QFileInfo(args[1]).fileName();
        QVERIFY(ReadAll(args[1]).startsWith(StrongMagic()));
        QCOMPARE(RunCli({"decrypt", args[1]}).out, QByteArray("pin 1234\n"));
        after[name] = before.value(name);
    }
    QCOMPARE(after, before);
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

QTEST_GUILESS_MAIN(TestStrongCli)
#include "tst_strongcli.moc"
