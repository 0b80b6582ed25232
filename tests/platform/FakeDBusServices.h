#pragma once

// Stand-ins for fprintd and a desktop notification server, put on the private
// session bus of run-in-private-session.sh. They answer from a thread of their
// own, so the code under test may block on them from the main thread.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVariantMap>
#include <memory>
#include <vector>

// Everything the stand-ins were asked, in order.
class CallLog {
public:
    void add(const QString& call) {
        QMutexLocker lock(&mutex_);
        calls_.append(call);
    }
    QStringList calls() const {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

private:
    mutable QMutex mutex_;
    QStringList calls_;
};

class FakeFprintManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.reactivated.Fprint.Manager")
public:
    explicit FakeFprintManager(CallLog& log) : log_(log) {}
    bool hasDevice = true;

public slots:
    QDBusObjectPath GetDefaultDevice() {
        log_.add("GetDefaultDevice");
        if (!hasDevice) sendErrorReply("net.reactivated.Fprint.Error.NoSuchDevice", "No devices available");
        return QDBusObjectPath("/net/reactivated/Fprint/Device/0");
    }

private:
    CallLog& log_;
};

class FakeFprintDevice : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.reactivated.Fprint.Device")
public:
    explicit FakeFprintDevice(CallLog& log) : log_(log) {}
    QStringList enrolled{"right-index-finger"};
    QString claimError;  // D-Bus error name Claim answers with, if set
    // Statuses sent one after another once VerifyStart has been answered;
    // empty: the test sends them itself with sendStatus().
    std::vector<std::pair<QString, bool>> script;

    // Sends one status from the service's thread.
    void sendStatus(const QString& result, bool done) {
        QMetaObject::invokeMethod(this, [this, result, done] { emit VerifyStatus(result, done); });
    }

public slots:
    QStringList ListEnrolledFingers(const QString& user) {
        log_.add("ListEnrolledFingers(" + user + ")");
        if (enrolled.isEmpty()) sendErrorReply("net.reactivated.Fprint.Error.NoEnrolledPrints", "none");
        return enrolled;
    }
    void Claim(const QString& user) {
        log_.add("Claim(" + user + ")");
        if (!claimError.isEmpty()) sendErrorReply(claimError, "refused");
    }
    void Release() { log_.add("Release"); }
    void VerifyStart(const QString& finger) {
        log_.add("VerifyStart(" + finger + ")");
        QTimer::singleShot(0, this, [this] {
            for (const auto& [result, done] : script) emit VerifyStatus(result, done);
        });
    }
    void VerifyStop() { log_.add("VerifyStop"); }

signals:
    void VerifyStatus(const QString& result, bool done);

private:
    CallLog& log_;
};

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Posted {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QVariantMap hints;
    };
    explicit FakeNotificationServer(CallLog& log) : log_(log) {}
    QStringList capabilities{"body", "body-markup"};

    std::vector<Posted> posted() const {
        QMutexLocker lock(&mutex_);
        return posted_;
    }

public slots:
    QStringList GetCapabilities() {
        log_.add("GetCapabilities");
        return capabilities;
    }
    uint Notify(const QString& appName, uint replacesId, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        log_.add("Notify");
        QMutexLocker lock(&mutex_);
        posted_.push_back({appName, replacesId, summary, body, hints});
        return replacesId ? replacesId : static_cast<uint>(100 + posted_.size());
    }

private:
    CallLog& log_;
    mutable QMutex mutex_;
    std::vector<Posted> posted_;
};

// Puts objects on the session bus under a well-known name, served by their own thread.
class FakeBusService {
public:
    explicit FakeBusService(QString serviceName)
        : serviceName_(std::move(serviceName)),
          connectionName_("fake-service-" + serviceName_),
          bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)) {
        thread_.start();
    }
    ~FakeBusService() {
        bus_.unregisterService(serviceName_);
        for (const auto& path : paths_) bus_.unregisterObject(path);
        // Deleted in their own thread, which handles the deferred deletions as it ends.
        for (auto& object : objects_) object.release()->deleteLater();
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus(connectionName_);
    }
    // Call after adding every object.
    bool start() { return bus_.isConnected() && bus_.registerService(serviceName_); }

    template <typename T>
    T* add(const QString& path, std::unique_ptr<T> object) {
        T* raw = object.get();
        // Registering may give the object children, which must move with it.
        bus_.registerObject(path, raw, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        raw->moveToThread(&thread_);
        paths_.append(path);
        objects_.push_back(std::move(object));
        return raw;
    }

private:
    QString serviceName_;
    QString connectionName_;
    QDBusConnection bus_;
    QThread thread_;
    QStringList paths_;
    std::vector<std::unique_ptr<QObject>> objects_;
};
