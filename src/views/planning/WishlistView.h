#pragma once

#include <QWidget>

#include "models/MoneyModels.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolScreen.h"

class Button;
class ContentUnavailableView;
class ProgressBar;
class SwipeCell;
class SwipeRows;
class SymbolLabel;
class TextLabel;
struct WishItem;

// One wish: its title and price, the saved share, and while it is open the
// "+10", "+50" and "До цели" buttons, each of which reads the wish afresh from
// the store at the tap.
class WishRow : public QWidget {
    Q_OBJECT
public:
    explicit WishRow(MoneyStore& store, QWidget* parent = nullptr);
    void draw(const WishItem& wish);

    const QString& wishId() const { return wishId_; }
    SymbolLabel* titleLabel() const { return title_; }
    ProgressBar* bar() const { return bar_; }
    TextLabel* captionLabel() const { return caption_; }
    Button* button(int index) const;  // "+10", "+50", "До цели"

    // The bar's share: saved of price, capped at 1; a price at or below zero
    // (only from a file written elsewhere) gives an empty bar, or a full one
    // for a completed wish.
    static double savedShare(const WishItem& wish);

private:
    void contribute(int index);

    MoneyStore& store_;
    QString wishId_;
    SymbolLabel* title_;
    TextLabel* price_;
    ProgressBar* bar_;
    TextLabel* caption_;
    QWidget* buttons_;
    QList<Button*> buttonList_;
};

// "Желания": the wishes in stored order, or a placeholder while there is none.
// A trailing swipe deletes a wish.
class WishlistView : public ToolScreen {
    Q_OBJECT
public:
    explicit WishlistView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    ContentUnavailableView* placeholder() const { return placeholder_; }
    ToolList* list() const { return list_; }
    WishRow* rowAt(int index) const;
    SwipeCell* cellAt(int index) const;

private:
    ContentUnavailableView* placeholder_;
    ToolList* list_;
    SwipeRows* swipe_;
};

// "Новое желание": a title (not blank) and a price above zero.
class WishEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit WishEditorView(MoneyStore& store, QWidget* parent = nullptr);

protected:
    void commit(const QString& name, const Decimal& amount) override;
};
