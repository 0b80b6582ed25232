#include "views/ledger/DashboardView.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "components/AdaptiveGridLayout.h"
#include "components/Button.h"
#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/DateText.h"
#include "components/MoneyCard.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/Popups.h"
#include "components/ProgressBar.h"
#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "platform/Haptics.h"
#include "services/MoneyText.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
#include "features/FeatureCatalog.h"
#include "views/shell/ScreenFactories.h"

namespace {

// The preferences the page shows; a change of any of them redraws it.
const QStringList& shownPreferences() {
    static const QStringList keys{QStringLiteral("profileName"), QStringLiteral("hideBalances"),
                                  QStringLiteral("currencyCode"), QStringLiteral("showSmartTips"),
                                  QStringLiteral("appLanguage")};
    return keys;
}

bool hideBalances() { return Preferences::standard().boolean(QStringLiteral("hideBalances"), false); }

const QColor kWhite(Qt::white);

QColor whiteAt(qreal opacity) {
    QColor c = kWhite;
    c.setAlphaF(float(opacity));
    return c;
}

QColor tealAt(qreal opacity) {
    QColor c = Theme::current().color(ColorRole::Teal);
    c.setAlphaF(float(opacity));
    return c;
}

// The header button of the goals and tasks cards.
Button* headerAddButton(const QString& objectName) {
    auto* add =
        new Button(QStringLiteral("Добавить"), Button::Style::Plain, QStringLiteral("plus.circle.fill"));
    add->setObjectName(objectName);
    add->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    add->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // the title beside it shrinks first
    return add;
}

// A card's headline, in the size of every card header: beside the header's
// button it wraps between its words rather than shrink or push the card wider.
SymbolLabel* headerLabel(const QString& title, const QString& symbol) {
    auto* label = new SymbolLabel(title, symbol, TextStyle::Headline);
    label->titleLabel()->setWordWrap(true);
    return label;
}

// The card frame of the goals, templates, tasks and recent cards.
Card* framedCard(const QString& objectName, int spacing) {
    auto* card = new Card;
    card->setObjectName(objectName);
    card->setSpacing(spacing);
    return card;
}

QVBoxLayout* listLayout(QWidget* holder, int spacing) {
    auto* list = new QVBoxLayout(holder);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(spacing);
    return list;
}

// The five newest operations in the order of MoneyStore::sortedTransactions
// (newest date first, equal dates in ledger order), without sorting the whole
// ledger on every redraw.
std::vector<MoneyTransaction> newestTransactions(const std::vector<MoneyTransaction>& all,
                                                 std::size_t count) {
    std::vector<std::size_t> best;  // indices, kept in display order
    best.reserve(count + 1);
    const auto before = [&all](std::size_t a, std::size_t b) {
        return all[a].date != all[b].date ? all[a].date > all[b].date : a < b;
    };
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (best.size() == count && !before(i, best.back())) continue;
        auto at = std::upper_bound(best.begin(), best.end(), i, before);
        best.insert(at, i);
        if (best.size() > count) best.pop_back();
    }
    std::vector<MoneyTransaction> result;
    result.reserve(best.size());
    for (std::size_t i : best) result.push_back(all[i]);
    return result;
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
    page->stack()->setContentsMargins(Spacing::pagePadding, Spacing::pagePadding, Spacing::pagePadding, 28);
    page->addWidget(buildBalanceCard());
    page->addWidget(buildSpotlight());
    page->addWidget(buildGoalsCard());
    page->addWidget(buildTodayGrid());
    page->addWidget(buildQuickActions());
    page->addWidget(buildTemplatesCard());
    page->addWidget(buildTasksCard());
    page->addWidget(buildTipCard());
    page->addWidget(buildRecentCard());

    connect(&store_, &MoneyStore::dataChanged, this, &DashboardView::redraw);
    connect(&store_, &MoneyStore::saveErrorChanged, this, &DashboardView::syncSaveErrorAlert);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (shownPreferences().contains(key)) redraw();
    });
    connect(&Theme::current(), &Theme::changed, this, &DashboardView::redraw);
    // Coming back to the tab after midnight shows the new day.
    connect(this, &NavigationPage::appeared, this, [this] {
        redraw();
        syncSaveErrorAlert();
    });
    redraw();
}

