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
// kMaxPayload) and the payload: the files' absolute paths in UTF-8, each ended by a zero byte
// (no path holds one). An empty payload asks the program to come to the front. The answer is
// "OK" when the running program took the files, "NO" when it refused the request.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPayload = 1 << 20;
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

    // What the running program does with handed files; false refuses them. Without one every
    // request is refused.
    using Receiver = std::function<bool(const QStringList& files)>;
    void SetReceiver(Receiver receiver) { m_receiver = std::move(receiver); }

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
    void Answer(QLocalSocket* socket, bool accepted);
    static bool PeerIsThisUser(QLocalSocket* socket);

    QString m_folder;
    QLocalServer* m_server = nullptr;
    Receiver m_receiver;
    HandOverResult m_lastHandOver = HandOverResult::NoServer;
};
