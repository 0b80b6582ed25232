#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <memory>

#include "platform/OutsideEntries.h"

namespace {

constexpr QFile::Permissions kUserOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

}  // namespace

SingleInstance::SingleInstance(QString folder, QString name, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      name_(std::move(name)),
      lock_(QDir(folder_).filePath(name_ + QStringLiteral(".lock"))) {
    lock_.setStaleLockTime(0);  // stale only when its process is gone, never by age
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.setMaxPendingConnections(kMaxConnections);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance() { server_.close(); }

QString SingleInstance::defaultFolder() {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath() + QStringLiteral("/zanbeck-%1").arg(::getuid());
    return QDir(runtime).filePath(QStringLiteral("zanbeck"));
}

QString SingleInstance::socketPath() const {
    return QDir(folder_).filePath(name_ + QStringLiteral(".socket"));
}

bool SingleInstance::prepareFolder() {
    QDir dir(folder_);
    if (!dir.exists() && !QDir().mkpath(folder_)) {
        error_ = QStringLiteral("cannot create %1").arg(folder_);
        return false;
    }
    QFile::setPermissions(folder_, kUserOnly);
    const QFileInfo info(folder_);
    // Someone else's folder, or one others may write into, could hand our
    // launches to a stranger's socket.
    if (!info.isDir() || info.ownerId() != ::getuid() ||
        (info.permissions() &
         (QFile::WriteGroup | QFile::WriteOther | QFile::ReadGroup | QFile::ReadOther))) {
        error_ = QStringLiteral("%1 is not a private folder of this user").arg(folder_);
        return false;
    }
    return true;
}

SingleInstance::Claim SingleInstance::claim() {
    if (!prepareFolder()) return Claim::failed;
    if (!lock_.tryLock(0)) {
        if (lock_.error() == QLockFile::LockFailedError) return Claim::secondary;
        error_ = QStringLiteral("cannot take the lock %1")
                     .arg(QDir(folder_).filePath(name_ + QStringLiteral(".lock")));
        return Claim::failed;
    }
    const QString path = socketPath();
    QLocalServer::removeServer(path);  // a socket left by an instance that crashed
    if (!server_.listen(path)) {
        error_ = server_.errorString();
        lock_.unlock();
        return Claim::failed;
    }
    return Claim::primary;
}

bool SingleInstance::send(const InstanceMessage& message, int timeoutMs) {
    const QByteArray bytes = message.encode();
    if (bytes.size() > InstanceMessage::kMaxMessageBytes) {
        error_ = QStringLiteral("message too long");
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The instance holds the lock before it listens; give it a moment.
    for (;;) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) break;
        socket.abort();
        if (deadline.hasExpired()) {
            error_ = socket.errorString();
            return false;
        }
        QThread::msleep(50);
    }
    socket.write(bytes);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())))) {
            error_ = socket.errorString();
            return false;
        }
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(500);
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (openConnections_ >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++openConnections_;
        socket->setParent(this);
        socket->setReadBufferSize(InstanceMessage::kMaxMessageBytes + 1);
        // Every way a connection ends goes through deleteLater; the count follows the sockets.
        connect(socket, &QObject::destroyed, this, [this] { --openConnections_; });
        auto finish = [socket] {
            socket->setProperty("zanbeckDone", true);
            socket->abort();
            socket->deleteLater();
        };

        auto* timer = new QTimer(socket);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, socket, finish);
        timer->start(kConnectionTimeoutMs);

        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer, finish] {
            if (socket->property("zanbeckDone").toBool()) return;
            buffer->append(socket->read(InstanceMessage::kMaxMessageBytes + 1 - buffer->size()));
            const qsizetype newline = buffer->indexOf('\n');
            if (newline < 0) {
                if (buffer->size() > InstanceMessage::kMaxMessageBytes) finish();
                return;
            }
            // One message per connection; anything after it is ignored.
            const std::optional<InstanceMessage> message = InstanceMessage::decode(buffer->left(newline + 1));
            finish();
            if (message) emit messageReceived(*message);
        });
        if (socket->bytesAvailable() > 0) emit socket->readyRead();
    }
}

void deliverInstanceMessage(const InstanceMessage& message, OutsideEntries& entries) {
    emit entries.activationRequested();
    if (message.kind == InstanceMessage::Kind::openUrl) emit entries.urlOpened(message.url);
}
