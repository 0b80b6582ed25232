#pragma once

#include <QWidget>

#include <QHash>
#include <optional>

#include "components/PaintedList.h"
#include "models/MoneyModels.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/RecordRows.h"
#include "views/planning/ToolScreen.h"
#include "views/planning/WishRowDelegate.h"

class Card;
class ContentUnavailableView;

// "Желания": the wishes in stored order, painted in one list, or a
// placeholder while there is none. A row's "+10", "+50" and "До цели" each
// read the wish afresh from the store at the tap; a trailing swipe deletes
// the wish. A redraw repaints only the rows whose wish changed.
class WishlistView : public ToolScreen {
    Q_OBJECT
public:
    static inline const QString kDelete = QStringLiteral("delete");

    explicit WishlistView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    ContentUnavailableView* placeholder() const { return placeholder_; }
    // For tests: the rows (keys are the wishes' ids, made unique), what a row shows.
    PaintedList* list() const { return list_; }
    int count() const { return int(list_->rows().size()); }
    QString rowKey(int index) const { return list_->rows().value(index); }
    std::optional<WishRowContent> row(int index) const;
    const WishRowDelegate& delegate() const { return delegate_; }

private:
    void contribute(const QString& key, const QString& button);

    RecordRows<WishItem, WishItem> wishes_;  // a row shows its wish
    WishRowDelegate delegate_{wishes_.rows()};
    ContentUnavailableView* placeholder_;
    Card* panel_;
    PaintedList* list_;
};

// "Новое желание": a title (not blank) and a price above zero.
class WishEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit WishEditorView(MoneyStore& store, QWidget* parent = nullptr);

protected:
    void commit(const QString& name, const Decimal& amount) override;
};
