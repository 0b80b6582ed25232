#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>

#include "features/FeatureCatalog.h"

namespace {

const auto& modules = FeatureCatalog::modules;

int countFor(std::initializer_list<FeatureAudience> audiences) {
    int count = 0;
    for (const FeatureModule& module : modules)
        count += std::count(audiences.begin(), audiences.end(), module.audience) > 0;
    return count;
}

}  // namespace

TEST(FeatureCatalogTest, SixtyFourUniqueHyphenatedIdsEightPerGroupInOrder) {
    ASSERT_EQ(modules.size(), 64u);
    static const QRegularExpression idShape(QStringLiteral("^[a-z]+(-[a-z]+)*$"));
    QSet<QString> ids;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        EXPECT_EQ(modules[i].group, kFeatureGroups[i / 8]) << modules[i].id;
        EXPECT_TRUE(idShape.match(modules[i].idText()).hasMatch()) << modules[i].id;
        ids.insert(modules[i].idText());
    }
    EXPECT_EQ(ids.size(), 64);
}

TEST(FeatureCatalogTest, AudiencesByGroupAndTheFilteredCounts) {
    // child, parent, everyone per group
    const int expected[8][3] = {{8, 0, 0}, {8, 0, 0}, {1, 3, 4}, {0, 5, 3},
                                {4, 4, 0}, {1, 2, 5}, {4, 2, 2}, {5, 0, 3}};
    int table[8][3] = {};
    for (const FeatureModule& module : modules) ++table[int(module.group)][int(module.audience)];
    for (int g = 0; g < 8; ++g)
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(table[g][a], expected[g][a]) << rawValue(kFeatureGroups[g]).toStdString();
    EXPECT_EQ(countFor({FeatureAudience::child, FeatureAudience::everyone}), 48);
    EXPECT_EQ(countFor({FeatureAudience::parent, FeatureAudience::everyone}), 33);
    EXPECT_EQ(countFor({FeatureAudience::everyone}), 17);
}

TEST(FeatureCatalogTest, TellingRowsVerbatimAndEveryOtherDetailOneShortSentence) {
    const std::map<std::string_view, std::pair<const char*, const char*>> telling = {
        {"subscription-watch", {"Находит повторяющиеся расходы", "repeat.circle.fill"}},
        {"roundups", {"Округляет расходы и направляет разницу в цель", "arrow.triangle.2.circlepath"}},
        {"goal-deadline", {"Считает дни и темп накопления", "calendar.badge.clock"}},
        {"morning-task", {"Выбирает одно главное семейное дело", "sun.max.fill"}},
        {"week-chart", {"Сравнивает доходы и расходы за 7 дней", "chart.bar.xaxis"}},
        {"xp-levels", {"Добавляет расширенную шкалу опыта", "star.circle.fill"}},
        {"family-feed", {"Собирает важные события в одном месте", "rectangle.stack.fill"}},
        {"compact-cards", {"Умещает больше данных на экране", "rectangle.compress.vertical"}}};
    static const QRegularExpression sentence(QStringLiteral("^[А-ЯЁ][^.!?]{10,60}$"));
    int found = 0;
    for (const FeatureModule& module : modules) {
        if (const auto it = telling.find(module.id); it != telling.end()) {
            ++found;
            EXPECT_EQ(module.detailText(), QString::fromUtf8(it->second.first));
            EXPECT_EQ(module.symbolName(), QString::fromUtf8(it->second.second));
            continue;
        }
        // The search examples of the center rely on these two words being in titles only.
        const QString detail = module.detailText();
        EXPECT_TRUE(sentence.match(detail).hasMatch()) << module.id;
        EXPECT_FALSE(detail.contains(QStringLiteral("поиск"), Qt::CaseInsensitive)) << module.id;
        EXPECT_FALSE(detail.contains(QStringLiteral("таймер"), Qt::CaseInsensitive)) << module.id;
    }
    EXPECT_EQ(found, 8);
}

TEST(FeatureCatalogTest, RawValuesMatchExactlyAndModulesCompareAllSixFields) {
    EXPECT_EQ(featureGroup(QStringLiteral("Семья")), FeatureGroup::family);
    EXPECT_EQ(featureGroup(QStringLiteral("family")), std::nullopt);
    EXPECT_EQ(featureGroup(QStringLiteral("семья")), std::nullopt);
    EXPECT_EQ(featureAudience(QStringLiteral("Child")), std::nullopt);
    EXPECT_EQ(featureAudience(QStringLiteral("parent")), FeatureAudience::parent);
    for (const FeatureGroup group : kFeatureGroups) EXPECT_EQ(featureGroup(rawValue(group)), group);

    FeatureModule other = modules[0];
    EXPECT_EQ(other, modules[0]);
    EXPECT_EQ(qHash(other), qHash(modules[0]));
    other.audience = FeatureAudience::everyone;
    EXPECT_NE(other, modules[0]);
    EXPECT_NE(qHash(other), qHash(modules[0]));
}