DashboardView::~DashboardView() {
    // The alerts live in the window's overlay host; take ours along.
    dropSaveErrorAlert();
    if (completionAlert_) {
        disconnect(completionAlert_, nullptr, this, nullptr);
        completionAlert_->cancel();
    }
}

QString DashboardView::mask() { return QStringLiteral("••••••"); }

QString DashboardView::titleFor(const QString& profileName) {
    return profileName.isEmpty() ? QStringLiteral("Занбек") : QStringLiteral("Привет, ") + profileName + u'!';
}

DashboardView::GoalProgress DashboardView::goalProgress(const Decimal& balance, const Decimal& amount) {
    if (amount.signum() <= 0 || balance.signum() <= 0) return {};
    if (balance >= amount) return {1.0, 100};
    const std::optional<Decimal> quotient = Decimal::checkedDiv(balance, amount);
    if (!quotient) return {};
    const std::optional<Decimal> hundredths = Decimal::checkedMul(*quotient, Decimal(100));
    const qint64 percent =
        hundredths ? std::clamp<qint64>(hundredths->truncated().toInt64Saturated(), 0, 99) : 0;
    return {std::clamp(quotient->toDouble(), 0.0, 1.0), percent};
}

// --- Building the page once ---------------------------------------------------

QWidget* DashboardView::buildBalanceCard() {
    auto* card = new Card;
    balanceCard_ = card;
    card->setObjectName(QStringLiteral("balanceCard"));
    card->setRadius(28);
    card->setPadding(22);
    card->setSpacing(20);
    auto* shadow = new QGraphicsDropShadowEffect(card);
    shadow->setBlurRadius(36);
    shadow->setOffset(0, 8);
    card->setGraphicsEffect(shadow);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    auto* brand = new SymbolLabel(QStringLiteral("ZANBECK"), QStringLiteral("wallet.bifold.fill"),
                                  TextStyle::Subheadline);
    brand->setTextStyle(TextStyle::Subheadline, QFont::Bold);
    brand->setColor(kWhite);
    top->addWidget(brand);
    top->addStretch(1);
    auto* badge = new CapsuleLabel(whiteAt(0.16));
    currencyBadge_ = badge->label();
    currencyBadge_->setObjectName(QStringLiteral("currencyBadge"));
    currencyBadge_->setTextStyle(TextStyle::Caption, QFont::Bold);
    currencyBadge_->setColor(kWhite);
    top->addWidget(badge);
    card->stack()->addLayout(top);

    auto* amount = new QVBoxLayout;
    amount->setSpacing(4);
    auto* caption = new TextLabel(QStringLiteral("В копилке"), TextStyle::Subheadline);
    caption->setColor(whiteAt(0.75));
    amount->addWidget(caption);
    balanceText_ = new TextLabel({}, TextStyle::LargeTitle);
    balanceText_->setObjectName(QStringLiteral("balanceText"));
    balanceText_->setTextStyle(TextStyle::LargeTitle, QFont::Bold);
    balanceText_->setColor(kWhite);
    balanceText_->setMinimumScaleFactor(TextFit::kMinimumScale);
    amount->addWidget(balanceText_);
    card->stack()->addLayout(amount);

    budget_ = new QWidget;
    budget_->setObjectName(QStringLiteral("budgetSection"));
    auto* budget = listLayout(budget_, 6);
    budgetBar_ = new ProgressBar;
    budgetBar_->setObjectName(QStringLiteral("budgetBar"));
    budget->addWidget(budgetBar_);
    budgetText_ = new TextLabel({}, TextStyle::Caption);
    budgetText_->setObjectName(QStringLiteral("budgetText"));
    budgetText_->setTextStyle(TextStyle::Caption, QFont::DemiBold);
    budgetText_->setColor(whiteAt(0.85));
    budget->addWidget(budgetText_);
    card->addWidget(budget_);
    return card;
}

