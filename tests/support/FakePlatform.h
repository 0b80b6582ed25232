#pragma once

#include <QTimeZone>
#include <functional>
#include <optional>

#include "platform/OutsideEntries.h"
#include "platform/PhotoPicker.h"
#include "platform/PlatformServices.h"
#include "platform/ShareService.h"
#include "support/FakeAppIcons.h"
#include "support/FakeBiometrics.h"
#include "support/FakeHaptics.h"
#include "support/FakeKeychain.h"
#include "support/FakeNotificationCenter.h"
#include "support/FakeQrCodeScanner.h"
#include "support/FakeScenePhaseSource.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"

class FakeShareService : public ShareService {
public:
    void share(const QString&, const QString&, const QString&) override { ++shares; }
    int shares = 0;
};

class FakePhotoPicker : public PhotoPicker {
public:
    void pickImage(std::function<void(std::optional<QByteArray>)> done) override { done(std::nullopt); }
};

// Every platform service as a fake, bundled as the screens receive them.
struct FakePlatform {
    InMemoryKeychain keychain;
    FakeBiometrics biometrics;
    FakeNotificationCenter notifications;
    FakeWidgetCenter widgets;
    FakeHaptics haptics;
    FakeShareService share;
    FakePhotoPicker photos;
    FakeQrCodeScannerFactory qrScanners;
    FakeScenePhaseSource scene;
    OutsideEntries outside;
    FixedClock clock{QDateTime(QDate(2026, 6, 15), QTime(10, 0), QTimeZone::utc())};
    FakeAppIcons appIcons;
    PlatformServices services{keychain, biometrics, notifications, widgets, haptics, share,
                              photos,   qrScanners, scene,         outside, clock,   appIcons};
};
