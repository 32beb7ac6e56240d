// The socket between starts of the program: hand-over and answer, a socket left by a crash,
// the socket closed to other users, malformed requests and a program that does not answer.
#include "ShellTestSupport.h"

#include "CSingleInstance.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Role = CSingleInstance::Role;

// A second start, in a thread of its own so that the server here keeps answering.
class SecondStart {
public:
    SecondStart(const QString& folder, const QStringList& files, int timeoutMs = 5000) {
        m_thread.reset(QThread::create([this, folder, files, timeoutMs] {
            CSingleInstance instance(folder);
            m_role = instance.Start(files, timeoutMs);
            m_result = instance.LastHandOver();
        }));
        m_thread->start();
    }
    ~SecondStart() { m_thread->wait(); }
    // Waits without serving: the program here answers nobody meanwhile.
    void Wait() { m_thread->wait(); }
    bool Finished() const { return m_thread->isFinished(); }
    Role GetRole() const { return m_role; }
    CSingleInstance::HandOverResult Result() const { return m_result; }

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<Role> m_role{Role::Standalone};
    std::atomic<CSingleInstance::HandOverResult> m_result{
        CSingleInstance::HandOverResult::Accepted};
};

// What a crashed program leaves: a socket file nobody listens on.
bool LeaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

QByteArray Header(const char* magic, quint32 length) {
    QByteArray header(magic, 4);
    char bytes[4];
    qToBigEndian<quint32>(length, bytes);
    return header + QByteArray(bytes, 4);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void handOver_data();
    void handOver();
    void refusedFilesStartOwnProgram();
    void staleSocketReplaced();
    void socketOwnerOnly();
    void folderOpenToOthersNotUsed();
    void malformedRequestRefused_data();
    void malformedRequestRefused();
    void silentProgramNotWaitedForLong();
    void startThatGaveUpLeavesItsFiles_data();
    void startThatGaveUpLeavesItsFiles();
    void twoStartsAtOnceOneListens();

private:
    // Starts the listening side here; received requests land in m_received.
    void Listen(bool accept = true);
    // Sends bytes as they are and collects the answer until the program hangs up.
    // confirm: false goes away after the answer, as a start that gave up meanwhile does.
    void RawExchange(const QByteArray& request, QByteArray& answer, bool confirm = true);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CSingleInstance> m_server;
    QList<QStringList> m_received;
};

void TestSingleInstance::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_received.clear();
}

void TestSingleInstance::cleanup() {
    m_server.reset();
    m_dir.reset();
}

void TestSingleInstance::Listen(bool accept) {
    m_server = std::make_unique<CSingleInstance>(m_dir->path());
    QCOMPARE(m_server->Start({}), Role::Server);
    QVERIFY(m_server->IsListening());
    m_server->SetReceiver(
        [this](const QStringList& files) {
            m_received.append(files);
            return true;
        },
        [accept] { return accept; });
}

void TestSingleInstance::RawExchange(const QByteArray& request, QByteArray& answer, bool confirm) {
    answer.clear();
    QLocalSocket socket;
    socket.connectToServer(m_server->SocketPath());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(
        (answer += socket.readAll(),
         answer.size() >= 2 || socket.state() == QLocalSocket::UnconnectedState),
        8000);
    if (!confirm)
        return;
    // Still waiting, as a start that takes the answer is: the program may take the files.
    if (answer == "OK") {
        socket.write("GO");
        QVERIFY(socket.waitForBytesWritten(5000));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        (answer += socket.readAll(), socket.state() == QLocalSocket::UnconnectedState), 8000);
    answer += socket.readAll();
}

void TestSingleInstance::handOver_data() {
    QTest::addColumn<QStringList>("files");
    QTest::newRow("one file") << QStringList{QStringLiteral("/home/a/notes.etx")};
    QTest::newRow("several files") << QStringList{
        QStringLiteral("/a/one.etx"), QStringLiteral("/b/two.ksw"), QStringLiteral("/c/three.etx")};
    QTest::newRow("spaces, line break and accents")
        << QStringList{QStringLiteral("/tmp/my notes\nold/r\u00e9sum\u00e9 \u4e2d.etx")};
    QTest::newRow("no file: to the front") << QStringList{};
}