QWidget* DashboardView::buildSpotlight() {
    auto* link = new TileButton(ColorRole::SecondaryGroupedBackground, 1.0, Spacing::cardRadius);
    link->setObjectName(QStringLiteral("featureSpotlight"));
    link->setAccessibleName(QStringLiteral("Версия 1.5, 64 новых функции уже внутри"));
    auto* row = new QHBoxLayout(link);
    row->setContentsMargins(15, 15, 15, 15);
    row->setSpacing(14);

    auto* icon = new Card;
    spotlightIcon_ = icon;
    icon->setRadius(17);
    icon->setPadding(0);
    icon->setFixedSize(52, 52);
    auto* symbol = new SymbolView(QStringLiteral("sparkles.rectangle.stack.fill"), 26);
    symbol->setTint(QColor(Qt::black));
    icon->addWidget(symbol, 0, Qt::AlignCenter);
    row->addWidget(icon);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(new TextLabel(QStringLiteral("Версия 1.5"), TextStyle::Headline));
    texts->addWidget(new TextLabel(QStringLiteral("64 новых функции уже внутри"), TextStyle::Caption,
                                   ColorRole::SecondaryLabel));
    row->addLayout(texts, 1);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), 16);
    chevron->setTint(ColorRole::SecondaryLabel);
    row->addWidget(chevron);
    link->makeChildrenTransparent();
    connect(link, &QAbstractButton::clicked, this, &DashboardView::openFeatureCenter);
    return link;
}

QWidget* DashboardView::buildGoalsCard() {
    Card* card = framedCard(QStringLiteral("goalsCard"), 16);
    auto* header = new QHBoxLayout;
    header->addWidget(headerLabel(QStringLiteral("Мои цели"), QStringLiteral("target")), 1);
    Button* add = headerAddButton(QStringLiteral("addGoalButton"));
    connect(add, &QAbstractButton::clicked, this, [this] {
        if (addGoal_) addGoal_();
    });
    header->addWidget(add);
    card->stack()->addLayout(header);
    auto* list = new QWidget;
    goalsList_ = listLayout(list, 16);
    card->addWidget(list);
    return card;
}

QWidget* DashboardView::buildTodayGrid() {
    auto* grid = new AdaptiveGrid(150, 12);
    grid->setObjectName(QStringLiteral("todayGrid"));
    const auto makeCard = [grid](const QString& title, const QString& symbol, ColorRole colour,
                                 const QString& name) {
        MoneyCard* card = MoneyCard::withText(title, symbol, {}, TextStyle::Title3);
        TextLabel* amount = card->textLabel();
        amount->setObjectName(name);
        amount->setTextStyle(TextStyle::Title3, QFont::Bold);
        amount->setColorRole(colour);
        amount->setMinimumScaleFactor(TextFit::kMinimumScale);
        grid->addWidget(card);
        return amount;
    };
    todayIncome_ = makeCard(QStringLiteral("Заработано"), QStringLiteral("arrow.down.left"), ColorRole::Green,
                            QStringLiteral("todayIncome"));
    todayExpense_ = makeCard(QStringLiteral("Потрачено"), QStringLiteral("arrow.up.right"), ColorRole::Orange,
                             QStringLiteral("todayExpense"));
    return grid;
}

QWidget* DashboardView::buildQuickActions() {
    auto* actions = new QWidget;
    actions->setObjectName(QStringLiteral("quickActions"));
    auto* row = new QHBoxLayout(actions);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    const auto makeButton = [this, row](const QString& text, const QString& symbol, ColorRole tint,
                                        TransactionKind kind, const QString& name) {
        // A prominent button drawn here: the kit's large button pads its label
        // too generously for both labels to fit side by side on a phone.
        auto* button = new TileButton(tint, 1.0, 14);
        button->setObjectName(name);
        button->setAccessibleName(text);
        button->setText(text);
        button->setFixedHeight(50);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* line = new QHBoxLayout(button);
        line->setContentsMargins(8, 0, 8, 0);
        line->setSpacing(5);
        line->addStretch(1);
        auto* icon = new SymbolView(symbol, 17);
        icon->setTint(kWhite);
        line->addWidget(icon);
        auto* label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        QFont font = Theme::font(TextStyle::Subheadline, QFont::DemiBold);
        font.setStretch(QFont::SemiCondensed);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, kWhite);
        label->setPalette(palette);
        line->addWidget(label);
        line->addStretch(1);
        button->makeChildrenTransparent();
        connect(button, &QAbstractButton::clicked, this, [this, kind] {
            if (addTransaction_) addTransaction_(kind);
        });
        row->addWidget(button, 1);
    };
    makeButton(QStringLiteral("Добавить доход"), QStringLiteral("plus.circle.fill"), ColorRole::Green,
               TransactionKind::income, QStringLiteral("addIncomeButton"));
    makeButton(QStringLiteral("Добавить расход"), QStringLiteral("minus.circle.fill"), ColorRole::Orange,
               TransactionKind::expense, QStringLiteral("addExpenseButton"));
    return actions;
}

