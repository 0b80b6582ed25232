// What a screen reader finds on the screens that paint their records as rows
// of one list: every record is an element named as its screen labels it (or
// by what it shows, in reading order), and every button in a row says which
// record it acts on, for records in every state.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

#include "components/NavigationStack.h"
#include "store/DemoLedger.h"
#include "support/AccessibleTree.h"
#include "views/PageScrolling.h"
#include "views/family/FamilyAccountView.h"
#include "views/features/FeatureCenterView.h"
#include "views/ledger/DashboardView.h"
#include "views/planning/BadgesView.h"
#include "views/planning/ChallengesView.h"
#include "views/planning/DebtsView.h"
#include "views/planning/RecurringTransactionsView.h"
#include "views/planning/WishlistView.h"
#include "views/shell/ShellFixture.h"

using namespace shelltest;
using accessibletree::Element;

namespace {

constexpr auto kRow = QAccessible::ListItem;
constexpr auto kButton = QAccessible::Button;

// The table writes the no-break spaces of money ("150,00~CN¥") and of dates
// ("2024^г.") as "~" and "^".
QString spaced(QString text) {
    return text.replace(QLatin1Char('~'), QChar(0x00A0)).replace(QLatin1Char('^'), QChar(0x202F));
}

Decimal dec(const char* text) { return *Decimal::parse(std::string_view(text)); }
QDateTime day(int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(12, 0), QTimeZone::utc()); }

struct FamilyTaskSpec {
    const char* id;
    const char* status;
    qint64 cents;
    QJsonObject extra = {};
};

QByteArray familyAnswer(const QList<FamilyTaskSpec>& tasks) {
    QJsonArray list;
    for (const FamilyTaskSpec& t : tasks) {
        QJsonObject task{{"id", t.id},
                         {"title", QStringLiteral("Задание %1").arg(t.id)},
                         {"reward_cents", t.cents},
                         {"status", t.status},
                         {"child_user_id", "child-1"},
                         {"child_nickname", "Аня"}};
        for (auto it = t.extra.begin(); it != t.extra.end(); ++it) task.insert(it.key(), it.value());
        list.append(task);
    }
    const QJsonArray members{QJsonObject{{"id", "parent-1"}, {"nickname", "Мама"}, {"role", "parent"}},
                             QJsonObject{{"id", "child-1"}, {"nickname", "Аня"}, {"role", "child"}}};
    return QJsonDocument(QJsonObject{{"members", members}, {"tasks", list}}).toJson();
}

class AccessibleRowsTest;

struct Screen;
void PrintTo(const Screen& screen, std::ostream* os);

struct Screen {
    const char* name;
    std::function<void(AccessibleRowsTest&)> show;
    QList<Element> expected;
};

void PrintTo(const Screen& screen, std::ostream* os) { *os << screen.name; }

class AccessibleRowsTest : public ShellTest, public ::testing::WithParamInterface<Screen> {
public:
    FakeHaptics& fakeHaptics() { return haptics; }
    // The family tab signed in as `user`, the family answering `tasks`.
    void showFamily(const QByteArray& user, const QList<FamilyTaskSpec>& tasks) {
        if (user == kParentUser) setBuildRole("parent");
        server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(user)));
        server.on("GET", "/api/family", ScriptedResponse::json(200, familyAnswer(tasks)));
        saveSignIn(user);
        auto* page = new FamilyAccountView(account(), services);
        showInWindow(new NavigationStack(page));
        ASSERT_TRUE(waitUntil([&] { return account().tasks().size() == tasks.size(); }));
        settle();
    }
    // A screen of the ledger holding `data`, scrolled through so that every lazy part is built.
    void showLedger(const MoneyData& data, const std::function<NavigationPage*(MoneyStore&)>& make) {
        store().setData(data);
        NavigationPage* page = make(store());
        showInWindow(new NavigationStack(page));
        settle();
        viewtest::scrollThrough(page->body());
        settle();
    }
};

