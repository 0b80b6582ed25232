#include "views/ledger/TransactionsView.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QTimeZone>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/Overlays.h"
#include "components/SearchField.h"
#include "components/SegmentedControl.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "platform/ShareService.h"
#include "services/MoneyText.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/ledger/TransactionEditorView.h"
#include "views/ledger/TransactionListModel.h"
#include "views/ledger/TransactionRowDelegate.h"

namespace {

const QString kAllTag = QStringLiteral("all");
const QString kIncomeTag = QStringLiteral("income");
const QString kExpenseTag = QStringLiteral("expense");

// The undo bar's capsule on a thin, nearly opaque material.
class CapsuleBar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor material = Theme::current().color(ColorRole::SecondaryGroupedBackground);
        material.setAlphaF(0.85f);
        p.setPen(QPen(Theme::current().color(ColorRole::Separator), 0.5));
        p.setBrush(material);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
};

QString noResultsTitle(const QString& search) {
    return search.isEmpty() ? QStringLiteral("Нет результатов")
                            : QStringLiteral("Нет результатов для «") + search + QStringLiteral("»");
}

}  // namespace

TransactionsView::TransactionsView(MoneyStore& store, std::function<void(TransactionKind)> addTransaction,
                                   ShareService& share, PhotoPicker& photos, QWidget* parent)
    : NavigationPage(QStringLiteral("Операции"), parent),
      store_(store),
      addTransaction_(std::move(addTransaction)),
      share_(share),
      photos_(photos) {
    setObjectName(QStringLiteral("transactionsView"));
    setContent(buildContent());
    buildToolbar();

    connect(&store_, &MoneyStore::dataChanged, this, [this] {
        delegate_->ledgerChanged(store_.lastChange());  // measured for the ledger before this change
        refreshIfShown();
    });
    connect(&store_, &MoneyStore::canUndoDeleteChanged, this, &TransactionsView::updateUndoBar);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String("currencyCode") || key == QLatin1String("appLanguage")) {
            delegate_->clearMeasurements();
            refreshIfShown();
        }
    });
    connect(&Theme::current(), &Theme::changed, this, [this] {
        delegate_->clearMeasurements();
        refreshIfShown();
    });
    // The list is computed when the tab comes into view ("Сегодня", "7 дней"
    // and "Этот месяц" move on with the clock) and on every change while it
    // is in view; a tab out of view does no work.
    connect(this, &NavigationPage::appeared, this, &TransactionsView::refresh);
    updateUndoBar();
}

TransactionsView::~TransactionsView() {
    if (editorSheet_) editorSheet_->dismiss();
}

