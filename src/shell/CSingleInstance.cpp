#include "CSingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStringDecoder>
#include <QTimer>
#include <QtEndian>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const char kMagic[4] = {'K', 'S', 'W', '1'};
const int kHeaderSize = 8;
const QByteArray kAccepted = QByteArrayLiteral("OK");
const QByteArray kRefused = QByteArrayLiteral("NO");
const QByteArray kConfirmed = QByteArrayLiteral("GO");
const char kFilesProperty[] = "handedFiles";
// More at once than anyone double-clicks; the rest are dropped, not queued.
const int kMaxConnections = 8;

// The folder and the socket must be the person's own and closed to everyone else: another
// user could otherwise read the names of the files or hand over files of their choosing.
bool OwnedAndPrivate(const QString& path, bool wantSocket) {
#ifdef Q_OS_UNIX
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    const bool rightKind = wantSocket ? S_ISSOCK(st.st_mode) : S_ISDIR(st.st_mode);
    return rightKind && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
#else
    Q_UNUSED(path);
    Q_UNUSED(wantSocket);
    return true;
#endif
}

// The paths of a request, or nothing when the payload is not one.
bool DecodePayload(const QByteArray& payload, QStringList& files) {
    files.clear();
    if (payload.isEmpty())
        return true;
    if (!payload.endsWith('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QList<QByteArray> parts = payload.left(payload.size() - 1).split('\0');
    if (parts.size() > CSingleInstance::kMaxFiles)
        return false;
    for (const QByteArray& part : parts) {
        const QString path = decoder.decode(part);
        if (decoder.hasError() || path.isEmpty() || !QDir::isAbsolutePath(path))
            return false;
        files.append(path);
    }
    return true;
}
} // namespace

CSingleInstance::CSingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder) {}

CSingleInstance::~CSingleInstance() {
    Stop();
}

QString CSingleInstance::SocketPath() const {
    return m_folder.isEmpty() ? QString()
                              : QDir(m_folder).filePath(QStringLiteral("keystow-editor.socket"));
}

bool CSingleInstance::IsListening() const {
    return m_server && m_server->isListening();
}

void CSingleInstance::Stop() {
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

QByteArray CSingleInstance::EncodeRequest(const QStringList& files) {
    QByteArray payload;
    for (const QString& file : files) {
        payload += file.toUtf8();
        payload += '\0';
    }
    QByteArray request(kMagic, sizeof kMagic);
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), length);
    request.append(length, sizeof length);
    return request + payload;
}

CSingleInstance::HandOverResult CSingleInstance::HandOver(const QString& socketPath,
                                                          const QStringList& files, int timeoutMs) {
    const QByteArray request = EncodeRequest(files);
    if (request.size() > kHeaderSize + kMaxPayload || files.size() > kMaxFiles)
        return HandOverResult::Refused;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        const auto error = socket.error();
        return error == QLocalSocket::ServerNotFoundError ||
                       error == QLocalSocket::ConnectionRefusedError
                   ? HandOverResult::NoServer
                   : HandOverResult::NoAnswer;
    }
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
            return HandOverResult::NoAnswer;
    }
    QByteArray answer;
    for (;;) {
        answer += socket.read(kAccepted.size() - answer.size());
        if (answer.size() >= kAccepted.size() || deadline.hasExpired() ||
            socket.state() != QLocalSocket::ConnectedState)
            break;
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            answer += socket.read(kAccepted.size() - answer.size());
            break;
        }
    }
    if (answer != kAccepted)
        return answer == kRefused ? HandOverResult::Refused : HandOverResult::NoAnswer;
    // Still waiting: the running program may take the files. Once the confirmation is on its
    // way this start must not open them itself, whatever follows.
    socket.write(kConfirmed);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(qMax<qint64>(deadline.remainingTime(), 1000))))
            return socket.bytesToWrite() > 0 ? HandOverResult::NoAnswer : HandOverResult::Accepted;
    }
    socket.disconnectFromServer();
    return HandOverResult::Accepted;
}

