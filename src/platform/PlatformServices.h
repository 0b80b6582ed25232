#pragma once

// The phone services the screens use, made once in main() and handed down by
// reference so that no screen reaches for a global; tests fill it with fakes.
class AppIcons;
class Biometrics;
class Clock;
class Haptics;
class Keychain;
class NotificationCenter;
class OutsideEntries;
class PhotoPicker;
class QrCodeScannerFactory;
class ScenePhaseSource;
class ShareService;
class WidgetCenter;

struct PlatformServices {
    Keychain& keychain;
    Biometrics& biometrics;
    NotificationCenter& notifications;
    WidgetCenter& widgets;
    Haptics& haptics;
    ShareService& share;
    PhotoPicker& photos;
    QrCodeScannerFactory& qrScanners;  // a fresh scanner for each scanner sheet
    ScenePhaseSource& scenePhase;
    OutsideEntries& outsideEntries;
    const Clock& clock;
    AppIcons& appIcons;
};