QWidget* TransactionsView::buildContent() {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("transactionsContent"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 4, 0, 8);
    column->setSpacing(12);

    auto* top = new QVBoxLayout;
    top->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 0);
    top->setSpacing(12);

    search_ = new SearchField(QStringLiteral("Категория, заметка, тег или кошелёк"));
    search_->setObjectName(QStringLiteral("searchField"));
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_.searchText = text;
        refresh();
    });
    top->addWidget(search_);

    auto* header = new Card;
    header->setObjectName(QStringLiteral("operationsHeader"));
    header->setPadding(16, 12);
    auto* headerRow = new QWidget;
    auto* row = new QHBoxLayout(headerRow);
    row->setContentsMargins(0, 0, 0, 0);
    count_ = new SymbolLabel(QString(), QStringLiteral("number"));
    count_->setObjectName(QStringLiteral("foundCount"));
    total_ = new TextLabel(QString(), TextStyle::Body);
    total_->setObjectName(QStringLiteral("visibleTotal"));
    total_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    total_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total_->setMinimumScaleFactor(TextFit::kMinimumScale);
    row->addWidget(count_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(total_, 0, Qt::AlignVCenter);
    header->addWidget(headerRow);
    top->addWidget(header);

    kindPicker_ = new SegmentedControl;
    kindPicker_->setObjectName(QStringLiteral("kindPicker"));
    kindPicker_->setAccessibleName(QStringLiteral("Тип"));
    kindPicker_->addSegment(QStringLiteral("Все"), kAllTag);
    kindPicker_->addSegment(QStringLiteral("Доходы"), kIncomeTag);
    kindPicker_->addSegment(QStringLiteral("Расходы"), kExpenseTag);
    kindPicker_->setCurrentTag(kAllTag);
    connect(kindPicker_, &SegmentedControl::currentTagChanged, this, [this](const QString& tag) {
        if (tag == kIncomeTag)
            setKindFilter(TransactionKind::income);
        else if (tag == kExpenseTag)
            setKindFilter(TransactionKind::expense);
        else
            setKindFilter(std::nullopt);
    });
    top->addWidget(kindPicker_);
    column->addLayout(top);

    model_ = new TransactionListModel(store_, this);
    list_ = new SwipeListView(model_);
    // The rows take the viewport's width as they are drawn, whether or not the scroll bar shows.
    TransactionRowDelegate::Placement placement;
    placement.rowWidth = [list = list_] { return list->viewport()->width(); };
    placement.rowsOnScreen = [list = list_] { return list->rowsOnScreen(); };
    delegate_ = new TransactionRowDelegate(*model_, std::move(placement), list_);
    list_->setItemDelegate(delegate_);
    list_->setRowsShareHeight([rows = delegate_](int width) { return rows->allRowsOneLine(width); });
    connect(list_, &SwipeListView::rowTapped, this, &TransactionsView::select);
    connect(list_, &SwipeListView::actionTriggered, this, &TransactionsView::perform);

    noResults_ =
        new ContentUnavailableView(noResultsTitle({}), QStringLiteral("magnifyingglass"),
                                   QStringLiteral("Проверьте написание или попробуйте новый запрос."));
    noResults_->setObjectName(QStringLiteral("noResults"));

    operations_ = new QStackedWidget;
    operations_->setObjectName(QStringLiteral("operationsSection"));
    operations_->addWidget(list_);
    // The placeholder keeps its own height, a little above the middle.
    auto* placeholder = new QWidget;
    auto* placeholderColumn = new QVBoxLayout(placeholder);
    placeholderColumn->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 0);
    placeholderColumn->addStretch(1);
    placeholderColumn->addWidget(noResults_);
    placeholderColumn->addStretch(2);
    operations_->addWidget(placeholder);
    column->addWidget(operations_, 1);

    undoBar_ = new CapsuleBar;
    undoBar_->setObjectName(QStringLiteral("undoBar"));
    auto* undoRow = new QHBoxLayout(undoBar_);
    undoRow->setContentsMargins(8, 8, 8, 8);
    undoButton_ = new Button(QStringLiteral("Отменить удаление"), Button::Style::BorderedProminent,
                             QStringLiteral("arrow.uturn.backward"));
    undoButton_->setObjectName(QStringLiteral("undoDeleteButton"));
    connect(undoButton_, &QAbstractButton::clicked, this, [this] { store_.undoDelete(); });
    undoRow->addWidget(undoButton_);
    column->addWidget(undoBar_, 0, Qt::AlignHCenter);
    return content;
}

