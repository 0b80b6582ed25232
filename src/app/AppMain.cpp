#include "app/AppMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "account/AccountSession.h"
#include "account/AppAccountRole.h"
#include "account/BundleInfo.h"
#include "app/AppWindow.h"
#include "app/CommandLine.h"
#include "app/Launch.h"
#include "app/QtTranslations.h"
#include "app/SingleInstance.h"
#include "components/CameraQrCodeScanner.h"
#include "components/FileDialogPhotoPicker.h"
#include "components/ShareSheet.h"
#include "components/Theme.h"
#include "components/Toast.h"
#include "lock/AppLockModel.h"
#include "platform/Clock.h"
#include "platform/FprintdBiometrics.h"
#include "platform/FreedesktopNotificationCenter.h"
#include "platform/Haptics.h"
#include "platform/OutsideEntries.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenLockMonitor.h"
#include "platform/SecretServiceKeychain.h"
#include "platform/WidgetCenter.h"
#include "platform/WindowAppIcons.h"
#include "platform/WindowScenePhase.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/shell/AppLaunchView.h"
#include "views/shell/LaunchSplashView.h"  // the launch view's screens, held through pointers
#include "views/shell/PasscodeUnlockView.h"
#include "views/shell/RootView.h"
#include "views/shell/SecuritySuggestionView.h"

