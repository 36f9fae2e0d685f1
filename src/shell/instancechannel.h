#pragma once
#include <QLocalServer>
#include <QObject>
#include <QStringList>

class InstanceLock;

// The owner of the working folder listens on a socket in the user's runtime
// folder; a later start hands it the songs named on its command line and
// ends. A request is "OCF1", the payload's length (4 bytes, big-endian) and
// the payload: the songs' absolute paths in UTF-8, each ended by a NUL. The
// owner answers one byte, and takes the songs only when the start confirms
// with one byte: a start that gave up waiting (the owner hung) has said so
// to the user, and the songs must not turn up once the owner goes on.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(QString socketPath, QObject *parent = nullptr);

    // Listens, replacing a socket that an ended owner left behind: only the
    // holder of the working folder's lock may call it.
    bool listen();
    QString error() const { return server_.errorString(); }
    void close() { server_.close(); }

signals:
    // Songs from a later start, in its order; none when it named none.
    void songsHanded(const QStringList &songs);

private:
    void serve(QLocalSocket *socket);

    QString path_;
    QLocalServer server_;
};

enum class StartRole {
    Owner,       // this process owns the working folder
    HandedOver,  // the owner took the songs
    OwnerSilent, // another process owns the folder but does not answer
};

// Takes the working folder when its lock is free, else hands the songs to
// its owner. An owner that is starting or ending may not listen yet or any
// more: the start tries again for a while before it calls the owner silent.
StartRole claimOrHandOver(InstanceLock &lock, const QString &socketPath, const QStringList &songs);
