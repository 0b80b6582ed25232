#include <QRandomGenerator>
#include <QScrollBar>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/SearchField.h"
#include "components/TextLabel.h"
#include "support/PaintedListInput.h"
#include "views/PageScrolling.h"
#include "views/features/FeatureCenterParts.h"
#include "views/features/FeatureCenterView.h"
#include "views/ledger/DashboardFixture.h"

namespace {

class FeatureCenterTest : public DashboardFixture {
protected:
    FeatureCenterView& show(bool withStore, FeatureAudience audience) {
        openEmpty();
        view = new FeatureCenterView(withStore ? store.get() : nullptr, audience);
        stack = &showInWindow(view);
        return *view;
    }
    // The module rows of the painted list, in order.
    QStringList rows() const {
        QStringList ids;
        for (const QString& id : view->moduleList()->rows())
            if (!view->rowDelegate().isHeader(id)) ids << id;
        return ids;
    }
    // The group headers shown, by title.
    QStringList sections() const {
        QStringList titles;
        for (const QString& id : view->moduleList()->rows())
            if (view->rowDelegate().isHeader(id)) titles << view->rowDelegate().headerTitle(id);
        return titles;
    }
    // Opens a row's detail page as a tap on the row does; true when it offers the working screen.
    bool openDetail(const QString& id) {
        EXPECT_TRUE(paintedlist::clickButton(view->moduleList(), id, FeatureRowDelegate::kOpen))
            << id.toStdString();
        settle();
        auto* detail = qobject_cast<FeatureModuleDetail*>(stack->topPage());
        EXPECT_NE(detail, nullptr) << id.toStdString();
        EXPECT_EQ(detail->title(), "Возможность");
        const bool unfinished = detail->findChild<QWidget*>("featureUnfinished") != nullptr;
        EXPECT_NE(unfinished, detail->openButton() != nullptr) << id.toStdString();
        return !unfinished;
    }

    FeatureCenterView* view = nullptr;
    NavigationStack* stack = nullptr;
};

}  // namespace

TEST_F(FeatureCenterTest, CountsBadgesCaptionAndBarFollowAudienceAndStore) {
    const struct {
        bool store;
        FeatureAudience audience;
        int rows, working;
        const char* gallery;
    } cases[] = {{true, FeatureAudience::child, 48, 33, "feature-center-child"},
                 {false, FeatureAudience::child, 48, 0, nullptr},
                 {false, FeatureAudience::parent, 33, 0, "feature-center-parent"}};
    for (const auto& c : cases) {
        show(c.store, c.audience);
        ASSERT_EQ(rows().size(), c.rows);
        int working = 0;
        for (const QString& id : rows()) {
            const QString badge = view->rowDelegate().badgeText(id);
            working += badge == "Работает";
            EXPECT_TRUE(badge == "Работает" || badge == "Скоро");
        }
        EXPECT_EQ(working, c.working);
        EXPECT_EQ(view->workingModuleCount(), c.working);
        EXPECT_EQ(view->caption()->text(), QString::number(c.working) +
                                               " функций открывают готовые разделы · остальные честно "
                                               "помечены как будущие");
        EXPECT_DOUBLE_EQ(view->progressBar()->value(), double(c.working) / c.rows);
        viewtest::scrollThrough(view->body());
        expectFitsWidth(view->body());
        if (c.gallery) {
            EXPECT_FALSE(Gallery::save(*window, c.gallery).isEmpty());
        }
    }
    // The parent's center opens nothing.
    for (const QString& id : rows()) {
        EXPECT_FALSE(openDetail(id));
        stack->pop();
        settle();
    }
}

TEST_F(FeatureCenterTest, WorkingModulesOpenTheirScreenAndBackKeepsQueryAndChip) {
    show(true, FeatureAudience::child);
    const struct {
        const char *id, *screen;  // no screen: "В разработке"
    } routes[] = {{"subscription-watch", "Регулярные"},
                  {"roundups", "Аналитика"},
                  {"goal-deadline", "Желания"},
                  {"morning-task", "Челленджи"},
                  {"week-chart", "Аналитика"},
                  {"xp-levels", "Медали 0/37"},
                  {"family-feed", nullptr},
                  {"privacy-screen", nullptr},
                  {"compact-cards", nullptr}};
    for (const auto& route : routes) {
        ASSERT_EQ(openDetail(route.id), route.screen != nullptr) << route.id;
        if (route.screen) {
            click(qobject_cast<FeatureModuleDetail*>(stack->topPage())->openButton());
            ASSERT_EQ(stack->depth(), 3);
            EXPECT_EQ(stack->topPage()->title(), QString::fromUtf8(route.screen));
            stack->pop();
        }
        if (QLatin1String(route.id) == "subscription-watch" || QLatin1String(route.id) == "family-feed") {
            EXPECT_FALSE(Gallery::save(*window, QStringLiteral("feature-detail-") + route.id).isEmpty());
        }
        stack->pop();
        settle();
    }

    click(view->chip(FeatureGroup::goals));
    click(view->chip(FeatureGroup::goals));  // a second tap keeps it
    type(view->searchField(), "цел");
    const QStringList before = rows();
    EXPECT_EQ(before, (QStringList{"goal-deadline", "goal-photo", "goal-milestones", "goal-pause",
                                   "goal-share", "goal-bonus"}));
    openDetail("goal-deadline");
    click(qobject_cast<FeatureModuleDetail*>(stack->topPage())->openButton());
    stack->pop();
    stack->pop();
    settle();
    EXPECT_EQ(view->selectedGroup(), FeatureGroup::goals);
    EXPECT_TRUE(view->chip(FeatureGroup::goals)->isChecked());
    EXPECT_EQ(view->searchField()->text(), "цел");
    EXPECT_EQ(rows(), before);
}