void TransactionsView::buildToolbar() {

    filtersButton_ =
        addToolbarButton(QStringLiteral("Фильтры"), QStringLiteral("line.3.horizontal.decrease.circle"),
                         ToolbarPlacement::Leading);
    filtersButton_->setObjectName(QStringLiteral("filtersButton"));
    filtersButton_->setIconOnly(true);
    filtersMenu_ = new QMenu(QStringLiteral("Фильтры"), this);
    filtersMenu_->setObjectName(QStringLiteral("filtersMenu"));
    QMenu* period = filtersMenu_->addMenu(QStringLiteral("Период"));
    period->setObjectName(QStringLiteral("periodMenu"));
    auto* periodGroup = new QActionGroup(period);
    for (TransactionDateFilter f : kTransactionDateFilters) {
        QAction* action = period->addAction(rawValue(f));
        action->setCheckable(true);
        periodGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, f] { setDateFilter(f); });
        dateActions_.push_back(action);
    }
    QMenu* sort = filtersMenu_->addMenu(QStringLiteral("Сортировка"));
    sort->setObjectName(QStringLiteral("sortMenu"));
    auto* sortGroup = new QActionGroup(sort);
    for (TransactionSort s : kTransactionSorts) {
        QAction* action = sort->addAction(rawValue(s));
        action->setCheckable(true);
        sortGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, s] { setSort(s); });
        sortActions_.push_back(action);
    }
    favoritesAction_ = filtersMenu_->addAction(QStringLiteral("Только избранное"));
    favoritesAction_->setObjectName(QStringLiteral("favoritesOnlyAction"));
    favoritesAction_->setCheckable(true);
    connect(favoritesAction_, &QAction::triggered, this, [this](bool on) { setFavoritesOnly(on); });
    connect(filtersButton_, &QAbstractButton::clicked, this, [this] {
        filtersMenu_->popup(filtersButton_->mapToGlobal(QPoint(0, filtersButton_->height())));
    });

    exportButton_ = addToolbarButton(QStringLiteral("Экспорт"), QStringLiteral("square.and.arrow.up"),
                                     ToolbarPlacement::Trailing);
    exportButton_->setObjectName(QStringLiteral("exportButton"));
    exportButton_->setIconOnly(true);
    exportMenu_ = new QMenu(QStringLiteral("Экспорт"), this);
    exportMenu_->setObjectName(QStringLiteral("exportMenu"));
    QAction* csv = exportMenu_->addAction(Symbols::menuIcon(QStringLiteral("tablecells")),
                                          QStringLiteral("Поделиться CSV"));
    csv->setObjectName(QStringLiteral("shareCsvAction"));
    connect(csv, &QAction::triggered, this, &TransactionsView::shareCsv);
    QAction* json = exportMenu_->addAction(Symbols::menuIcon(QStringLiteral("doc.text")),
                                           QStringLiteral("Поделиться JSON"));
    json->setObjectName(QStringLiteral("shareJsonAction"));
    connect(json, &QAction::triggered, this, &TransactionsView::shareJson);
    connect(exportButton_, &QAbstractButton::clicked, this,
            [this] { exportMenu_->popup(exportButton_->mapToGlobal(QPoint(0, exportButton_->height()))); });

    addButton_ =
        addToolbarButton(QStringLiteral("Добавить"), QStringLiteral("plus"), ToolbarPlacement::Trailing);
    addButton_->setObjectName(QStringLiteral("addButton"));
    addButton_->setIconOnly(true);
    addMenu_ = new QMenu(QStringLiteral("Добавить"), this);
    addMenu_->setObjectName(QStringLiteral("addMenu"));
    QAction* income = addMenu_->addAction(Symbols::menuIcon(QStringLiteral("arrow.down.left")),
                                          QStringLiteral("Доход"));
    income->setObjectName(QStringLiteral("addIncomeAction"));
    connect(income, &QAction::triggered, this, [this] {
        if (addTransaction_) addTransaction_(TransactionKind::income);
    });
    QAction* expense = addMenu_->addAction(Symbols::menuIcon(QStringLiteral("arrow.up.right")),
                                           QStringLiteral("Расход"));
    expense->setObjectName(QStringLiteral("addExpenseAction"));
    connect(expense, &QAction::triggered, this, [this] {
        if (addTransaction_) addTransaction_(TransactionKind::expense);
    });
    connect(addButton_, &QAbstractButton::clicked, this,
            [this] { addMenu_->popup(addButton_->mapToGlobal(QPoint(0, addButton_->height()))); });
    syncControls();
}

void TransactionsView::setKindFilter(std::optional<TransactionKind> kind) {
    filter_.kind = kind;
    refresh();
}

void TransactionsView::setDateFilter(TransactionDateFilter filter) {
    filter_.date = filter;
    refresh();
}

void TransactionsView::setSort(TransactionSort sort) {
    filter_.sort = sort;
    refresh();
}

void TransactionsView::setFavoritesOnly(bool on) {
    filter_.favoritesOnly = on;
    refresh();
}

void TransactionsView::setSearchText(const QString& text) {
    if (search_->text() != text)
        search_->setText(text);  // textChanged refreshes
    else if (filter_.searchText != text) {
        filter_.searchText = text;
        refresh();
    }
}

