// Runs the two built executables, as the desktop would.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include "support/TempDir.h"

namespace {

QString app(const char* name) {
    return QDir(QStringLiteral(ZANBECK_APP_DIR)).filePath(QString::fromLatin1(name));
}

// A user of their own: home, settings, data and runtime folders in a temporary folder.
QProcessEnvironment isolatedUser(const TempDir& dir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"home", "config", "data", "cache", "run"}) QDir().mkpath(dir.filePath(name));
    QFile::setPermissions(dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert("HOME", dir.filePath("home"));
    environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    environment.insert("XDG_DATA_HOME", dir.filePath("data"));
    environment.insert("XDG_CACHE_HOME", dir.filePath("cache"));
    environment.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    // No keyring, fingerprint reader or notification server of the developer's session.
    environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir.filePath("no-bus"));
    environment.remove("XDG_SESSION_ID");
    return environment;
}

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool waitForFile(const QString& path) {
    QDeadlineTimer deadline(15000);
    while (!QFileInfo::exists(path)) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    return true;
}

}  // namespace

TEST(Executables, EachCarriesItsOwnRole) {
    TempDir dir;
    const QProcessEnvironment environment = isolatedUser(dir);
    EXPECT_EQ(run(app("zanbeck"), {"--print-role"}, environment).out.trimmed(), "child");
    EXPECT_EQ(run(app("zanbeck-parent"), {"--print-role"}, environment).out.trimmed(), "parent");
}

TEST(Executables, HelpAndQtsOwnErrorsSpeakRussianInBothBuilds) {
    TempDir dir;
    const QProcessEnvironment environment = isolatedUser(dir);
    for (const char* name : {"zanbeck", "zanbeck-parent"}) {
        const QString help = run(app(name), {"--help"}, environment).out;
        EXPECT_TRUE(help.contains(QString::fromUtf8("Показать эту справку."))) << help.toStdString();
        for (const char* english : {"Usage", "Options", "Arguments", "options]"})
            EXPECT_FALSE(help.contains(QLatin1String(english))) << name << ": " << help.toStdString();
        const QString error = run(app(name), {"--colour"}, environment).err;
        EXPECT_FALSE(error.contains(QLatin1String("Unknown option"))) << error.toStdString();
    }
}

TEST(Executables, WithoutADisplaySayItInOneLineAndFail) {
    TempDir dir;
    QProcessEnvironment environment = isolatedUser(dir);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    for (const char* name : {"zanbeck", "zanbeck-parent"}) {
        const ProcessResult result = run(app(name), {}, environment);
        EXPECT_EQ(result.exitCode, 1) << name;
        EXPECT_EQ(result.err.trimmed().count(u'\n'), 0) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8("нет дисплея"))) << result.err.toStdString();
    }
}

TEST(Executables, BadArgumentsAreRefusedBeforeAnythingStarts) {
    TempDir dir;
    const ProcessResult result = run(app("zanbeck"), {"--open", "somewhere"}, isolatedUser(dir));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("config/group.com.quorvel.Zanbeck/defaults.ini")));
}

TEST(Executables, ALaterLaunchHandsItsSectionToTheRunningOneAndExits) {
    TempDir dir;
    const QProcessEnvironment environment = isolatedUser(dir);
    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(app("zanbeck"), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitForFile(dir.filePath("run/zanbeck/zanbeck.socket")));
    const QString childGroup = dir.filePath("config/group.com.quorvel.Zanbeck/defaults.ini");
    ASSERT_TRUE(waitForFile(childGroup));  // the child's widget snapshot
    const QVariant childSnapshot = QSettings(childGroup, QSettings::IniFormat).value("updatedAt");

    // The parent's build runs beside it: its own instance and its own app group.
    QProcess parent;
    parent.setProcessEnvironment(environment);
    parent.start(app("zanbeck-parent"), {});
    ASSERT_TRUE(parent.waitForStarted());
    ASSERT_TRUE(waitForFile(dir.filePath("run/zanbeck/zanbeck-parent.socket")));
    ASSERT_TRUE(waitForFile(dir.filePath("config/zanbeck-parent/group.com.quorvel.Zanbeck/defaults.ini")));

    const ProcessResult intent = run(app("zanbeck"), {"--open", "calendar"}, environment);
    EXPECT_EQ(intent.exitCode, 0) << intent.err.toStdString();
    EXPECT_EQ(intent.out.trimmed(), QString::fromUtf8("Открываю Zanbeck"));
    const ProcessResult opened = run(app("zanbeck"), {"zanbeck://add-expense"}, environment);
    EXPECT_EQ(opened.exitCode, 0) << opened.err.toStdString();
    EXPECT_EQ(run(app("zanbeck-parent"), {"--open", "income"}, environment).exitCode, 0);

    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(parent.state(), QProcess::Running);
    QSettings group(childGroup, QSettings::IniFormat);
    EXPECT_EQ(group.value("pendingDestination").toString(), "calendar");
    EXPECT_EQ(group.value("updatedAt"), childSnapshot);
    // Two builds, two ledger folders.
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("data/Zanbeck/accounts/anonymous.json")));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("data/zanbeck-parent/Zanbeck/accounts/anonymous.json")));

    for (QProcess* process : {&first, &parent}) {
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished();
        }
    }
}
