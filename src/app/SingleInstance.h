#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include "app/InstanceMessage.h"

class OutsideEntries;

// One running instance per user and build. The first launch takes a lock file
// and listens on a local socket, both in a folder only this user can enter;
// later launches find the lock taken, send their message over the socket and
// exit. Besides bringing the window forward, this keeps two processes of one
// build from writing the same ledger files.
//
// The lock (not the socket) decides who runs: a socket file left by a crashed
// instance is removed by the next one, and two launches at the same moment
// cannot both become the instance.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        primary,    // this process is the instance and now listens
        secondary,  // another process of this build runs: send() to it
        failed,     // neither could be set up; see errorString()
    };

    // Connections the instance serves at once; more are closed unread.
    static constexpr int kMaxConnections = 8;
    // A connection that has not sent a whole message by then is closed.
    static constexpr int kConnectionTimeoutMs = 3000;

    // folder: where the lock and the socket live (made, user-only, when
    // missing); name: the build's name, so each build has its own instance.
    SingleInstance(QString folder, QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The user's runtime folder (XDG_RUNTIME_DIR) with a "zanbeck" folder in
    // it, or a per-user folder in the temporary folder where there is none.
    static QString defaultFolder();

    Claim claim();
    // From a secondary: delivers one message to the instance, waiting at most
    // timeoutMs for it to accept (it may still be starting up).
    bool send(const InstanceMessage& message, int timeoutMs = 5000);

    QString socketPath() const;
    QString errorString() const { return error_; }

signals:
    // Every well-formed message a later launch sent; garbage is dropped.
    void messageReceived(const InstanceMessage& message);

private:
    bool prepareFolder();
    void acceptConnections();

    QString folder_;
    QString name_;
    QLockFile lock_;
    QLocalServer server_;
    QString error_;
    int openConnections_ = 0;
};

// What a message means to the running app: every message brings the window
// forward; a link is then opened.
void deliverInstanceMessage(const InstanceMessage& message, OutsideEntries& entries);