MoneyData ledger() {
    MoneyData d = MoneyData::emptyLedger();
    d.debts = std::vector<DebtRecord>{
        {"D-1", "Маша", dec("150"), DebtDirection::owesMe, "за обед", day(2024, 5, 20), false},
        {"D-2", "Петя", dec("40"), DebtDirection::iOwe, "", std::nullopt, false},
        {"D-3", "Оля", dec("7"), DebtDirection::iOwe, "", day(2024, 5, 1), false}};
    d.challenges = std::vector<SavingsChallenge>{
        {"C-1", "Копилка", ChallengeKind::saving, dec("120"), dec("30"), day(2024, 5, 1), day(2024, 6, 1), false},
        {"C-2", "Марафон", ChallengeKind::saving, dec("10"), dec("10"), day(2024, 4, 1), day(2024, 6, 1), true}};
    d.recurringTransactions = std::vector<RecurringTransaction>{
        {"R-1", "Подписка", TransactionKind::expense, dec("299"), "Развлечения", RecurringFrequency::monthly,
         day(2024, 6, 1), true},
        {"R-2", "Зарплата", TransactionKind::income, dec("5000"), "Зарплата", RecurringFrequency::weekly,
         day(2024, 5, 17), false}};
    d.wishes = std::vector<WishItem>{{"W-1", "Велосипед", dec("1000"), dec("250"), day(2024, 5, 1), false},
                                     {"W-2", "Книга", dec("20"), dec("20"), day(2024, 5, 2), true}};
    d.goalName = "Самокат";
    d.goalAmount = dec("100");
    d.additionalGoals = std::vector<SavingsGoal>{{"G-1", "Ноутбук", dec("300"), std::nullopt, false}};
    d.rewardTasks = std::vector<RewardTask>{
        {"T-1", "Полить цветы", dec("20"), 2, std::nullopt, day(2024, 5, 20), 2, false}};
    return d;
}

TEST_P(AccessibleRowsTest, EveryRecordIsAnElementAndEveryButtonSaysItsRecord) {
    const Screen& screen = GetParam();
    screen.show(*this);
    if (HasFatalFailure()) return;
    const QList<Element> found = accessibletree::elements(window());
    for (Element e : screen.expected) {
        e.name = spaced(e.name);
        e.description = spaced(e.description);
        EXPECT_TRUE(found.contains(e)) << screen.name << ": no " << ::testing::PrintToString(e);
    }
    if (HasFailure())
        for (const Element& e : found)
            if (e.role == kRow || e.role == kButton) std::cout << "  found " << e << '\n';
}

