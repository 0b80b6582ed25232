#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "KitFixture.h"
#include "components/Button.h"
#include "components/MoneyCard.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "components/TabView.h"
#include "components/TextLabel.h"

namespace {

NavigationPage* pageWithCards(const QString& title, int cards) {
    auto* page = new NavigationPage(title);
    for (int i = 0; i < cards; ++i)
        page->body()->addWidget(MoneyCard::withText(QStringLiteral("Карточка %1").arg(i + 1),
                                                    QStringLiteral("chart.pie"),
                                                    QStringLiteral("Содержимое карточки")));
    return page;
}

// The app's six tabs in their order: tag, title, symbol.
const std::tuple<const char*, const char*, const char*> kTabs[] = {
    {"family", "Задания", "checklist"},
    {"dashboard", "Главная", "house.fill"},
    {"transactions", "Операции", "list.bullet.rectangle"},
    {"planner", "План", "calendar.badge.checkmark"},
    {"calculator", "Калькулятор", "plus.forwardslash.minus"},
    {"analytics", "Аналитика", "chart.bar.fill"},
};

void addTabs(TabView& tabs) {
    for (const auto& [tag, title, symbol] : kTabs)
        tabs.addTab(QString::fromLatin1(tag), QString::fromUtf8(title), QString::fromLatin1(symbol),
                    new NavigationStack(new NavigationPage(QString::fromUtf8(title))));
}

}  // namespace