QWidget* DashboardView::buildTemplatesCard() {
    Card* card = framedCard(QStringLiteral("templatesCard"), 12);
    card->addWidget(
        new SymbolLabel(QStringLiteral("В одно касание"), QStringLiteral("bolt.fill"), TextStyle::Headline));
    templatesStrip_ = new QScrollArea;
    templatesStrip_->setObjectName(QStringLiteral("templatesStrip"));
    templatesStrip_->setFrameShape(QFrame::NoFrame);
    templatesStrip_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    templatesStrip_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The row is as wide as its tiles; the strip scrolls it sideways.
    templatesStrip_->setWidgetResizable(false);
    templatesStrip_->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    templatesRow_ = new QHBoxLayout(content);
    templatesRow_->setContentsMargins(0, 0, 0, 0);
    templatesRow_->setSpacing(10);
    templatesRow_->addStretch(1);
    templatesStrip_->setWidget(content);
    content->setAutoFillBackground(false);  // setWidget turned it on; the card shows through
    card->addWidget(templatesStrip_);
    return card;
}

QWidget* DashboardView::buildTasksCard() {
    Card* card = framedCard(QStringLiteral("tasksCard"), 14);
    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(headerLabel(QStringLiteral("Денежные задания"), QStringLiteral("checkmark.seal.fill")));
    completedCount_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    completedCount_->setObjectName(QStringLiteral("completedTaskCount"));
    titles->addWidget(completedCount_);
    header->addLayout(titles, 1);
    Button* add = headerAddButton(QStringLiteral("addTaskButton"));
    connect(add, &QAbstractButton::clicked, this, [this] {
        if (addTask_) addTask_();
    });
    header->addWidget(add, 0, Qt::AlignVCenter);
    card->stack()->addLayout(header);
    auto* list = new QWidget;
    tasksList_ = listLayout(list, 14);
    card->addWidget(list);
    return card;
}

QWidget* DashboardView::buildTipCard() {
    tipCard_ = new Card;
    tipCard_->setObjectName(QStringLiteral("tipCard"));
    tipCard_->setRadius(18);
    tipCard_->setPadding(16);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* icon = new SymbolView(QStringLiteral("sparkles"), 20);
    icon->setTint(ColorRole::Teal);
    row->addWidget(icon, 0, Qt::AlignTop);
    tipText_ = new TextLabel({}, TextStyle::Subheadline);
    tipText_->setObjectName(QStringLiteral("tipText"));
    tipText_->setWordWrap(true);
    row->addWidget(tipText_, 1, Qt::AlignTop);
    tipCard_->stack()->addLayout(row);
    return tipCard_;
}

QWidget* DashboardView::buildRecentCard() {
    Card* card = framedCard(QStringLiteral("recentCard"), 14);
    card->addWidget(new TextLabel(QStringLiteral("Последние операции"), TextStyle::Headline));
    auto* list = new QWidget;
    recentList_ = listLayout(list, 14);
    card->addWidget(list);
    return card;
}

// --- Drawing from the store ----------------------------------------------------

void DashboardView::redraw() {
    const bool masked = hideBalances();
    setTitle(titleFor(Preferences::standard().string(QStringLiteral("profileName"))));
    drawBalance(masked);
    drawGoals();
    drawToday();
    drawTemplates(masked);
    drawTasks();
    drawTip();
    drawRecent();
}

void DashboardView::drawBalance(bool masked) {
    const QColor orange = Theme::current().color(ColorRole::Orange);
    spotlightIcon_->setGradient(orange.lighter(118), orange);
    const QColor teal = Theme::current().color(ColorRole::Teal);
    balanceCard_->setGradient(QColor::fromRgbF(0.04f, 0.38f, 0.42f, 1.0f), teal);
    if (auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(balanceCard_->graphicsEffect()))
        shadow->setColor(tealAt(0.18));
    currencyBadge_->setText(
        Preferences::standard().string(QStringLiteral("currencyCode"), QStringLiteral("CNY")));

    const Decimal balance = store_.balance();
    balanceText_->setText(masked ? mask() : cnyText(balance));
    // The spoken label always tells the real balance.
    balanceCard_->setAccessibleName(QStringLiteral("В копилке ") + cnyText(balance));

    const Decimal budget = store_.data().monthlyBudget.value_or(Decimal());
    budget_->setVisible(budget.signum() > 0);
    if (budget.signum() <= 0) return;
    const Decimal spent = store_.monthTotal(TransactionKind::expense, store_.now());
    const Decimal rest = budget - spent;
    // Over budget is decided on the exact amounts, so bar and line always agree.
    const bool over = rest.signum() < 0;
    budgetBar_->setValue(std::min(store_.budgetProgress(), 1.0));
    budgetBar_->setTint(over ? Theme::current().color(ColorRole::Red) : kWhite);
    budgetText_->setText(over ? QStringLiteral("Бюджет превышен")
                              : QStringLiteral("Бюджет: осталось ") + (masked ? mask() : cnyText(rest)));
}

