#include "shell/instancechannel.h"

#include "shell/instancelock.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <memory>

namespace {

constexpr char kMagic[] = "OCF1";
constexpr int kHeaderSize = 8;
constexpr quint32 kMaxPayload = 4 << 20;
constexpr char kReady = 'r'; // owner: the request is whole
constexpr char kGo = 'g';    // start: take them
// A later start gives a running owner this long to take the songs; an owner
// that runs its window answers within milliseconds.
constexpr int kAnswerMs = 5000;
// And looks this long for an owner that holds the lock but does not listen
// (it is starting or ending).
constexpr int kFindOwnerMs = 10000;
constexpr int kRetryMs = 100;
// A client that never completes its request is dropped after this.
constexpr int kClientMs = 10000;

QByteArray request(const QStringList &songs)
{
    QByteArray payload;
    for (const QString &song : songs)
        payload += song.toUtf8() + '\0';
    QByteArray head(kMagic, 4);
    head.resize(kHeaderSize);
    qToBigEndian<quint32>(quint32(payload.size()), head.data() + 4);
    return head + payload;
}

enum class HandOver { Taken, NoOwner, NoAnswer };

HandOver handOver(const QString &socketPath, const QStringList &songs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kAnswerMs))
        return socket.error() == QLocalSocket::SocketTimeoutError ? HandOver::NoAnswer : HandOver::NoOwner;
    // An owner that ends closes the socket without an answer; one that
    // hangs leaves it open.
    const auto failed = [&socket] {
        return socket.state() == QLocalSocket::ConnectedState ? HandOver::NoAnswer : HandOver::NoOwner;
    };
    const QDeadlineTimer deadline(kAnswerMs);
    const auto send = [&](const QByteArray &bytes) {
        socket.write(bytes);
        while (socket.bytesToWrite() > 0)
            if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
                return false;
        return true;
    };
    if (!send(request(songs)))
        return failed();
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return failed();
    char answer = 0;
    if (!socket.getChar(&answer) || answer != kReady)
        return HandOver::NoOwner;
    if (!send(QByteArray(1, kGo)))
        return failed();
    return HandOver::Taken;
}

enum class Request { Incomplete, Bad, Whole };

// Reads a whole request off the socket into songs; leaves an incomplete one there.
Request readRequest(QLocalSocket &socket, QStringList &songs)
{
    if (socket.bytesAvailable() < kHeaderSize)
        return Request::Incomplete;
    const QByteArray head = socket.peek(kHeaderSize);
    const quint32 size = qFromBigEndian<quint32>(head.constData() + 4);
    if (!head.startsWith(kMagic) || size > kMaxPayload)
        return Request::Bad;
    if (socket.bytesAvailable() < kHeaderSize + qint64(size))
        return Request::Incomplete;
    socket.skip(kHeaderSize);
    for (const QByteArray &song : socket.read(size).split('\0'))
        if (!song.isEmpty())
            songs << QString::fromUtf8(song);
    return Request::Whole;
}

} // namespace

InstanceServer::InstanceServer(QString socketPath, QObject *parent) : QObject(parent), path_(std::move(socketPath))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_.nextPendingConnection())
            serve(socket);
    });
}

bool InstanceServer::listen()
{
    if (server_.listen(path_))
        return true;
    if (server_.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    QLocalServer::removeServer(path_);
    return server_.listen(path_);
}

void InstanceServer::serve(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto songs = std::make_shared<QStringList>();
    auto ready = std::make_shared<bool>(false);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, songs, ready] {
        if (!*ready) {
            const Request request = readRequest(*socket, *songs);
            if (request == Request::Bad)
                socket->abort();
            if (request != Request::Whole)
                return;
            *ready = true;
            socket->putChar(kReady);
            socket->flush();
        }
        char confirm = 0;
        if (!socket->getChar(&confirm))
            return;
        socket->disconnectFromServer();
        if (confirm == kGo)
            emit songsHanded(*songs);
    });
    QTimer::singleShot(kClientMs, socket, [socket] { socket->abort(); });
}

StartRole claimOrHandOver(InstanceLock &lock, const QString &socketPath, const QStringList &songs)
{
    const QDeadlineTimer findOwner(kFindOwnerMs);
    for (;;) {
        if (lock.tryLock() != InstanceLock::State::Held)
            return StartRole::Owner;
        switch (handOver(socketPath, songs)) {
        case HandOver::Taken:
            return StartRole::HandedOver;
        case HandOver::NoAnswer:
            return StartRole::OwnerSilent;
        case HandOver::NoOwner:
            if (findOwner.hasExpired())
                return StartRole::OwnerSilent;
            QThread::msleep(kRetryMs);
        }
    }
}
