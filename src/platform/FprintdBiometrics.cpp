#include "platform/FprintdBiometrics.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("net.reactivated.Fprint");
const QString kManagerPath = QStringLiteral("/net/reactivated/Fprint/Manager");
const QString kManagerInterface = QStringLiteral("net.reactivated.Fprint.Manager");
const QString kDeviceInterface = QStringLiteral("net.reactivated.Fprint.Device");

// fprintd may be started by bus activation on first use, so method calls get
// a few seconds; the availability check stays short since the screen waits on it.
constexpr int kCallTimeoutMs = 5000;
constexpr int kAvailabilityTimeoutMs = 2000;
// A verification nobody answers ends as failed instead of waiting for ever.
constexpr int kVerificationTimeoutMs = 60000;

QDBusMessage managerCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface, method);
}

QDBusMessage deviceCall(const QString& path, const QString& method, const QVariantList& args = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, kDeviceInterface, method);
    message.setArguments(args);
    return message;
}

// The errors that only mean "nothing to verify with here".
bool meansUnavailable(const QString& errorName) {
    return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           errorName == QLatin1String("net.reactivated.Fprint.Error.NoSuchDevice") ||
           errorName == QLatin1String("net.reactivated.Fprint.Error.NoEnrolledPrints");
}

// Calls `then(reply)` when an asynchronous call completes; `context` ends the
// wait early when it is destroyed.
template <typename Then>
void whenDone(QObject* context, const QDBusPendingCall& call, Then then) {
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, then] {
        watcher->deleteLater();
        then(*watcher);
    });
}

}  // namespace

FprintdBiometrics::FprintdBiometrics(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(bus) {
    deadline_.setSingleShot(true);
    deadline_.setInterval(kVerificationTimeoutMs);
    connect(&deadline_, &QTimer::timeout, this, [this] { finish(Outcome::failed); });
}

FprintdBiometrics::~FprintdBiometrics() {
    if (running_) {
        done_ = nullptr;  // nobody is left to tell
        finish(Outcome::cancelled);
    }
}

bool FprintdBiometrics::isAvailable() {
    if (!bus_.isConnected()) return false;
    const QDBusMessage device = bus_.call(managerCall("GetDefaultDevice"), QDBus::Block, kAvailabilityTimeoutMs);
    if (device.type() != QDBusMessage::ReplyMessage || device.arguments().isEmpty()) return false;
    const QString path = qvariant_cast<QDBusObjectPath>(device.arguments().constFirst()).path();
    if (path.isEmpty()) return false;
    // An empty user name means the calling user.
    const QDBusMessage fingers =
        bus_.call(deviceCall(path, "ListEnrolledFingers", {QString()}), QDBus::Block, kAvailabilityTimeoutMs);
    if (fingers.type() != QDBusMessage::ReplyMessage || fingers.arguments().isEmpty()) return false;
    return !fingers.arguments().constFirst().toStringList().isEmpty();
}

void FprintdBiometrics::verify(std::function<void(Outcome)> done) {
    if (running_) {
        QTimer::singleShot(0, this, [done] { if (done) done(Outcome::failed); });
        return;
    }
    if (!bus_.isConnected()) {
        QTimer::singleShot(0, this, [done] { if (done) done(Outcome::unavailable); });
        return;
    }
    running_ = true;
    done_ = std::move(done);
    deadline_.start();
    const quint64 attempt = attempt_;
    whenDone(this, bus_.asyncCall(managerCall("GetDefaultDevice"), kCallTimeoutMs),
             [this, attempt](QDBusPendingCallWatcher& call) {
                 if (attempt != attempt_) return;
                 QDBusPendingReply<QDBusObjectPath> reply = call;
                 if (reply.isError()) return fail(reply.error());
                 devicePath_ = reply.value().path();
                 claimDevice();
             });
}

void FprintdBiometrics::claimDevice() {
    const quint64 attempt = attempt_;
    const QString path = devicePath_;
    whenDone(this, bus_.asyncCall(deviceCall(path, "Claim", {QString()}), kCallTimeoutMs),
             [this, attempt, path](QDBusPendingCallWatcher& call) {
                 if (attempt != attempt_) {
                     // Ended while the claim was on its way: give the reader back.
                     if (!call.isError()) bus_.send(deviceCall(path, "Release"));
                     return;
                 }
                 if (call.isError()) return fail(call.error());
                 claimed_ = true;
                 startVerification();
             });
}

void FprintdBiometrics::startVerification() {
    // Listen before starting: the first status may arrive before the reply.
    listening_ = bus_.connect(kService, devicePath_, kDeviceInterface, "VerifyStatus", this,
                              SLOT(onVerifyStatus(QString, bool)));
    if (!listening_) return finish(Outcome::failed);
    const quint64 attempt = attempt_;
    whenDone(this, bus_.asyncCall(deviceCall(devicePath_, "VerifyStart", {QStringLiteral("any")}), kCallTimeoutMs),
             [this, attempt](QDBusPendingCallWatcher& call) {
                 if (attempt != attempt_) return;
                 if (call.isError()) return fail(call.error());
             });
}

void FprintdBiometrics::onVerifyStatus(const QString& result, bool done) {
    if (!running_) return;
    if (result == QLatin1String("verify-match")) return finish(Outcome::success);
    if (result == QLatin1String("verify-no-match")) return finish(Outcome::noMatch);
    // Retry hints (finger too short, not centred...) come with done == false
    // and the reader keeps scanning; anything else that ends the scan is a failure.
    if (done || result == QLatin1String("verify-disconnected") || result == QLatin1String("verify-unknown-error"))
        finish(Outcome::failed);
}

void FprintdBiometrics::cancel() {
    if (running_) finish(Outcome::cancelled);
}

void FprintdBiometrics::fail(const QDBusError& error) {
    finish(meansUnavailable(error.name()) ? Outcome::unavailable : Outcome::failed);
}

void FprintdBiometrics::finish(Outcome outcome) {
    ++attempt_;
    deadline_.stop();
    releaseDevice();
    running_ = false;
    devicePath_.clear();
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(outcome);
}

void FprintdBiometrics::releaseDevice() {
    if (listening_) {
        bus_.disconnect(kService, devicePath_, kDeviceInterface, "VerifyStatus", this,
                        SLOT(onVerifyStatus(QString, bool)));
        listening_ = false;
        // Stop first, release once the reader has stopped; fprintd refuses to
        // release a device in the middle of a verification. This runs on
        // after the verification has ended, and does not need this object.
        const QString path = devicePath_;
        QDBusConnection bus = bus_;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(deviceCall(path, "VerifyStop"), kCallTimeoutMs));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, bus, path] {
            watcher->deleteLater();
            QDBusConnection(bus).send(deviceCall(path, "Release"));
        });
    } else if (claimed_) {
        bus_.send(deviceCall(devicePath_, "Release"));
    }
    claimed_ = false;
}