void DashboardView::drawGoals() {
    const std::vector<SavingsGoal> goals = store_.goals();
    const Decimal balance = store_.balance();
    QStringList shown;
    for (const SavingsGoal& goal : goals) {
        const GoalProgress progress = goalProgress(balance, goal.amount);
        // The bar moves within a whole percent too.
        shown << goal.id << goal.name << cnyText(goal.amount) << QString::number(progress.percent)
              << QString::number(progress.fraction, 'g', 17);
    }
    if (shown == goalsShown_) return;
    goalsShown_ = shown;

    clearLayout(goalsList_);
    if (goals.empty()) {
        auto* placeholder =
            new ContentUnavailableView(QStringLiteral("Добавь первую цель"), QStringLiteral("target"),
                                       QStringLiteral("Например, новый компьютер или путешествие"));
        placeholder->setObjectName(QStringLiteral("goalsPlaceholder"));
        goalsList_->addWidget(placeholder);
        return;
    }
    for (std::size_t i = 0; i < goals.size(); ++i) {
        goalsList_->addWidget(goalRow(goals[i], balance));
        if (i + 1 < goals.size()) goalsList_->addWidget(new Divider);
    }
}

QWidget* DashboardView::goalRow(const SavingsGoal& goal, const Decimal& balance) {
    const GoalProgress progress = goalProgress(balance, goal.amount);
    const QString amount = cnyText(goal.amount);
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("goalRow"));
    row->setProperty("goalId", goal.id);
    row->setAccessibleName(QStringLiteral("Цель ") + goal.name + QStringLiteral(", ") + amount +
                           QStringLiteral(", накоплено ") + QString::number(progress.percent) +
                           QStringLiteral(" процентов"));
    auto* column = listLayout(row, 8);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    auto* name = new TextLabel(goal.name, TextStyle::Subheadline);
    name->setObjectName(QStringLiteral("goalName"));
    name->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    name->setWordWrap(true);
    top->addWidget(name, 1);
    auto* sum = new TextLabel(amount, TextStyle::Subheadline);
    sum->setObjectName(QStringLiteral("goalAmount"));
    sum->setMinimumScaleFactor(TextFit::kMinimumScale);
    top->addWidget(sum);
    auto* remove = new Button(QStringLiteral("Удалить цель"), Button::Style::Plain, QStringLiteral("trash"));
    remove->setObjectName(QStringLiteral("deleteGoalButton"));
    remove->setIconOnly(true);
    remove->setRole(Button::Role::Destructive);
    const QString id = goal.id;
    connect(remove, &QAbstractButton::clicked, this, [this, id] { store_.deleteGoal(id); });
    top->addWidget(remove);
    column->addLayout(top);

    auto* bar = new ProgressBar;
    bar->setObjectName(QStringLiteral("goalBar"));
    bar->setTint(ColorRole::Teal);
    bar->setValue(progress.fraction);
    column->addWidget(bar);
    auto* percent = new TextLabel(QString::number(progress.percent) + QStringLiteral("% накоплено"),
                                  TextStyle::Caption, ColorRole::SecondaryLabel);
    percent->setObjectName(QStringLiteral("goalPercent"));
    column->addWidget(percent);
    return row;
}

void DashboardView::drawToday() {
    const QDateTime now = store_.now();
    todayIncome_->setText(cnyText(store_.total(TransactionKind::income, now)));
    todayExpense_->setText(cnyText(store_.total(TransactionKind::expense, now)));
}

