// The desktop entries are how the open-app intent and the links reach the app.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTextStream>

#include "services/DeepLink.h"
#include "services/MoneyDestination.h"

namespace {

using DesktopEntry = QHash<QString, QHash<QString, QString>>;  // group -> key -> value

DesktopEntry readEntry(const char* name) {
    DesktopEntry entry;
    QFile file(QDir(QStringLiteral(ZANBECK_APP_DIR)).filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entry;
    QTextStream in(&file);
    QString group;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(u'[') && line.endsWith(u']'))
            group = line.mid(1, line.size() - 2);
        else if (const qsizetype equals = line.indexOf(u'='); equals > 0)
            entry[group][line.left(equals)] = line.mid(equals + 1);
    }
    return entry;
}

}  // namespace

TEST(DesktopEntry, ChildBuildOffersOneActionPerSectionInOrderAndHandlesItsLinks) {
    const DesktopEntry entry = readEntry("zanbeck.desktop");
    ASSERT_TRUE(entry.contains("Desktop Entry"));
    QStringList expected;
    for (MoneyDestination destination : money_destination::allCases())
        expected << money_destination::rawValue(destination);
    EXPECT_EQ(entry["Desktop Entry"]["Actions"], expected.join(u';') + u';');

    for (MoneyDestination destination : money_destination::allCases()) {
        const QString raw = money_destination::rawValue(destination);
        const auto action = entry.value("Desktop Action " + raw);
        EXPECT_EQ(action.value("Name"), money_destination::displayTitle(destination)) << raw.toStdString();
        EXPECT_TRUE(action.value("Exec").endsWith("/zanbeck --open " + raw))
            << action.value("Exec").toStdString();
    }
    const auto main = entry.value("Desktop Entry");
    EXPECT_TRUE(main.value("MimeType")
                    .split(u';')
                    .contains(QStringLiteral("x-scheme-handler/") + deep_link::kScheme));
    EXPECT_TRUE(main.value("Exec").endsWith("/zanbeck %u"));
    EXPECT_TRUE(main.value("Keywords").contains(QString::fromUtf8("Открыть копилку")));
}

TEST(DesktopEntry, ParentBuildOffersNeitherSectionsNorLinks) {
    const DesktopEntry entry = readEntry("zanbeck-parent.desktop");
    ASSERT_TRUE(entry.contains("Desktop Entry"));
    EXPECT_TRUE(entry["Desktop Entry"]["Exec"].endsWith("/zanbeck-parent"));
    EXPECT_FALSE(entry["Desktop Entry"].contains("Actions"));
    EXPECT_FALSE(entry["Desktop Entry"].contains("MimeType"));
    EXPECT_EQ(entry.size(), 1);
}