std::vector<MoneyTransaction> TransactionsView::visibleTransactions() const {
    const auto& all = store_.data().transactions;
    std::vector<MoneyTransaction> shown;
    for (int i : index().visible(filter_, store_.now(), QTimeZone::systemTimeZone()))
        shown.push_back(all[static_cast<size_t>(i)]);
    return shown;
}

const TransactionListIndex& TransactionsView::index() const {
    // Read once per state of the ledger: every filter, search keystroke and
    // sort of that state walks it. A change of one transaction right after
    // the state it holds moves that one alone; anything else reads it afresh.
    if (index_ && indexRevision_ != store_.revision()) {
        const LedgerChange& change = store_.lastChange();
        bool followed = false;
        if (indexRevision_ + 1 == store_.revision() && change.revision == store_.revision()) {
            switch (change.kind) {
                case LedgerChange::Kind::added: followed = index_->added(); break;
                case LedgerChange::Kind::removed: followed = index_->removed(change.position); break;
                case LedgerChange::Kind::replaced: followed = index_->replaced(change.position); break;
                case LedgerChange::Kind::whole: break;
            }
        }
        if (!followed) index_.reset();
        indexRevision_ = store_.revision();
    }
    if (!index_) {
        index_.emplace(store_.data().transactions);
        indexRevision_ = store_.revision();
    }
    return *index_;
}

void TransactionsView::refreshIfShown() {
    if (isVisible()) refresh();
}

void TransactionsView::refresh() {
    // The user's calendar of this moment, not the store's.
    std::vector<int> rows = index().visible(filter_, store_.now(), QTimeZone::systemTimeZone());

    count_->setText(QStringLiteral("Найдено: ") + QString::number(rows.size()));
    const Decimal total = index().total(rows);
    total_->setText(cnyText(total));
    total_->setColorRole(total.isNegative() ? ColorRole::Orange : ColorRole::Green);

    noResults_->titleLabel()->setText(noResultsTitle(filter_.searchText));
    operations_->setCurrentIndex(rows.empty() ? 1 : 0);
    model_->setRows(std::move(rows));
    syncControls();
}

void TransactionsView::syncControls() {
    const QString tag =
        !filter_.kind ? kAllTag : (*filter_.kind == TransactionKind::income ? kIncomeTag : kExpenseTag);
    if (kindPicker_->currentTag() != tag) {
        const QSignalBlocker block(kindPicker_);
        kindPicker_->setCurrentTag(tag);
    }
    for (size_t i = 0; i < dateActions_.size(); ++i)
        dateActions_[i]->setChecked(kTransactionDateFilters[i] == filter_.date);
    for (size_t i = 0; i < sortActions_.size(); ++i)
        sortActions_[i]->setChecked(kTransactionSorts[i] == filter_.sort);
    if (favoritesAction_) favoritesAction_->setChecked(filter_.favoritesOnly);
}

void TransactionsView::updateUndoBar() { undoBar_->setVisible(store_.canUndoDelete()); }

void TransactionsView::perform(RowAction action, const QUuid& id) {
    switch (action) {
        case RowAction::favorite:
            store_.toggleFavorite(id);
            break;
        case RowAction::copy:
            store_.duplicateTransaction(id);
            break;
        case RowAction::remove:
            store_.deleteTransactions({id});
            break;
    }
}

Sheet* TransactionsView::editorSheet() const { return editorSheet_; }

void TransactionsView::select(const QUuid& id) {
    if (editorSheet_) return;  // one sheet at a time
    const auto& all = store_.data().transactions;
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const MoneyTransaction& t) { return t.id == id; });
    if (it == all.end()) return;
    selected_ = *it;
    // The edit sheet: the one place that builds the editor.
    editorSheet_ = Sheet::present(this, new TransactionEditorView(store_, *it, photos_));
    connect(editorSheet_, &Sheet::dismissed, this, [this] { selected_.reset(); });
}

// The exports are built when an entry is picked, from the ledger of that
// moment, and handed on unchanged.
void TransactionsView::shareCsv() {
    share_.share(QStringLiteral("Операции CSV"), store_.csvExport(), QStringLiteral("Операции.csv"));
}

void TransactionsView::shareJson() {
    share_.share(QStringLiteral("Резервная копия JSON"), store_.jsonExport(),
                 QStringLiteral("Резервная копия.json"));
}