void DashboardView::drawTemplates(bool masked) {
    const std::vector<QuickTemplate> templates = store_.quickTemplatesInUse();
    QStringList shown{masked ? QStringLiteral("masked") : QStringLiteral("shown")};
    for (const QuickTemplate& t : templates) shown << t.id << t.title << cnyText(t.amount);
    if (shown == templatesShown_) return;
    templatesShown_ = shown;

    // Keep the trailing stretch; the tiles go before it.
    while (templatesRow_->count() > 1) discardItem(templatesRow_->takeAt(0));
    for (const QuickTemplate& t : templates)
        templatesRow_->insertWidget(templatesRow_->count() - 1, templateTile(t, masked));
    templatesStrip_->setVisible(!templates.empty());
    QWidget* row = templatesRow_->parentWidget();
    row->adjustSize();
    templatesStrip_->setFixedHeight(row->sizeHint().height());
}

QWidget* DashboardView::templateTile(const QuickTemplate& item, bool masked) {
    auto* tile = new TileButton(ColorRole::Teal, 0.1, 14);
    tile->setObjectName(QStringLiteral("templateTile"));
    tile->setProperty("templateId", item.id);
    tile->setAccessibleName(item.title);
    tile->setMinimumWidth(110);
    tile->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // as wide as its title, never squeezed
    auto* column = listLayout(tile, 4);
    column->setContentsMargins(12, 12, 12, 12);
    auto* title = new TextLabel(item.title, TextStyle::Body);
    title->setObjectName(QStringLiteral("templateTitle"));
    title->setTextStyle(TextStyle::Body, QFont::DemiBold);
    column->addWidget(title);
    auto* amount =
        new TextLabel(masked ? mask() : cnyText(item.amount), TextStyle::Caption, ColorRole::SecondaryLabel);
    amount->setObjectName(QStringLiteral("templateAmount"));
    column->addWidget(amount);
    tile->makeChildrenTransparent();
    const QString id = item.id;
    // One tap books the operation at once.
    connect(tile, &QAbstractButton::clicked, this, [this, id] { store_.applyTemplate(id); });
    return tile;
}

void DashboardView::drawTasks() {
    completedCount_->setText(QStringLiteral("Выполнено: ") + QString::number(store_.completedTaskCount()));
    const std::vector<RewardTask> tasks = store_.rewardTasksInUse();
    QStringList shown;
    for (const RewardTask& task : tasks)
        shown << task.id << task.title << cnyText(task.reward) << QString::number(task.completionCount)
              << (task.dueDate ? DateText::abbreviatedDateTime(*task.dueDate) : QString())
              << QString::number(task.difficulty.value_or(1));
    if (shown == tasksShown_) return;
    tasksShown_ = shown;

    clearLayout(tasksList_);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        tasksList_->addWidget(taskRow(tasks[i]));
        if (i + 1 < tasks.size()) tasksList_->addWidget(new Divider);
    }
    tasksList_->parentWidget()->setVisible(!tasks.empty());
}

QWidget* DashboardView::taskRow(const RewardTask& task) {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("taskRow"));
    row->setProperty("taskId", task.id);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* title = new TextLabel(task.title, TextStyle::Subheadline);
    title->setObjectName(QStringLiteral("taskTitle"));
    title->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    title->setWordWrap(true);
    texts->addWidget(title);
    auto* reward = new TextLabel(QStringLiteral("Награда ") + cnyText(task.reward) +
                                     QStringLiteral(" · выполнено ") + QString::number(task.completionCount),
                                 TextStyle::Caption, ColorRole::SecondaryLabel);
    reward->setObjectName(QStringLiteral("taskReward"));
    reward->setWordWrap(true);
    texts->addWidget(reward);
    if (task.dueDate) {
        auto* due = new TextLabel(QStringLiteral("До ") + DateText::abbreviatedDateTime(*task.dueDate) +
                                      QStringLiteral(" · сложность ") +
                                      QString::number(task.difficulty.value_or(1)) + QStringLiteral("/3"),
                                  TextStyle::Caption2, ColorRole::SecondaryLabel);
        due->setObjectName(QStringLiteral("taskDue"));
        due->setWordWrap(true);
        texts->addWidget(due);
    }
    line->addLayout(texts, 1);
    line->addSpacing(0);  // the row's spacing (12) already keeps the texts 8 or more from the button

    const QString id = task.id;
    auto* done = new Button(QStringLiteral("Готово"), Button::Style::BorderedProminent);
    done->setObjectName(QStringLiteral("taskDoneButton"));
    done->setTint(ColorRole::Teal);
    done->setLabelColor(kWhite);
    done->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    connect(done, &QAbstractButton::clicked, this, [this, id] { completeTask(id); });
    line->addWidget(done, 0, Qt::AlignVCenter);

    auto* more = new Button(QStringLiteral("Действия"), Button::Style::Plain, QStringLiteral("ellipsis"));
    more->setObjectName(QStringLiteral("taskMenuButton"));
    more->setIconOnly(true);
    auto* menu = new QMenu(more);
    menu->setObjectName(QStringLiteral("taskMenu"));
    QAction* remove =
        menu->addAction(Symbols::icon(QStringLiteral("trash"), Theme::current().color(ColorRole::Red)),
                        QStringLiteral("Удалить"));
    remove->setObjectName(QStringLiteral("deleteTaskAction"));
    Popups::setDestructive(remove);
    connect(remove, &QAction::triggered, this, [this, id] { store_.deleteTask(id); });
    connect(more, &QAbstractButton::clicked, menu, [more, menu] {
        menu->popup(more->mapToGlobal(QPoint(more->width() - menu->sizeHint().width(), more->height())));
    });
    line->addWidget(more, 0, Qt::AlignVCenter);
    return row;
}