TEST_F(FeatureCenterTest, SearchIsCaseInsensitiveUntrimmedAndHidesEmptyGroups) {
    const struct {
        FeatureAudience audience;
        std::optional<FeatureGroup> chip;
        const char* query;
        QStringList sections, rows;
    } cases[] = {
        {FeatureAudience::child, {}, "ПоИсК", {"Занбек"}, {"duplicate-watch", "subscription-watch"}},
        {FeatureAudience::parent, {}, "поиск", {}, {}},
        {FeatureAudience::child,
         {},
         "таймер",
         {"Привычки и задания", "Безопасность"},
         {"task-timer", "qr-expiry"}},
        {FeatureAudience::child, FeatureGroup::safety, "таймер", {"Безопасность"}, {"qr-expiry"}},
    };
    for (const auto& c : cases) {
        show(true, c.audience);
        if (c.chip) click(view->chip(*c.chip));
        type(view->searchField(), QString::fromUtf8(c.query));
        EXPECT_EQ(sections(), c.sections) << c.query;
        EXPECT_EQ(rows(), c.rows) << c.query;
        EXPECT_EQ(view->caption()->text().split(' ').first(),
                  c.audience == FeatureAudience::child ? "33" : "0");
    }
    EXPECT_FALSE(Gallery::save(*window, "feature-center-search").isEmpty());

    // A lone space is a query: only modules with a space in the title or detail stay.
    show(false, FeatureAudience::parent);
    type(view->searchField(), " ");
    QStringList spaced;
    for (const FeatureModule& module : view->availableModules())
        if (module.titleText().contains(' ') || module.detailText().contains(' ')) spaced << module.idText();
    EXPECT_EQ(rows(), spaced);
    EXPECT_EQ(view->visibleModules().size(), std::size_t(spaced.size()));
}

TEST_F(FeatureCenterTest, SuggestionsComeFromTheAudiencesModulesInAnAlert) {
    show(false, FeatureAudience::parent);
    QRandomGenerator seeded(18);
    view->setRandomSource([&](int count) { return int(seeded.bounded(count)); });
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        click(view->suggestionButton());
        const std::optional<FeatureModule> module = view->surpriseModule();
        ASSERT_TRUE(module);
        EXPECT_NE(module->audience, FeatureAudience::child) << module->id;
        seen.insert(module->idText());
        Alert* alert = currentAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title(), "Попробуй сегодня");
        EXPECT_EQ(alert->message(), module->titleText() + " — " + module->detailText());
        ASSERT_EQ(alert->buttons().size(), 1);
        EXPECT_EQ(alert->buttons().front().title, "Понятно");
        alert->press(0);
        settle();
        EXPECT_FALSE(view->surpriseModule());
    }
    EXPECT_GT(seen.size(), 25);  // spread over the list, not stuck on one
}

TEST_F(FeatureCenterTest, DarkThemeGallery) {
    setPreference("appTheme", "dark");
    show(true, FeatureAudience::child);
    click(view->chip(FeatureGroup::fun));
    view->body()->verticalScrollBar()->setValue(0);
    EXPECT_FALSE(Gallery::save(*window, "feature-center-dark").isEmpty());
    openDetail("xp-levels");
    EXPECT_FALSE(Gallery::save(*window, "feature-detail-dark").isEmpty());
}

TEST_F(FeatureCenterTest, ADoubleClickOnARowOpensOneDetailPageNamedForTheModule) {
    show(true, FeatureAudience::child);
    PaintedList* list = view->moduleList();
    EXPECT_EQ(list->buttonName("goal-deadline", FeatureRowDelegate::kOpen),
              view->rowDelegate().module("goal-deadline")->titleText());
    EXPECT_TRUE(list->buttonKeys("section:Цели и мечты").isEmpty());  // a header opens nothing
    ASSERT_TRUE(paintedlist::doubleClickButton(list, "goal-deadline", FeatureRowDelegate::kOpen,
                                               [this] { settle(); }));
    settle();
    EXPECT_EQ(stack->depth(), 2);
    auto* detail = qobject_cast<FeatureModuleDetail*>(stack->topPage());
    ASSERT_NE(detail, nullptr);
    const QString title = view->rowDelegate().module("goal-deadline")->titleText();
    bool titled = false;
    for (const TextLabel* label : detail->findChildren<TextLabel*>()) titled |= label->text() == title;
    EXPECT_TRUE(titled);
}

TEST_F(FeatureCenterTest, SearchChoosesRowsWithoutMeasuringThemAgain) {
    show(true, FeatureAudience::child);
    PaintedList* list = view->moduleList();
    list->grab();  // every row measured and painted once
    const qint64 measured = list->measureCount();
    // Queries that keep the page taller than the window, so that its width stays.
    for (const char* query : {"о", "е", "и"}) {
        view->searchField()->clear();
        type(view->searchField(), QString::fromUtf8(query));
        ASSERT_GT(rows().size(), 20) << query;
        list->grab();
    }
    view->searchField()->clear();
    settle();
    list->grab();
    // Only a header that comes to start the list, or stops starting it, is measured again.
    EXPECT_LE(list->measureCount() - measured, 2 * 4);
    EXPECT_EQ(rows().size(), 48);
    EXPECT_EQ(sections().size(), qsizetype(kFeatureGroups.size()));
}