CSingleInstance::Role CSingleInstance::Start(const QStringList& files, int answerTimeoutMs) {
    if (m_folder.isEmpty() || !OwnedAndPrivate(m_folder, false))
        return Role::Standalone;
    // Held across the whole decision: a second start waits here until the first listens, and
    // then reaches it instead of replacing its socket.
    QLockFile lock(QDir(m_folder).filePath(QStringLiteral("keystow-editor.lock")));
    if (!lock.tryLock(2 * answerTimeoutMs))
        return Role::Standalone;
    m_lastHandOver = HandOver(SocketPath(), files, answerTimeoutMs);
    switch (m_lastHandOver) {
    case HandOverResult::Accepted:
        return Role::HandedOver;
    case HandOverResult::NoServer:
        // Nobody listens: a socket left by a crashed program goes.
        QLocalServer::removeServer(SocketPath());
        return Listen() ? Role::Server : Role::Standalone;
    case HandOverResult::Refused:
    case HandOverResult::NoAnswer:
        break;
    }
    return Role::Standalone;
}

bool CSingleInstance::Listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(kMaxConnections);
    if (!m_server->listen(SocketPath()) || !OwnedAndPrivate(SocketPath(), true)) {
        Stop();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return true;
}

bool CSingleInstance::PeerIsThisUser(QLocalSocket* socket) {
#if defined(Q_OS_LINUX)
    struct ucred cred = {};
    socklen_t size = sizeof cred;
    const int fd = static_cast<int>(socket->socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 &&
           cred.uid == ::geteuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const int open = static_cast<int>(m_server->findChildren<QLocalSocket*>().size());
        if (open > kMaxConnections || !PeerIsThisUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // The whole request arrives soon or not at all: a start that hangs is cut off.
        QTimer::singleShot(kAnswerTimeoutMs, socket, [socket] {
            if (!socket->property(kFilesProperty).isValid())
                socket->abort();
        });
        socket->setReadBufferSize(kHeaderSize + kMaxPayload + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void CSingleInstance::OnReadyRead(QLocalSocket* socket) {
    if (socket->property(kFilesProperty).isValid()) {
        OnConfirmation(socket);
        return;
    }
    if (socket->property("answered").toBool())
        return;
    const qint64 available = socket->bytesAvailable();
    if (available < kHeaderSize)
        return;
    const QByteArray header = socket->peek(kHeaderSize);
    const quint32 length = qFromBigEndian<quint32>(header.constData() + 4);
    if (!header.startsWith(QByteArray(kMagic, sizeof kMagic)) || length > quint32(kMaxPayload) ||
        available > kHeaderSize + qint64(length)) {
        Answer(socket, false);
        return;
    }
    if (available < kHeaderSize + qint64(length))
        return;
    socket->skip(kHeaderSize);
    QStringList files;
    const bool valid = DecodePayload(socket->read(length), files);
    if (!valid || !m_receiver || (m_accepting && !m_accepting())) {
        Answer(socket, false);
        return;
    }
    // Nothing is done with the files before the start confirms it still waits for us.
    socket->setProperty(kFilesProperty, files);
    socket->write(kAccepted);
    socket->flush();
    // A start that went away without confirming leaves nothing behind; one that confirms does
    // so at once, so a short wait is enough.
    QTimer::singleShot(kAnswerTimeoutMs, socket, [this, socket] {
        socket->waitForReadyRead(0);
        OnConfirmation(socket);
        socket->abort();
    });
}

void CSingleInstance::OnConfirmation(QLocalSocket* socket) {
    if (socket->bytesAvailable() < kConfirmed.size() || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QStringList files = socket->property(kFilesProperty).toStringList();
    const bool confirmed = socket->read(kConfirmed.size()) == kConfirmed;
    socket->disconnectFromServer();
    if (confirmed && m_receiver)
        m_receiver(files);
}

void CSingleInstance::Answer(QLocalSocket* socket, bool accepted) {
    socket->setProperty("answered", true);
    socket->write(accepted ? kAccepted : kRefused);
    socket->flush();
    socket->disconnectFromServer();
}