void DashboardView::drawTip() {
    const bool on = Preferences::standard().boolean(QStringLiteral("showSmartTips"), true);
    tipCard_->setVisible(on);
    if (!on) return;
    tipCard_->setBackground(tealAt(0.09));
    const QString tip = store_.smartTip();
    tipText_->setText(tip);
    tipCard_->setAccessibleName(QStringLiteral("Совет: ") + tip);
}

void DashboardView::drawRecent() {
    const std::vector<MoneyTransaction> newest = newestTransactions(store_.data().transactions, 5);
    QStringList shown;
    for (const MoneyTransaction& t : newest)
        shown << t.id.toString() << TransactionRow::signedAmountText(t) << t.category
              << TransactionRow::detailText(t);
    if (shown == recentShown_) return;
    recentShown_ = shown;

    clearLayout(recentList_);
    if (newest.empty()) {
        auto* placeholder =
            new ContentUnavailableView(QStringLiteral("Операций пока нет"), QStringLiteral("tray"),
                                       QStringLiteral("Добавь первый доход или расход"));
        placeholder->setObjectName(QStringLiteral("recentPlaceholder"));
        recentList_->addWidget(placeholder);
        return;
    }
    const QUuid lastId = newest.back().id;
    for (const MoneyTransaction& t : newest) {
        auto* row = new TransactionRow(t);
        row->setObjectName(QStringLiteral("recentRow"));
        recentList_->addWidget(row);
        if (t.id != lastId) recentList_->addWidget(new Divider);
    }
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
    if (completionAlert_) {
        disconnect(completionAlert_, nullptr, this, nullptr);
        completionAlert_->cancel();
    }
    Alert* alert =
        Alert::present(this, QStringLiteral("Задание выполнено!"),
                       QStringLiteral("+") + cnyText(task.reward) + QStringLiteral(" добавлено в копилку"),
                       {{QStringLiteral("Отлично"), AlertButton::Role::Default}});
    completionAlert_ = alert;
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
}

void DashboardView::syncSaveErrorAlert() {
    const std::optional<QString>& error = store_.saveError();
    if (!error) {
        // A later successful save took the error away: so goes the alert.
        dropSaveErrorAlert();
        return;
    }
    const QString message = *error;
    if (saveErrorAlert_ && saveErrorAlertText_ == message) return;
    if (!isVisible()) return;  // shown when the page is next on screen
    dropSaveErrorAlert();
    Alert* alert = Alert::present(this, QStringLiteral("Ошибка сохранения"), message,
                                  {{QStringLiteral("Хорошо"), AlertButton::Role::Cancel}});
    saveErrorAlert_ = alert;
    saveErrorAlertText_ = message;
    if (!alert) return;
    // However the alert goes away, acknowledging it clears the error for everyone.
    connect(alert, &Alert::finished, this, [this] {
        saveErrorAlert_ = nullptr;
        store_.setSaveError(std::nullopt);
    });
}

void DashboardView::dropSaveErrorAlert() {
    if (!saveErrorAlert_) return;
    Alert* alert = saveErrorAlert_;
    saveErrorAlert_ = nullptr;
    disconnect(alert, nullptr, this, nullptr);
    alert->cancel();
}