void TestSingleInstance::handOver() {
    QFETCH(QStringList, files);
    Listen();
    SecondStart second(m_dir->path(), files);
    QTRY_VERIFY(second.Finished());
    QCOMPARE(second.GetRole(), Role::HandedOver);
    QTRY_COMPARE(m_received.size(), 1);
    QCOMPARE(m_received.first(), files);
    QVERIFY(m_server->IsListening());
}

void TestSingleInstance::refusedFilesStartOwnProgram() {
    // A program that does not take the files must not make the new start end.
    Listen(false);
    const QStringList files{QStringLiteral("/x/refused.etx")};
    SecondStart second(m_dir->path(), files);
    QTRY_VERIFY(second.Finished());
    QCOMPARE(second.GetRole(), Role::Standalone);
    QCOMPARE(second.Result(), CSingleInstance::HandOverResult::Refused);
    QCoreApplication::processEvents();
    QVERIFY(m_received.isEmpty());
    // The running program keeps its socket.
    QVERIFY(m_server->IsListening());
}

void TestSingleInstance::staleSocketReplaced() {
    CSingleInstance probe(m_dir->path());
    QVERIFY(LeaveStaleSocket(probe.SocketPath()));
    QCOMPARE(CSingleInstance::HandOver(probe.SocketPath(), {}),
             CSingleInstance::HandOverResult::NoServer);
    Listen();
    SecondStart second(m_dir->path(), {QStringLiteral("/after/crash.etx")});
    QTRY_VERIFY(second.Finished());
    QCOMPARE(second.GetRole(), Role::HandedOver);
    QTRY_COMPARE(m_received, QList<QStringList>{{QStringLiteral("/after/crash.etx")}});
}

