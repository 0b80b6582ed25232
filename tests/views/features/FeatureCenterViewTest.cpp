#include <QRandomGenerator>
#include <QScrollBar>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/SearchField.h"
#include "components/TextLabel.h"
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
    template <class Widget>
    QStringList shown(const QString& prefix) const {
        QStringList names;
        for (Widget* widget : view->findChildren<Widget*>())
            if (widget->objectName().startsWith(prefix) && widget->isVisibleTo(view))
                names << widget->objectName().mid(prefix.size());
        return names;
    }
    QStringList rows() const { return shown<FeatureModuleRow>(QStringLiteral("featureRow_")); }
    QStringList sections() const { return shown<QWidget>(QStringLiteral("featureSection_")); }
    // Opens a row's detail page; true when it offers the working screen.
    bool openDetail(const QString& id) {
        click(view->row(id));
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
            const QString badge = view->row(id)->badge()->text();
            working += badge == "Работает";
            EXPECT_TRUE(badge == "Работает" || badge == "Скоро");
        }
        EXPECT_EQ(working, c.working);
        EXPECT_EQ(view->workingModuleCount(), c.working);
        EXPECT_EQ(view->caption()->text(), QString::number(c.working) +
                                               " функций открывают готовые разделы · остальные честно "
                                               "помечены как будущие");
        EXPECT_DOUBLE_EQ(view->progressBar()->value(), double(c.working) / c.rows);
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