TEST_F(KitTest, PushShowsBackButtonAndPopReturns) {
    auto* root = pageWithCards(QStringLiteral("План"), 1);
    NavigationStack stack(root);
    stack.resize(390, 844);
    stack.show();
    settle();
    EXPECT_EQ(stack.depth(), 1);
    EXPECT_FALSE(root->backButton()->isVisible());
    EXPECT_TRUE(root->largeTitleLabel()->isVisible());

    QSignalSpy rootAppeared(root, &NavigationPage::appeared);
    QSignalSpy rootDisappeared(root, &NavigationPage::disappeared);
    auto* settings = pageWithCards(QStringLiteral("Настройки"), 2);
    QSignalSpy settingsAppeared(settings, &NavigationPage::appeared);
    QPointer<NavigationPage> watch(settings);
    stack.push(settings);
    settle();
    EXPECT_EQ(stack.topPage(), settings);
    EXPECT_EQ(settingsAppeared.count(), 1);
    EXPECT_EQ(rootDisappeared.count(), 1);
    EXPECT_FALSE(root->isVisible());
    ASSERT_TRUE(settings->backButton()->isVisible());
    EXPECT_EQ(settings->backButton()->text(), QStringLiteral("План"));
    EXPECT_EQ(NavigationStack::of(settings->body()), &stack);

    QTest::mouseClick(settings->backButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(stack.topPage(), root);
    EXPECT_EQ(rootAppeared.count(), 1);
    EXPECT_TRUE(watch.isNull());  // popped pages are deleted

    stack.pop();  // the root stays
    EXPECT_EQ(stack.depth(), 1);
}

TEST_F(KitTest, LongTitlesGiveWayToBackAndPopToRootAndSetRootReplacePages) {
    auto* root = new NavigationPage(QStringLiteral("Очень длинный заголовок экрана"));
    NavigationStack stack(root);
    auto* next = new NavigationPage(QStringLiteral("Один"));
    stack.push(next);
    EXPECT_EQ(next->backButton()->text(), QStringLiteral("Назад"));  // a long previous title gives way
    stack.push(new NavigationPage(QStringLiteral("Два")));
    EXPECT_EQ(stack.depth(), 3);
    stack.popToRoot();
    EXPECT_EQ(stack.depth(), 1);
    EXPECT_EQ(stack.topPage(), root);

    QPointer<NavigationPage> old(root);
    auto* fresh = new NavigationPage(QStringLiteral("Семья"));
    stack.setRoot(fresh);
    settle();
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(stack.rootPage(), fresh);
    EXPECT_EQ(stack.depth(), 1);
}

TEST_F(KitTest, ToolbarButtonsWorkAndTheInlineTitleShowsOnceTheLargeTitleScrolledAway) {
    auto* page = pageWithCards(QStringLiteral("Аналитика"), 12);
    Button* add = page->addToolbarButton(QStringLiteral("Добавить"), QStringLiteral("plus"),
                                         ToolbarPlacement::Trailing);
    Button* cancel = page->addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    NavigationStack stack(page);
    stack.resize(390, 600);
    stack.show();
    settle();
    QSignalSpy added(add, &QAbstractButton::clicked);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(add->accessibleName(), QStringLiteral("Добавить"));
    EXPECT_GT(add->geometry().left(), cancel->geometry().left());  // trailing after leading

    EXPECT_TRUE(page->inlineTitleLabel()->text().isEmpty());
    page->body()->verticalScrollBar()->setValue(400);
    EXPECT_EQ(page->inlineTitleLabel()->text(), QStringLiteral("Аналитика"));
    page->setTitleDisplay(NavigationPage::TitleDisplay::Inline);
    page->body()->verticalScrollBar()->setValue(0);
    EXPECT_EQ(page->inlineTitleLabel()->text(), QStringLiteral("Аналитика"));
    EXPECT_FALSE(page->largeTitleLabel()->isVisible());
}

TEST_F(KitTest, ANamedScrollingBodyCarriesTheLargeTitleAwayAndNullHandsItBack) {
    // A page whose content scrolls in a body of its own.
    auto* page = pageWithCards(QStringLiteral("Семья"), 0);
    auto* body = new PageBody;
    for (int i = 0; i < 12; ++i)
        body->addWidget(MoneyCard::withText(QStringLiteral("Карточка %1").arg(i + 1), QStringLiteral("chart.pie"),
                                            QStringLiteral("Содержимое карточки")));
    page->setContent(body);
    NavigationStack stack(page);
    stack.resize(390, 600);
    stack.show();
    page->setScrollingBody(body);
    settle();
    TextLabel* large = page->largeTitleLabel();
    ASSERT_TRUE(body->content()->isAncestorOf(large));
    EXPECT_EQ(large->mapTo(page, QPoint()).y(), page->inlineTitleLabel()->parentWidget()->height());
    body->verticalScrollBar()->setValue(400);
    EXPECT_EQ(page->inlineTitleLabel()->text(), QStringLiteral("Семья"));

    page->setScrollingBody(nullptr);
    settle();
    EXPECT_FALSE(body->content()->isAncestorOf(large));
    EXPECT_TRUE(large->isVisible());
    EXPECT_TRUE(page->inlineTitleLabel()->text().isEmpty()) << "the released body no longer moves the title";
    QPointer<TextLabel> title(large);
    delete body;  // a released body may go; the title stays with the page
    ASSERT_FALSE(title.isNull());
}

TEST_F(KitTest, TabsSelectByClickAndByTagInTheirOrder) {
    TabView tabs;
    addTabs(tabs);
    tabs.resize(390, 844);
    tabs.show();
    settle();
    EXPECT_EQ(tabs.currentTag(), QStringLiteral("family"));  // the first added starts selected

    // The buttons sit left to right in the order added, each with its
    // symbol and its whole title (six tabs fit a phone-wide bar uncut), all
    // titles in one face: the one the longest title needs.
    int lastX = -1;
    const QFont font = tabs.tabBar()->titleFont();
    QAbstractButton* longest = tabs.tabBar()->button(QStringLiteral("calculator"));
    EXPECT_EQ(font, TabBar::titleFont(longest->text(), longest->width() - 4));
    for (const auto& [tag, title, symbol] : kTabs) {
        QAbstractButton* button = tabs.tabBar()->button(QString::fromLatin1(tag));
        EXPECT_GT(button->geometry().left(), lastX);
        lastX = button->geometry().left();
        EXPECT_EQ(button->property("symbol").toString(), QString::fromLatin1(symbol));
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(QString::fromUtf8(title)), button->width() - 4) << tag;
        EXPECT_GE(font.pixelSize(), TabBar::kMinimumTitleSize);
    }
    EXPECT_EQ(TabBar::titleFont(QStringLiteral("План"), 60).pixelSize(),
              Theme::pointSize(TextStyle::Caption2))
        << "a title that fits keeps the caption2 size";

    QSignalSpy spy(&tabs, &TabView::currentTagChanged);
    auto* plannerStack = static_cast<NavigationStack*>(tabs.content(QStringLiteral("planner")));
    QSignalSpy plannerAppeared(plannerStack->rootPage(), &NavigationPage::appeared);
    QTest::mouseClick(tabs.tabBar()->findChild<QAbstractButton*>(QStringLiteral("tab_planner")),
                      Qt::LeftButton);
    settle();
    EXPECT_EQ(tabs.currentTag(), QStringLiteral("planner"));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(plannerAppeared.count(), 1);
    EXPECT_TRUE(tabs.tabBar()->button(QStringLiteral("planner"))->isChecked());
    EXPECT_FALSE(tabs.tabBar()->button(QStringLiteral("family"))->isChecked());

    // Clicking the selected tab keeps it.
    QTest::mouseClick(tabs.tabBar()->button(QStringLiteral("planner")), Qt::LeftButton);
    EXPECT_TRUE(tabs.tabBar()->button(QStringLiteral("planner"))->isChecked());
    EXPECT_EQ(spy.count(), 1);

    tabs.setCurrentTag(QStringLiteral("dashboard"));
    EXPECT_EQ(tabs.currentTag(), QStringLiteral("dashboard"));
    EXPECT_TRUE(tabs.currentContent()->isVisible());
    tabs.setCurrentTag(QStringLiteral("nowhere"));
    EXPECT_EQ(tabs.currentTag(), QStringLiteral("dashboard"));
    EXPECT_EQ(spy.count(), 2);
}