void TestSingleInstance::socketOwnerOnly() {
    Listen();
    struct stat st = {};
    QCOMPARE(::lstat(QFile::encodeName(m_server->SocketPath()).constData(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(st.st_uid, ::geteuid());
    QCOMPARE(int(st.st_mode & 077), 0);
    // Gone with the program.
    m_server->Stop();
    QVERIFY(!QFileInfo::exists(m_server->SocketPath()));
}

void TestSingleInstance::folderOpenToOthersNotUsed() {
    // A folder others may enter is no place for the socket: the start runs on its own.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther));
    CSingleInstance instance(m_dir->path());
    QCOMPARE(instance.Start({}), Role::Standalone);
    QVERIFY(!instance.IsListening());
    QVERIFY(!QFileInfo::exists(instance.SocketPath()));
    CSingleInstance nowhere{QString()};
    QCOMPARE(nowhere.Start({}), Role::Standalone);
}

void TestSingleInstance::malformedRequestRefused_data() {
    QTest::addColumn<QByteArray>("request");
    const QByteArray good = CSingleInstance::EncodeRequest({QStringLiteral("/a.etx")});
    QTest::newRow("longer than allowed")
        << Header("KSW1", CSingleInstance::kMaxPayload + 1) + QByteArray(64, 'x');
    QTest::newRow("length near 4 GiB") << Header("KSW1", 0xFFFFFFF0u);
    QTest::newRow("another protocol") << Header("HTTP", 7) + QByteArray("/a.etx\0", 7);
    QTest::newRow("relative path") << Header("KSW1", 6) + QByteArray("a.etx\0", 6);
    QTest::newRow("empty path") << Header("KSW1", 8) + QByteArray("/a.etx\0\0", 8);
    QTest::newRow("unended path") << Header("KSW1", 6) + QByteArray("/a.etx");
    QTest::newRow("not UTF-8") << Header("KSW1", 5) + QByteArray("/\xff\xfe"
                                                                 "a\0",
                                                                 5);
    QTest::newRow("more than announced") << good + QByteArray("/b.etx\0", 7);
    QStringList tooMany;
    for (int i = 0; i <= CSingleInstance::kMaxFiles; ++i)
        tooMany << QStringLiteral("/many/%1.etx").arg(i);
    QTest::newRow("more files than one start hands over")
        << CSingleInstance::EncodeRequest(tooMany);
}

void TestSingleInstance::malformedRequestRefused() {
    QFETCH(QByteArray, request);
    Listen();
    QByteArray answer;
    RawExchange(request, answer);
    QCOMPARE(answer, QByteArray("NO"));
    QVERIFY(m_received.isEmpty());
    // The program goes on serving well-formed requests.
    RawExchange(CSingleInstance::EncodeRequest({QStringLiteral("/ok.etx")}), answer);
    QCOMPARE(answer, QByteArray("OK"));
    QTRY_COMPARE(m_received.size(), 1);
}

void TestSingleInstance::silentProgramNotWaitedForLong() {
    // A program that hangs keeps the connection but never answers: the start gives up after
    // its time and runs on its own, leaving the socket alone.
    CSingleInstance probe(m_dir->path());
    QLocalServer silent;
    QVERIFY(silent.listen(probe.SocketPath()));
    SecondStart second(m_dir->path(), {QStringLiteral("/x/wait.etx")}, 300);
    QTRY_VERIFY(second.Finished());
    QCOMPARE(second.GetRole(), Role::Standalone);
    QCOMPARE(second.Result(), CSingleInstance::HandOverResult::NoAnswer);
    QVERIFY(silent.isListening());
    QVERIFY(QFileInfo::exists(probe.SocketPath()));
}

void TestSingleInstance::startThatGaveUpLeavesItsFiles_data() {
    QTest::addColumn<bool>("answered"); // else the program here was busy until it gave up
    QTest::newRow("gave up before the answer") << false;
    QTest::newRow("went away after the answer") << true;
}

void TestSingleInstance::startThatGaveUpLeavesItsFiles() {
    // That start opens its files itself: the running program must do nothing with them.
    QFETCH(bool, answered);
    Listen();
    const QStringList files{QStringLiteral("/x/late.etx")};
    if (answered) {
        QByteArray answer;
        RawExchange(CSingleInstance::EncodeRequest(files), answer, false);
        QCOMPARE(answer, QByteArray("OK"));
    } else {
        SecondStart second(m_dir->path(), files, 300);
        second.Wait();
        QCOMPARE(second.GetRole(), Role::Standalone);
        QCOMPARE(second.Result(), CSingleInstance::HandOverResult::NoAnswer);
    }
    // A later start is served after the one before it: by then that one is settled.
    const QStringList next{QStringLiteral("/x/next.etx")};
    SecondStart following(m_dir->path(), next);
    QTRY_VERIFY(following.Finished());
    QCOMPARE(following.GetRole(), Role::HandedOver);
    QTRY_COMPARE(m_received, QList<QStringList>{next});
}

void TestSingleInstance::twoStartsAtOnceOneListens() {
    // Two starts at the same moment: one listens and the other hands its file to it; neither
    // replaces the other's socket.
    const QString folder = m_dir->path();
    std::atomic<int> servers{0};
    std::atomic<int> handed{0};
    QStringList received;
    QMutex receivedMutex;
    auto start = [&](const QString& file) {
        return QThread::create([&, file] {
            CSingleInstance instance(folder);
            const Role role = instance.Start({file});
            if (role == Role::HandedOver) {
                ++handed;
                return;
            }
            if (role != Role::Server)
                return;
            ++servers;
            QEventLoop loop;
            instance.SetReceiver([&](const QStringList& files) {
                QMutexLocker locker(&receivedMutex);
                received += files;
                QTimer::singleShot(0, &loop, &QEventLoop::quit);
                return true;
            });
            QTimer::singleShot(8000, &loop, &QEventLoop::quit);
            loop.exec();
        });
    };
    std::unique_ptr<QThread> first(start(QStringLiteral("/one.etx")));
    std::unique_ptr<QThread> second(start(QStringLiteral("/two.etx")));
    first->start();
    second->start();
    QTRY_VERIFY_WITH_TIMEOUT(first->isFinished() && second->isFinished(), 15000);
    QCOMPARE(servers.load(), 1);
    QCOMPARE(handed.load(), 1);
    QCOMPARE(received.size(), 1);
}

std::unique_ptr<QObject> CreateSingleInstanceTest() {
    return std::make_unique<TestSingleInstance>();
}

#include "tst_singleinstance.moc"
