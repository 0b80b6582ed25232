#pragma once

#include "platform/Biometrics.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

class QDBusError;

// Fingerprint verification through fprintd on the system bus: the default
// reader is claimed for the calling user, one verification of any enrolled
// finger runs, and the reader is stopped and released again whatever the
// outcome. Unavailable where there is no system bus, no fprintd, no reader or
// no enrolled finger.
class FprintdBiometrics : public QObject, public Biometrics {
    Q_OBJECT
public:
    // The bus is a parameter so that tests can put a stand-in fprintd on a
    // private bus.
    explicit FprintdBiometrics(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);
    ~FprintdBiometrics() override;

    // Asks fprintd synchronously, each call waiting at most a short while.
    bool isAvailable() override;
    void verify(std::function<void(Outcome)> done) override;
    void cancel() override;

private slots:
    void onVerifyStatus(const QString& result, bool done);

private:
    void claimDevice();
    void startVerification();
    void finish(Outcome outcome);
    void fail(const QDBusError& error);
    void releaseDevice();

    QDBusConnection bus_;
    std::function<void(Outcome)> done_;
    bool running_ = false;
    bool claimed_ = false;
    bool listening_ = false;
    QString devicePath_;
    QTimer deadline_;
    // Bumped at every finish, so that replies to an ended verification are dropped.
    quint64 attempt_ = 0;
};
