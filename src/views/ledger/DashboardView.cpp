#include "views/ledger/DashboardView.h"

#include <QVBoxLayout>

#include "components/LazyColumn.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "features/FeatureCatalog.h"
#include "platform/Haptics.h"
#include "services/MoneyText.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/ledger/dashboard/BalanceCard.h"
#include "views/ledger/dashboard/DashboardKit.h"
#include "views/ledger/dashboard/DashboardStyle.h"
#include "views/ledger/dashboard/FeatureSpotlight.h"
#include "views/ledger/dashboard/GoalsCard.h"
#include "views/ledger/dashboard/QuickActions.h"
#include "views/ledger/dashboard/QuickTemplatesCard.h"
#include "views/ledger/dashboard/RecentCard.h"
#include "views/ledger/dashboard/TasksCard.h"
#include "views/ledger/dashboard/TipCard.h"
#include "views/ledger/dashboard/TodayCard.h"
#include "views/shell/ScreenFactories.h"

namespace {

namespace style = dashboard_style;

// The preferences the page shows; a change of any of them redraws it.
const QStringList& shownPreferences() {
    static const QStringList keys{QStringLiteral("profileName"), QStringLiteral("hideBalances"),
                                  QStringLiteral("currencyCode"), QStringLiteral("showSmartTips"),
                                  QStringLiteral("appLanguage")};
    return keys;
}

// Adds a card of type C made by `make` and drawn by its draw().
template <class C>
void addCard(LazyColumn* column, std::function<C*()> make, int estimate) {
    column->addCard([make = std::move(make)]() -> QWidget* { return make(); },
                    [](QWidget* card) { static_cast<C*>(card)->draw(); }, estimate);
}

}  // namespace

DashboardView::DashboardView(MoneyStore& store, Haptics& haptics, AddTransaction addTransaction,
                             Action addGoal, Action addTask, QWidget* parent)
    : NavigationPage(QString(), parent),
      store_(store),
      haptics_(haptics),
      addTransaction_(std::move(addTransaction)),
      addGoal_(std::move(addGoal)),
      addTask_(std::move(addTask)) {
    setObjectName(QStringLiteral("dashboard"));
    PageBody* page = body();
    page->stack()->setContentsMargins(Spacing::pagePadding, Spacing::pagePadding, Spacing::pagePadding,
                                      style::bottomPadding);
    cards_ = LazyColumn::addTo(page);
    addParts();

    connect(&store_, &MoneyStore::dataChanged, this, &DashboardView::redraw);
    connect(&store_, &MoneyStore::saveErrorChanged, this, &DashboardView::syncSaveErrorAlert);
    connect(&store_, &MoneyStore::ledgerNoticeChanged, this, &DashboardView::syncLedgerNoticeAlert);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (shownPreferences().contains(key)) redraw();
    });
    connect(&Theme::current(), &Theme::changed, this, &DashboardView::redraw);
    // Coming back to the tab after midnight shows the new day.
    connect(this, &NavigationPage::appeared, this, [this] {
        redraw();
        syncSaveErrorAlert();
        syncLedgerNoticeAlert();
    });
    redraw();
}

void DashboardView::addParts() {
    MoneyStore& store = store_;
    // In the order of Part.
    addCard<BalanceCard>(
        cards_, [&store] { return new BalanceCard(store); }, style::balanceEstimate);
    addCard<FeatureSpotlight>(
        cards_,
        [this] {
            auto* link = new FeatureSpotlight;
            connect(link, &QAbstractButton::clicked, this, &DashboardView::openFeatureCenter);
            return link;
        },
        style::spotlightEstimate);
    addCard<GoalsCard>(
        cards_,
        [this, &store] {
            return new GoalsCard(store, [this] {
                if (addGoal_) addGoal_();
            });
        },
        style::listCardEstimate);
    addCard<TodayCard>(
        cards_, [&store] { return new TodayCard(store); }, style::todayEstimate);
    cards_->addCard(
        [this]() -> QWidget* {
            return new QuickActions([this](TransactionKind kind) {
                if (addTransaction_) addTransaction_(kind);
            });
        },
        {}, style::quickActionsEstimate);
    addCard<QuickTemplatesCard>(
        cards_, [&store] { return new QuickTemplatesCard(store); }, style::templatesEstimate);
    addCard<TasksCard>(
        cards_,
        [this, &store] {
            return new TasksCard(
                store,
                [this] {
                    if (addTask_) addTask_();
                },
                [this](const QString& id) { completeTask(id); });
        },
        style::listCardEstimate);
    addCard<TipCard>(
        cards_, [&store] { return new TipCard(store); }, style::tipEstimate);
    addCard<RecentCard>(
        cards_, [&store] { return new RecentCard(store); }, style::listCardEstimate);
}

