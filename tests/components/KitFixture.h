#pragma once

#include "support/TempDir.h"
#include "components/Theme.h"
#include "services/Preferences.h"

#include <QApplication>
#include <QCoreApplication>
#include <gtest/gtest.h>

// Every kit test runs on its own preferences file, with the theme installed
// on the application as the app does it.
class KitTest : public ::testing::Test {
protected:
    void SetUp() override {
        Preferences::resetStandard(dir_.filePath(QStringLiteral("preferences.ini")));
        Theme::current().setSystemScheme(ColorScheme::Light);
        Theme::current().refresh();
        Theme::current().install(*qApp);
    }
    void TearDown() override { settle(); }

    static void setPreference(const QString& key, const QVariant& value) {
        Preferences::standard().setValue(key, value);
    }
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    TempDir dir_;
};
