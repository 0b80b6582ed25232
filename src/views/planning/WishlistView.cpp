#include "views/planning/WishlistView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/PageBody.h"
#include "components/ProgressBar.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/GlobalPreferences.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/SwipeRows.h"
#include "views/planning/ToolsStyle.h"

namespace {

const WishItem* findWish(const MoneyStore& store, const QString& id) {
    if (!store.data().wishes) return nullptr;
    for (const WishItem& wish : *store.data().wishes)
        if (wish.id == id) return &wish;
    return nullptr;
}

}  // namespace

WishRow::WishRow(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("wishRow"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(tools_style::wishRowSpacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(tools_style::buttonGap);
    title_ = new SymbolLabel({}, QStringLiteral("gift.fill"), TextStyle::Headline);
    title_->setObjectName(QStringLiteral("wishTitle"));
    title_->titleLabel()->setWordWrap(true);
    header->addWidget(title_, 1);
    price_ = new TextLabel({}, TextStyle::Subheadline);
    price_->setObjectName(QStringLiteral("wishPrice"));
    price_->setMonospaced(true);
    price_->setMinimumScaleFactor(TextFit::kMinimumScale);
    header->addWidget(price_, 0, Qt::AlignTop);
    column->addLayout(header);

    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("wishBar"));
    column->addWidget(bar_);
    caption_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("wishCaption"));
    caption_->setWordWrap(true);
    column->addWidget(caption_);

    buttons_ = new QWidget;
    auto* line = new QHBoxLayout(buttons_);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(tools_style::buttonGap);
    const char* const titles[] = {"+10", "+50", "До цели"};
    const char* const names[] = {"wishPlus10", "wishPlus50", "wishToGoal"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new Button(QString::fromUtf8(titles[i]), Button::Style::Bordered);
        button->setObjectName(QString::fromUtf8(names[i]));
        MoneyFocus::mark(button);
        button->setTextStyle(TextStyle::Subheadline);
        connect(button, &QAbstractButton::clicked, this, [this, i] { contribute(i); });
        line->addWidget(button);
        buttonList_.append(button);
    }
    line->addStretch(1);
    column->addWidget(buttons_);
}

Button* WishRow::button(int index) const { return buttonList_.value(index); }

double WishRow::savedShare(const WishItem& wish) {
    if (wish.price.signum() <= 0) return wish.isCompleted ? 1.0 : 0.0;
    return qMin(money::ratio(wish.savedAmount, wish.price), 1.0);
}

void WishRow::draw(const WishItem& wish) {
    wishId_ = wish.id;
    const ColorRole tint = wish.isCompleted ? ColorRole::Green : ColorRole::Label;
    title_->setText(wish.title);
    title_->setSymbol(wish.isCompleted ? QStringLiteral("checkmark.circle.fill")
                                       : QStringLiteral("gift.fill"));
    title_->setColorRole(tint);
    price_->setText(cnyText(wish.price));
    bar_->setValue(savedShare(wish));
    bar_->setTint(wish.isCompleted ? ColorRole::Green : ColorRole::Teal);
    const Decimal rest = money::sub(wish.price, wish.savedAmount);
    caption_->setText(QStringLiteral("Накоплено ") + cnyText(wish.savedAmount) +
                      QStringLiteral(" · осталось ") + cnyText(rest.signum() > 0 ? rest : Decimal()));
    buttons_->setVisible(!wish.isCompleted);
}

void WishRow::contribute(int index) {
    // The wish as it is now: another tap or tab may have changed it since
    // this row was drawn.
    const WishItem* wish = findWish(store_, wishId_);
    if (!wish || wish->isCompleted) return;
    const Decimal amount = index == 0   ? Decimal(10)
                           : index == 1 ? Decimal(50)
                                        : money::sub(wish->price, wish->savedAmount);
    store_.contributeToWish(wishId_, amount);
}

WishlistView::WishlistView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Желания"), QStringLiteral("wishlist"), parent) {
    placeholder_ = new ContentUnavailableView(QStringLiteral("Список желаний пуст"), QStringLiteral("gift"),
                                              QStringLiteral("Добавь мечту и копи на неё постепенно"));
    placeholder_->setObjectName(QStringLiteral("wishlistPlaceholder"));
    list_ = new ToolList;
    list_->setObjectName(QStringLiteral("wishList"));
    swipe_ = new SwipeRows(QStringLiteral("Удалить"), QStringLiteral("trash"), this);
    body()->addWidget(placeholder_);
    body()->addWidget(list_);
    addEditorButton([this] { return new WishEditorView(store_); });
    redraw();
}

SwipeCell* WishlistView::cellAt(int index) const { return static_cast<SwipeCell*>(list_->rowAt(index)); }

WishRow* WishlistView::rowAt(int index) const {
    SwipeCell* cell = cellAt(index);
    return cell ? static_cast<WishRow*>(cell->content()) : nullptr;
}

void WishlistView::redraw() {
    static const std::vector<WishItem> none;
    const std::vector<WishItem>& wishes = store_.data().wishes ? *store_.data().wishes : none;
    placeholder_->setVisible(wishes.empty());
    QStringList ids;
    ids.reserve(qsizetype(wishes.size()));
    for (const WishItem& wish : wishes) ids.append(wish.id);
    list_->setIds(
        ids,
        [this](const QString& key) {
            auto* row = new WishRow(store_);
            return swipe_->wrap(row, key, [this, row] { store_.deleteWish(row->wishId()); });
        },
        [&wishes](int i, QWidget* cell) {
            static_cast<WishRow*>(static_cast<SwipeCell*>(cell)->content())->draw(wishes[std::size_t(i)]);
        });
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
