#pragma once

#include <QList>
#include <QString>

#include "components/NavigationStack.h"

class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class QStandardItemModel;
class TextLabel;

// One choice of a list picker: the value it stands for and the title shown.
struct ListPickerEntry {
    QString value;
    QString title;
};

// A picker for long lists (languages, currencies) in a sheet inside the
// window: one row per entry, the current one checked and scrolled to, a search
// field that narrows the rows by title or value, and a tap that closes the
// sheet with the picked value.
//
//   auto* picker = ListPickerSheet::present(this, "Валюта", entries, storedCode);
//   connect(picker, &ListPickerSheet::picked, this, [](const QString& code) { ... });
class ListPickerSheet : public NavigationPage {
    Q_OBJECT
public:
    ListPickerSheet(const QString& title, const QList<ListPickerEntry>& entries, const QString& current,
                    QWidget* parent = nullptr);

    // Shows a picker in a new sheet over the window of `from`.
    static ListPickerSheet* present(QWidget* from, const QString& title,
                                    const QList<ListPickerEntry>& entries, const QString& current);

    QString current() const { return current_; }
    QLineEdit* searchField() const { return search_; }
    QListView* listView() const { return list_; }
    // The values of the rows shown now, in order.
    QStringList visibleValues() const;
    // Picks a value as a tap on its row does: picked(), then the sheet closes.
    void pick(const QString& value);

signals:
    void picked(const QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void filter(const QString& text);
    void scrollToCurrent();

    QString current_;
    QLineEdit* search_;
    QListView* list_;
    TextLabel* empty_;
    QStandardItemModel* model_;
    QSortFilterProxyModel* rows_;
};

// The rows of the two preference pickers, titled by PickerTitles: every
// currency of CurrencyCatalog; "auto" and then every language of LanguageCatalog.
QList<ListPickerEntry> currencyPickerEntries();
QList<ListPickerEntry> languagePickerEntries();
