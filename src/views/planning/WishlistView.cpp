#include "views/planning/WishlistView.h"

#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/PageBody.h"
#include "services/GlobalPreferences.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolsStyle.h"

WishlistView::WishlistView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Желания"), QStringLiteral("wishlist"), parent) {
    placeholder_ = new ContentUnavailableView(QStringLiteral("Список желаний пуст"), QStringLiteral("gift"),
                                              QStringLiteral("Добавь мечту и копи на неё постепенно"));
    placeholder_->setObjectName(QStringLiteral("wishlistPlaceholder"));
    delegate_.setCurrencyCode(GlobalPreferences::currencyCode());
    panel_ = new Card;
    panel_->setObjectName(QStringLiteral("wishPanel"));
    panel_->setPadding(Spacing::pagePadding, tools_style::listRowPadding);
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("wishList"));
    // A hairline halfway between two rows, each row padded as a list row.
    list_->setSpacing(2 * tools_style::listRowPadding + 1);
    list_->setDividers(true);
    // A long list measures the wishes the user scrolls near, not all of them.
    list_->setMeasuredAhead(tools_style::estimatedRowHeight);
    list_->setSwipeActions({}, {{kDelete, QStringLiteral("Удалить"), QStringLiteral("trash"), ColorRole::Red}});
    panel_->addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, &WishlistView::contribute);
    connect(list_, &PaintedList::swipeActionTriggered, this, [this](const QString& key, const QString& action) {
        const auto it = wishes_.rows().constFind(key);
        if (action == kDelete && it != wishes_.rows().constEnd()) store_.deleteWish(it->id);
    });
    body()->addWidget(placeholder_);
    body()->addWidget(panel_);
    addEditorButton([this] { return new WishEditorView(store_); });
    redraw();
}

std::optional<WishRowContent> WishlistView::row(int index) const {
    const auto it = wishes_.rows().constFind(rowKey(index));
    if (it == wishes_.rows().constEnd()) return std::nullopt;
    return WishRowContent::of(*it);
}

void WishlistView::contribute(const QString& key, const QString& button) {
    const auto row = wishes_.rows().constFind(key);
    if (row == wishes_.rows().constEnd() || !store_.data().wishes) return;
    // The wish as it is now: another tap or tab may have changed it since
    // this row was drawn.
    const WishItem* wish = nullptr;
    for (const WishItem& w : *store_.data().wishes)
        if (w.id == row->id) wish = &w;
    if (!wish || wish->isCompleted) return;
    const Decimal amount = button == WishRowDelegate::kPlus10   ? Decimal(10)
                           : button == WishRowDelegate::kPlus50 ? Decimal(50)
                                                                : money::sub(wish->price, wish->savedAmount);
    store_.contributeToWish(row->id, amount);
}

void WishlistView::redraw() {
    static const std::vector<WishItem> none;
    const std::vector<WishItem>& wishes = store_.data().wishes ? *store_.data().wishes : none;
    placeholder_->setVisible(wishes.empty());
    panel_->setVisible(!wishes.empty());
    const QStringList changed = wishes_.update(wishes, {}, [](const WishItem& wish) { return wish; });
    if (wishes_.keys() != list_->rows()) list_->setRows(wishes_.keys());
    // Every amount is written in the currency: a new one changes every row.
    const QString currency = GlobalPreferences::currencyCode();
    if (currency != delegate_.currencyCode()) {
        delegate_.setCurrencyCode(currency);
        list_->updateAllRows();
        return;
    }
    for (const QString& key : std::as_const(changed)) list_->updateRow(key);
}

WishEditorView::WishEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Новое желание"),
                         {},
                         QStringLiteral("Что хочешь купить?"),
                         QStringLiteral("wishTitleField"),
                         {},
                         QStringLiteral("wishPriceField"),
                         QStringLiteral("Цена в ") + GlobalPreferences::currencyCode()},
                        parent) {
    setObjectName(QStringLiteral("wishEditor"));
    page()->setTitleDisplay(NavigationPage::TitleDisplay::Large);
}

void WishEditorView::commit(const QString& name, const Decimal& amount) { store_.addWish(name, amount); }
