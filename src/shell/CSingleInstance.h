#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;
class QLocalSocket;

// One program per person: the first start listens on a socket in the person's runtime folder,
// later starts hand their files to it and end.
//
// A request is the four bytes "KSW1", the payload's length as four bytes (big-endian, at most
// kMaxPayload) and the payload: at most kMaxFiles absolute paths in UTF-8, each ended by a
// zero byte (no path holds one). An empty payload asks the program to come to the front. The
// answer is "OK" when the running program would take the files, "NO" when it refused the
// request. After "OK" the start sends "GO" when it is still waiting and so ends; only then
// does the running program take the files. A start that gave up waiting sends nothing and
// opens its files itself, so a file never opens in both programs.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPayload = 1 << 20;
    // The most files one start hands over.
    static constexpr int kMaxFiles = 1000;
    // How long a start waits for the running program's answer, and how long the running
    // program waits for a whole request.
    static constexpr int kAnswerTimeoutMs = 5000;

    enum class Role {
        Server,     // this start listens; others hand their files to it
        HandedOver, // the running program took the files: this start ends
        Standalone, // a program of its own, listening to nobody
    };
    enum class HandOverResult { Accepted, Refused, NoServer, NoAnswer };

    // folder: where the socket and its lock file live; empty: every start is standalone.
    explicit CSingleInstance(const QString& folder, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Decides, under a lock file so that two starts at the same moment cannot both listen:
    // hands the files (absolute paths) to the running program, or listens when none runs (a
    // socket left by a crashed program is replaced).
    Role Start(const QStringList& files, int answerTimeoutMs = kAnswerTimeoutMs);

    // What the running program does with handed files once the start confirmed the hand-over.
    // accepting, asked before the answer, says whether it takes files now (when it is not
    // given, it does). Without a receiver every request is refused.
    using Receiver = std::function<bool(const QStringList& files)>;
    using AcceptCheck = std::function<bool()>;
    void SetReceiver(Receiver receiver, AcceptCheck accepting = {}) {
        m_receiver = std::move(receiver);
        m_accepting = std::move(accepting);
    }

    // How the last Start's attempt to reach a running program ended.
    HandOverResult LastHandOver() const { return m_lastHandOver; }

    QString SocketPath() const;
    bool IsListening() const;
    // Stops listening (at the end of the program): later starts then run on their own.
    void Stop();

    // The client side alone; blocks at most timeoutMs. Safe in any thread.
    static HandOverResult HandOver(const QString& socketPath, const QStringList& files,
                                   int timeoutMs = kAnswerTimeoutMs);
    static QByteArray EncodeRequest(const QStringList& files);

private:
    bool Listen();
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);
    // After "OK": the files go to the receiver once "GO" has come.
    void OnConfirmation(QLocalSocket* socket);
    void Answer(QLocalSocket* socket, bool accepted);
    static bool PeerIsThisUser(QLocalSocket* socket);

    QString m_folder;
    QLocalServer* m_server = nullptr;
    Receiver m_receiver;
    AcceptCheck m_accepting;
    HandOverResult m_lastHandOver = HandOverResult::NoServer;
};
