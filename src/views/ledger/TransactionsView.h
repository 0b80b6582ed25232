#pragma once

#include "components/NavigationStack.h"
#include "models/MoneyModels.h"
#include "views/ledger/SwipeListView.h"
#include "views/ledger/TransactionFilters.h"
#include "views/ledger/TransactionListIndex.h"

#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

class Button;
class ContentUnavailableView;
class MoneyStore;
class PhotoPicker;
class QAction;
class QLineEdit;
class QMenu;
class QStackedWidget;
class SegmentedControl;
class ShareService;
class Sheet;
class SymbolLabel;
class TextLabel;
class TransactionListModel;
class TransactionRowDelegate;

// The "Операции" tab: every income and expense of the profile with a search,
// a kind switch, period, sort and favourites filters, a header with the number
// and net total of what is shown, swipe actions and a context menu on every
// row (favourite, copy, delete), an undo bar after a deletion, the CSV and
// JSON share entries and the editor of a tapped row. Keeps no data of its
// own: the shown list is computed afresh from the store on every change of
// the ledger or of a filter. Only the rows on screen are ever drawn.
class TransactionsView : public NavigationPage {
    Q_OBJECT
public:
    TransactionsView(MoneyStore& store, std::function<void(TransactionKind)> addTransaction, ShareService& share,
                     PhotoPicker& photos, QWidget* parent = nullptr);
    ~TransactionsView() override;

    // What the user chose; each setter redraws as the matching control does.
    const TransactionFilter& filter() const { return filter_; }
    void setKindFilter(std::optional<TransactionKind> kind);
    void setDateFilter(TransactionDateFilter filter);
    void setSort(TransactionSort sort);
    void setFavoritesOnly(bool on);
    void setSearchText(const QString& text);

    // The shown operations, computed now from the store's ledger.
    std::vector<MoneyTransaction> visibleTransactions() const;

    // Runs a row action as its swipe button and menu entry do.
    void perform(RowAction action, const QUuid& id);
    // Opens the editor sheet for the transaction, as tapping its row does.
    void select(const QUuid& id);
    const std::optional<MoneyTransaction>& selectedTransaction() const { return selected_; }
    Sheet* editorSheet() const;

    // Shares the exports as the "Экспорт" menu's entries do.
    void shareCsv();
    void shareJson();

    // Widgets, for tests.
    QLineEdit* searchField() const { return search_; }
    SegmentedControl* kindPicker() const { return kindPicker_; }
    SwipeListView* list() const { return list_; }
    TransactionListModel* model() const { return model_; }
    SymbolLabel* countLabel() const { return count_; }
    TextLabel* totalLabel() const { return total_; }
    ContentUnavailableView* noResultsView() const { return noResults_; }
    QWidget* undoBar() const { return undoBar_; }
    Button* undoButton() const { return undoButton_; }
    Button* filtersButton() const { return filtersButton_; }
    Button* exportButton() const { return exportButton_; }
    Button* addButton() const { return addButton_; }
    QMenu* filtersMenu() const { return filtersMenu_; }
    QMenu* exportMenu() const { return exportMenu_; }
    QMenu* addMenu() const { return addMenu_; }

private:
    QWidget* buildContent();
    void buildToolbar();
    // Recomputes the shown list and everything drawn from it.
    void refresh();
    void refreshIfShown();
    void syncControls();
    void updateUndoBar();
    void repaintRows();
    // The ledger's filter keys, for the store's current revision.
    const TransactionListIndex& index() const;

    MoneyStore& store_;
    std::function<void(TransactionKind)> addTransaction_;
    ShareService& share_;
    PhotoPicker& photos_;
    TransactionFilter filter_;
    mutable std::optional<TransactionListIndex> index_;
    mutable quint64 indexRevision_ = 0;
    std::optional<MoneyTransaction> selected_;
    QPointer<Sheet> editorSheet_;

    QLineEdit* search_ = nullptr;
    SegmentedControl* kindPicker_ = nullptr;
    SymbolLabel* count_ = nullptr;
    TextLabel* total_ = nullptr;
    TransactionListModel* model_ = nullptr;
    SwipeListView* list_ = nullptr;
    TransactionRowDelegate* delegate_ = nullptr;
    ContentUnavailableView* noResults_ = nullptr;
    QStackedWidget* operations_ = nullptr;
    QWidget* undoBar_ = nullptr;
    Button* undoButton_ = nullptr;
    Button* filtersButton_ = nullptr;
    Button* exportButton_ = nullptr;
    Button* addButton_ = nullptr;
    QMenu* filtersMenu_ = nullptr;
    QMenu* exportMenu_ = nullptr;
    QMenu* addMenu_ = nullptr;
    std::vector<QAction*> dateActions_;
    std::vector<QAction*> sortActions_;
    QAction* favoritesAction_ = nullptr;
};