namespace {

QString bundleText(const char* key, const QString& fallback) {
    const QJsonValue value = BundleInfo::value(QString::fromLatin1(key));
    return value.isString() && !value.toString().isEmpty() ? value.toString() : fallback;
}

// The names that keep the two builds apart: the executable's name also names
// its single-instance socket and its desktop entry.
void nameApplication() {
    const QString executable = bundleText("CFBundleExecutable", QStringLiteral("zanbeck"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quorvel.com"));
    QCoreApplication::setApplicationName(executable);
    QCoreApplication::setApplicationVersion(bundleText("CFBundleShortVersionString", QStringLiteral("1.0")));
}

void printLine(FILE* stream, const QString& text) {
    QTextStream out(stream);
    out << text << Qt::endl;
}

// Answers the requests that need no window, with only a core application.
// The arguments are read again once Qt's texts speak the app's language, so
// that the help and Qt's own errors read in Russian like the rest.
int runWithoutWindow(int argc, char** argv, const QStringList& arguments) {
    QCoreApplication app(argc, argv);
    nameApplication();
    QtTranslations::install(app);
    const LaunchRequest request = parseCommandLine(arguments);
    if (!request.error.isEmpty()) {
        printLine(stderr, QStringLiteral("%1: %2").arg(QCoreApplication::applicationName(), request.error));
        printLine(stderr, QStringLiteral("Справка: %1 --help").arg(QCoreApplication::applicationName()));
        return 2;
    }
    if (request.showHelp)
        printLine(stdout, commandLineHelp());
    else if (request.showVersion)
        printLine(stdout,
                  QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion());
    else if (request.printRole)
        printLine(stdout, AppAccountRole::build().rawValue());
    return 0;
}

// Paints the window once it is mapped, before the ledger is read. Only the
// window system's events run meanwhile: no input, and no other process's
// message (the single-instance socket waits until everything is connected).
void presentLaunchScreen(QWidget& window) {
    constexpr int kLongestWaitMs = 250;
    constexpr auto kOnlyWindowEvents =
        QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers;
    QElapsedTimer waited;
    waited.start();
    while (window.windowHandle() && !window.windowHandle()->isExposed() && waited.elapsed() < kLongestWaitMs)
        QCoreApplication::processEvents(kOnlyWindowEvents, 10);
    window.repaint();
}

}  // namespace

int runApp(int argc, char** argv) {
    Q_INIT_RESOURCE(app_resources);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const LaunchRequest request = parseCommandLine(arguments);
    if (!request.error.isEmpty() || request.showHelp || request.showVersion || request.printRole)
        return runWithoutWindow(argc, argv, arguments);

    if (!hasDisplay(QProcessEnvironment::systemEnvironment())) {
        printLine(stderr, noDisplayMessage(bundleText("CFBundleExecutable", QStringLiteral("zanbeck"))));
        return 1;
    }

    QApplication app(argc, argv);
    nameApplication();
    QtTranslations::install(app);
    QGuiApplication::setApplicationDisplayName(bundleText("CFBundleDisplayName", QStringLiteral("Zanbeck")));
    QGuiApplication::setDesktopFileName(QCoreApplication::applicationName());
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/app/zanbeck.svg")));

    const AppAccountRole role = AppAccountRole::build();
    // Before the open-app intent below stores its section.
    if (const QString group = appGroupFolderForRole(role); !group.isEmpty())
        AppGroupDefaults::setDirectoryOverride(group);

    SingleInstance instance(SingleInstance::defaultFolder(), QCoreApplication::applicationName());
    QString error;
    switch (claimOrForward(request, instance, &error)) {
        case LaunchOutcome::forwarded:
            if (request.section) printLine(stdout, QStringLiteral("Открываю Zanbeck"));
            return 0;
        case LaunchOutcome::failed:
            printLine(stderr, QStringLiteral("%1: %2").arg(QCoreApplication::applicationName(), error));
            return 1;
        case LaunchOutcome::becomeInstance:
            if (request.section) printLine(stdout, QStringLiteral("Открываю Zanbeck"));
            break;
    }

    // The phone's services, as this desktop offers them.
    SecretServiceKeychain keychain(QCoreApplication::applicationName());
    FprintdBiometrics biometrics;
    FreedesktopNotificationCenter notifications;
    LinuxWidgetCenter widgets;
    Preferences::resetStandard(preferencesPathForRole(role));
    Preferences& preferences = Preferences::standard();
    Theme::current().install(app);
    // The icon picked last in the settings, kept beside the preferences.
    WindowAppIcons appIcons(QFileInfo(preferences.filePath()).dir().filePath(QStringLiteral("app-icon")));
    appIcons.applyStored();

    // The launch screen, as a phone shows one while an app starts: the
    // splash's first frame, still, on screen before a large ledger is read.
    // The app's own first screen, the splash, still comes after the three
    // long-lived objects exist.
    AppWindow window;
    window.setContent(new LaunchSplashView(LaunchSplashView::Motion::still));
    window.show();
    presentLaunchScreen(window);

    // The three long-lived objects, in this order: the ledger is loaded and its
    // due recurring operations booked before the lock reads the keychain, and
    // the account session comes last.
    MoneyStore::Environment storeEnvironment;
    storeEnvironment.paths = storePathsForRole(role);
    storeEnvironment.widgets = &widgets;
    storeEnvironment.notifications = &notifications;
    storeEnvironment.preferences = &preferences;
    MoneyStore store(storeEnvironment);
    AppLockModel appLock(keychain, preferences, &biometrics);
    AccountSession account(keychain, preferences);

    WindowHaptics haptics([&window](Haptics::Feedback feedback, const QString& message) {
        Toast::showOutcome(&window, feedback != Haptics::Feedback::error, message);
    });
    window.winId();  // the native window exists from here on, for the scene phase
    ScreenLockMonitor screenLock;
    WindowScenePhase scenePhase(window.windowHandle(), &screenLock);
    OutsideEntries outsideEntries;
    ShareSheetService share(&window);
    FileDialogPhotoPicker photos(&window);
    CameraQrCodeScannerFactory qrScanners;
    const PlatformServices services{keychain,   biometrics,     notifications,   widgets,
                                    haptics,    share,          photos,          qrScanners,
                                    scenePhase, outsideEntries, Clock::system(), appIcons};

    QObject::connect(&instance, &SingleInstance::messageReceived, &outsideEntries,
                     [&outsideEntries](const InstanceMessage& message) {
                         deliverInstanceMessage(message, outsideEntries);
                     });
    QObject::connect(&outsideEntries, &OutsideEntries::activationRequested, &window,
                     &AppWindow::bringToFront);

    window.setContent(new AppLaunchView(store, appLock, account, services));
    window.show();
    if (request.url) {
        // Delivered like a forwarded link, once the window is up.
        QTimer::singleShot(0, &outsideEntries,
                           [&outsideEntries, url = *request.url] { emit outsideEntries.urlOpened(url); });
    }
    return app.exec();
}
