#include "app/Launch.h"

#include <QDir>
#include <QStandardPaths>

#include "app/SingleInstance.h"
#include "services/PendingDestination.h"
#include "services/Preferences.h"

bool hasDisplay(const QProcessEnvironment& environment) {
    return !environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty() ||
           !environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
           !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

QString noDisplayMessage(const QString& program) {
    return QStringLiteral(
               "%1: нет дисплея (DISPLAY и WAYLAND_DISPLAY не заданы), а приложению нужен графический сеанс.")
        .arg(program);
}

QString runOpenIntent(MoneyDestination destination) {
    pending_destination::store(destination);
    return QStringLiteral("Открываю Zanbeck");
}

LaunchOutcome claimOrForward(const LaunchRequest& request, SingleInstance& instance, QString* error) {
    // Stored first, whoever ends up showing the tabs: this process or the running one.
    if (request.section) runOpenIntent(*request.section);
    switch (instance.claim()) {
        case SingleInstance::Claim::primary:
            return LaunchOutcome::becomeInstance;
        case SingleInstance::Claim::secondary: {
            const InstanceMessage message =
                request.url ? InstanceMessage::openUrl(*request.url).value_or(InstanceMessage::activate())
                            : InstanceMessage::activate();
            if (instance.send(message)) return LaunchOutcome::forwarded;
            if (error)
                *error = QStringLiteral("запущенное приложение не ответило (%1)").arg(instance.errorString());
            return LaunchOutcome::failed;
        }
        case SingleInstance::Claim::failed:
            break;
    }
    if (error) *error = instance.errorString();
    return LaunchOutcome::failed;
}

namespace {

// A path inside the parent build's own settings folder; {} for the child's
// build, or when the user's settings folder is unknown.
QString parentConfigPath(AppAccountRole role, const QString& name) {
    if (role != AppAccountRole::parent) return {};
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty() || QDir::isRelativePath(config)) return {};
    return QDir(config).filePath(QStringLiteral("zanbeck-parent/") + name);
}

}  // namespace

QString preferencesPathForRole(AppAccountRole role) {
    return parentConfigPath(role, QStringLiteral("preferences.ini"));
}

QString appGroupFolderForRole(AppAccountRole role) {
    return parentConfigPath(role, QLatin1String(AppGroupDefaults::kSuiteName));
}

StorePaths storePathsForRole(AppAccountRole role) {
    if (role != AppAccountRole::parent) return StorePaths::system();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || QDir::isRelativePath(data)) return StorePaths(std::nullopt);
    return StorePaths(QDir(data).filePath(QStringLiteral("zanbeck-parent")));
}