DashboardView::~DashboardView() = default;

QString DashboardView::mask() { return dashboard::mask(); }

QString DashboardView::titleFor(const QString& profileName) {
    return profileName.isEmpty() ? QStringLiteral("Занбек") : QStringLiteral("Привет, ") + profileName + u'!';
}

QWidget* DashboardView::part(Part part) { return cards_->card(int(part)); }

void DashboardView::redraw() {
    setTitle(titleFor(Preferences::standard().string(QStringLiteral("profileName"))));
    cards_->redraw();
}

// --- Actions and alerts -------------------------------------------------------------

void DashboardView::completeTask(const QString& id) {
    completedTask_ = store_.completeTask(id);
    ++completionFeedback_;
    if (Preferences::standard().boolean(QStringLiteral("hapticsEnabled"), true))
        haptics_.play(Haptics::Feedback::success);
    if (completedTask_) showCompletionAlert(*completedTask_);
}

void DashboardView::showCompletionAlert(const RewardTask& task) {
    Alert* alert = completionAlert_.hold(
        Alert::present(this, QStringLiteral("Задание выполнено!"),
                       QStringLiteral("+") + cnyText(task.reward) + QStringLiteral(" добавлено в копилку"),
                       {{QStringLiteral("Отлично"), AlertButton::Role::Default}}));
    if (!alert) return;
    connect(alert, &Alert::finished, this, [this] { completedTask_.reset(); });
}

void DashboardView::openFeatureCenter() {
    if (NavigationStack* stack = navigationStack())
        stack->push(screens::featureCenter(&store_, FeatureAudience::child));
}

void DashboardView::showEvent(QShowEvent* event) {
    NavigationPage::showEvent(event);
    syncSaveErrorAlert();
    syncLedgerNoticeAlert();
}

void DashboardView::syncLedgerNoticeAlert() {
    if (!store_.ledgerNotice()) {
        ledgerNoticeAlert_.reset();
        return;
    }
    if (ledgerNoticeAlert_ || !isVisible()) return;  // shown once, when the page is on screen
    // The kept file's name is one long word to the line breaker, wider than
    // the alert: it may wrap after its dots and hyphens (a zero-width space).
    QString message = *store_.ledgerNotice();
    message.replace(QLatin1Char('.'), QStringLiteral(".\u200B"));
    message.replace(QLatin1Char('-'), QStringLiteral("-\u200B"));
    Alert* alert = ledgerNoticeAlert_.hold(Alert::present(
        this, QStringLiteral("Новый журнал"), message, {{QStringLiteral("Хорошо"), AlertButton::Role::Cancel}}));
    if (!alert) return;
    connect(alert, &Alert::finished, this, [this] { store_.setLedgerNotice(std::nullopt); });
}

void DashboardView::syncSaveErrorAlert() {
    const std::optional<QString>& error = store_.saveError();
    if (!error) {
        // A later successful save took the error away: so goes the alert.
        saveErrorAlert_.reset();
        return;
    }
    const QString message = *error;
    if (saveErrorAlert_ && saveErrorAlertText_ == message) return;
    if (!isVisible()) return;  // shown when the page is next on screen
    Alert* alert = saveErrorAlert_.hold(Alert::present(
        this, QStringLiteral("Ошибка сохранения"), message, {{QStringLiteral("Хорошо"), AlertButton::Role::Cancel}}));
    saveErrorAlertText_ = message;
    if (!alert) return;
    // However the alert goes away, acknowledging it clears the error for everyone.
    connect(alert, &Alert::finished, this, [this] { store_.setSaveError(std::nullopt); });
}