const QList<Screen> kScreens = {
    {"child's tasks",
     [](AccessibleRowsTest& t) {
         t.showFamily(kChildUser, {{"a", "active", 500}, {"b", "review", 1250}, {"c", "done", 100}});
     },
     {{kRow, "Задание a, +5 CNY, В работе"},
      {kButton, "Готово", "Задание a, +5 CNY, В работе"},
      {kRow, "Задание b, +12 CNY, Ждёт проверки"},
      {kRow, "Задание c, +1 CNY, Выполнено"}}},
    {"task board",
     [](AccessibleRowsTest& t) {
         t.showFamily(kParentUser,
                      {{"r", "review", 5000, {{"approval_count", 1}, {"required_approvals", 2}}},
                       {"v", "review", 700, {{"approval_count", 1}, {"required_approvals", 2},
                                             {"current_user_approved", 1}}},
                       {"a", "active", 300},
                       {"d", "done", 100}});
     },
     {{kRow, "Задание r, +50 CNY, Аня, ждёт проверки, Подтверждения: 1/2"},
      {kButton, "Вернуть", "Задание r, Аня"},
      {kButton, "Подтвердить", "Задание r, Аня"},
      {kRow, "Задание v, +7 CNY, Аня, ждёт проверки, Подтверждения: 1/2, Ваш голос учтён"},
      {kButton, "Вернуть", "Задание v, Аня"},
      {kRow, "Задание a, +3 CNY, Аня, в работе"},
      {kRow, "Задание d, +1 CNY, Аня, выполнено"}}},
    {"debts",
     [](AccessibleRowsTest& t) { t.showLedger(ledger(), [](MoneyStore& s) { return new DebtsView(s); }); },
     {{kRow, "Маша, 150,00~CN¥, Должны мне · за обед, До 20 мая 2024^г."},
      {kButton, "Закрыть долг", "Маша, 150,00~CN¥, Должны мне · за обед, До 20 мая 2024^г."},
      {kRow, "Петя, 40,00~CN¥, Должен я"},
      {kButton, "Закрыть долг", "Петя, 40,00~CN¥, Должен я"},
      {kRow, "Оля, 7,00~CN¥, Должен я, До 1 мая 2024^г."},
      {kButton, "Закрыть долг", "Оля, 7,00~CN¥, Должен я, До 1 мая 2024^г."}}},
    {"challenges",
     [](AccessibleRowsTest& t) { t.showLedger(ledger(), [](MoneyStore& s) { return new ChallengesView(s); }); },
     {{kRow, "Копилка, 25%, 30 из 120 · до 1 июн. 2024^г."},
      {kButton, "Добавить 50 CNY", "Копилка, 25%, 30 из 120 · до 1 июн. 2024^г."},
      {kRow, "Марафон, 100%, 10 из 10 · до 1 июн. 2024^г."}}},
    {"recurring operations",
     [](AccessibleRowsTest& t) {
         t.showLedger(ledger(), [](MoneyStore& s) { return new RecurringTransactionsView(s); });
     },
     {{kRow, "Подписка, 299,00~CN¥, Каждый месяц · следующая 1~июн.~2024^г."},
      {kButton, "Выключить", "Подписка, 299,00~CN¥, Каждый месяц · следующая 1~июн.~2024^г."},
      {kRow, "Зарплата, 5~000,00~CN¥, Каждую неделю · следующая 17~мая~2024^г."},
      {kButton, "Включить", "Зарплата, 5~000,00~CN¥, Каждую неделю · следующая 17~мая~2024^г."}}},
    {"wish list",
     [](AccessibleRowsTest& t) { t.showLedger(ledger(), [](MoneyStore& s) { return new WishlistView(s); }); },
     {{kRow, "Велосипед, 1~000,00~CN¥, Накоплено 250,00~CN¥ · осталось 750,00~CN¥"},
      {kButton, "+10", "Велосипед, 1~000,00~CN¥, Накоплено 250,00~CN¥ · осталось 750,00~CN¥"},
      {kRow, "Книга, 20,00~CN¥, Накоплено 20,00~CN¥ · осталось 0,00~CN¥"}}},
    {"dashboard",
     [](AccessibleRowsTest& t) {
         t.showLedger(ledger(), [&t](MoneyStore& s) { return new DashboardView(s, t.fakeHaptics(), {}, {}, {}); });
     },
     {{kRow, "Цель Самокат, 100,00~CN¥, накоплено 0 процентов"},
      {kButton, "Удалить цель", "Цель Ноутбук, 300,00~CN¥, накоплено 0 процентов"},
      {kRow, "Полить цветы, Награда 20,00~CN¥ · выполнено 2, До 20 мая 2024^г., 12:00 · сложность 2/3"},
      {kButton, "Готово",
       "Полить цветы, Награда 20,00~CN¥ · выполнено 2, До 20 мая 2024^г., 12:00 · сложность 2/3"}}},
    {"badges",
     [](AccessibleRowsTest& t) { t.showLedger(demoLedger(), [](MoneyStore& s) { return new BadgesView(s); }); },
     {{kRow, "Первый шаг, Бронза, 10 очков", "", "Получено"},
      {kRow, "Счёт ведётся, Бронза, 15 очков", "", "Выполнено 60 процентов"}}},
    {"feature center",
     [](AccessibleRowsTest& t) {
         t.showLedger(ledger(), [](MoneyStore& s) { return new FeatureCenterView(&s, FeatureAudience::child); });
     },
     {{kRow, "Цели и мечты"},
      {kRow, "Срок цели, Считает дни и темп накопления, Работает"},
      {kButton, "Срок цели", "Срок цели, Считает дни и темп накопления, Работает"},
      {kRow, "Лента семьи, Собирает важные события в одном месте, Скоро"}}},
};

INSTANTIATE_TEST_SUITE_P(ListScreens, AccessibleRowsTest, ::testing::ValuesIn(kScreens),
                         [](const ::testing::TestParamInfo<Screen>& info) {
                             QString name = QString::fromUtf8(info.param.name);
                             QString out;
                             for (const QChar c : name)
                                 if (c.isLetterOrNumber() && c.unicode() < 128) out += c;
                             return out.toStdString() + std::to_string(info.index);
                         });

}  // namespace
