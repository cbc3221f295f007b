#include "platform/desktop/RunningInstance.h"

#include "platform/FileSystem.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

// A message is the byte count of the rest (4 bytes, big-endian) and then each path's bytes
// followed by a NUL, the one byte no file name holds: a name may hold a line break, and need
// not be UTF-8. The running one answers with kTaken once it has read the message.

namespace {

constexpr char kTaken = '\x06';
constexpr quint32 kLargestMessage = 64u << 20;
// The other end is on this machine: it answers at once unless it is busy (a scan, an install),
// and then the message waits in the socket until it is free again.
constexpr int kConnectMs = 250;
constexpr int kAnswerMs = 600;
// A Torvane that holds the lock and does not listen yet is starting (its scan of the cars
// folder, a message from the recovery of an install cut short): it is waited for this long.
constexpr int kStartingMs = 10000;
constexpr int kRetryMs = 50;
// A peer that sends no whole message in this time is let go.
constexpr int kPeerMs = 10000;

QByteArray Message(const QStringList& paths)
{
    QByteArray names;
    for (const QString& path : paths)
        names.append(FileSystem::Encode(path)).append('\0');
    QByteArray message(4, Qt::Uninitialized);
    qToBigEndian(quint32(names.size()), message.data());
    return message + names;
}

} // namespace

RunningInstance::RunningInstance(const QString& programFolder, QObject* parent) : QObject(parent)
{
    // The runtime folder is the user's own (Qt checks that it is, and that only the user may
    // enter it) and is emptied when the user's last session ends.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return;
    const QByteArray hash =
        QCryptographicHash::hash(FileSystem::Encode(programFolder), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    mName = runtime + QStringLiteral("/torvane-") + QString::fromLatin1(hash);
    mLockFolder = mName + QStringLiteral(".lock");
}

RunningInstance::~RunningInstance()
{
    close();
}

RunningInstance::Start RunningInstance::handOver(const QStringList& paths)
{
    if (mName.isEmpty())
        return Start::Alone;
    const QByteArray message = Message(paths);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (deliver(message) == Delivery::Taken)
            return Start::HandedOver;
        // The lock is held by the one that listens, from before it listens until it ends, and
        // the system lets it go however it ends: held here, no other listens, and a socket
        // left there is dead.
        if (!mHold) {
            (void)FileSystem::CreateFolder(mLockFolder); // there already, most times
            mHold = std::make_unique<FileSystem::FolderHold>(mLockFolder);
        }
        switch (mHold->tryAgain()) {
        case FileSystem::FolderHold::State::Held:
            return Start::First;
        case FileSystem::FolderHold::State::Failed:
            mHold.reset();
            return Start::Alone;
        case FileSystem::FolderHold::State::Busy:
            break;
        }
        if (waited.elapsed() > kStartingMs) {
            mHold.reset();
            return Start::Alone;
        }
        QThread::msleep(kRetryMs);
    }
}

RunningInstance::Delivery RunningInstance::deliver(const QByteArray& message) const
{
    QLocalSocket socket;
    socket.connectToServer(mName);
    if (!socket.waitForConnected(kConnectMs))
        return Delivery::NotTaken;
    QElapsedTimer waited;
    waited.start();
    socket.write(message);
    while (socket.bytesToWrite() > 0 && waited.elapsed() < kStartingMs &&
           socket.waitForBytesWritten(kAnswerMs)) {
    }
    // Part of a message is thrown away by the other end.
    if (socket.bytesToWrite() > 0)
        return Delivery::NotTaken;
    if (socket.waitForReadyRead(kAnswerMs))
        return socket.read(1) == QByteArray(1, kTaken) ? Delivery::Taken : Delivery::NotTaken;
    // No answer while the connection holds: the other end is busy, and reads the message once
    // it is free. One that closed meanwhile, as it ended, took nothing.
    return socket.state() == QLocalSocket::ConnectedState ? Delivery::Taken : Delivery::NotTaken;
}

bool RunningInstance::listen()
{
    if (!mHold || mHold->state() != FileSystem::FolderHold::State::Held || mServer)
        return mServer != nullptr;
    mServer = new QLocalServer(this);
    // Only the user may connect: the socket is made with no permission for anyone else.
    mServer->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(mName); // one killed left it
    if (!mServer->listen(mName)) {
        delete mServer;
        mServer = nullptr;
        return false;
    }
    connect(mServer, &QLocalServer::newConnection, this, &RunningInstance::accept);
    return true;
}

void RunningInstance::close()
{
    if (!mServer)
        return;
    mServer->close();
    delete mServer;
    mServer = nullptr;
}

void RunningInstance::accept()
{
    while (QLocalSocket* peer = mServer->nextPendingConnection()) {
        peer->setParent(this);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { take(peer); });
        // What a peer sent before it went is still there to read.
        connect(peer, &QLocalSocket::disconnected, this, [this, peer] {
            take(peer);
            peer->deleteLater();
        });
        QTimer::singleShot(kPeerMs, peer, &QObject::deleteLater);
        take(peer);
    }
}

void RunningInstance::take(QLocalSocket* peer)
{
    while (peer->bytesAvailable() >= 4) {
        const quint32 size = qFromBigEndian<quint32>(peer->peek(4).constData());
        if (size > kLargestMessage) {
            peer->abort();
            peer->deleteLater();
            return;
        }
        if (peer->bytesAvailable() < 4 + qint64(size))
            return;
        peer->skip(4);
        const QByteArray names = peer->read(size);
        if (peer->state() == QLocalSocket::ConnectedState) {
            peer->write(QByteArray(1, kTaken));
            peer->flush();
        }
        QStringList paths;
        for (const QByteArray& name : names.split('\0')) {
            if (!name.isEmpty())
                paths.append(FileSystem::Decode(name));
        }
        emit received(paths);
    }
}
