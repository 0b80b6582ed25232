#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "platform/WindowAppIcons.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace {

QImage windowIconImage() { return QGuiApplication::windowIcon().pixmap(32).toImage(); }

// Sets an icon and waits for the answer, which never comes inside the call.
std::optional<QString> setIcon(WindowAppIcons& icons, const QString& name) {
    bool answered = false;
    std::optional<QString> error;
    icons.setAlternateIconName(name, [&](std::optional<QString> e) {
        answered = true;
        error = e;
    });
    EXPECT_FALSE(answered);
    EXPECT_TRUE(waitUntil([&] { return answered; }));
    return error;
}

TEST(WindowAppIconsTest, EveryNamedIconHasAnImageAndTheLastOneSetComesBackAtStart) {
    TempDir dir;
    const QString state = dir.filePath("config/app-icon");
    WindowAppIcons icons(state);
    EXPECT_TRUE(icons.supportsAlternateIcons());
    const QStringList names = WindowAppIcons::alternateNames() << QString();  // and the primary
    for (const QString& name : names) {
        EXPECT_EQ(setIcon(icons, name), std::nullopt) << name.toStdString();
        EXPECT_EQ(windowIconImage(), WindowAppIcons::icon(name).pixmap(32).toImage());
    }
    EXPECT_EQ(setIcon(icons, "AppIconViolet"), std::nullopt);

    // Unknown names change nothing and say which icon is missing.
    EXPECT_EQ(setIcon(icons, "AppIconGold"), QString("Иконка «AppIconGold» не найдена."));
    EXPECT_EQ(icons.currentName(), "AppIconViolet");

    QGuiApplication::setWindowIcon(QIcon());
    WindowAppIcons(state).applyStored();  // the next start
    EXPECT_EQ(windowIconImage(), WindowAppIcons::icon("AppIconViolet").pixmap(32).toImage());
}

}  // namespace
