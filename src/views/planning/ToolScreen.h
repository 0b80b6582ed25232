#pragma once

#include <QDateTime>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "components/NavigationStack.h"
#include "components/Overlays.h"

class Button;
class KeyedRowList;
class QDateEdit;
class SegmentedControl;
class MoneyStore;

// The page of a money tool, pushed onto its opener's stack. It is drawn from
// the store alone, with "now" taken at each redraw: on every store change and
// on a change of the currency, the language or the theme. The list tools add
// the toolbar's "Добавить", which shows a fresh editor sheet unless one is
// already shown; the sheet keeps its input through store changes.
class ToolScreen : public NavigationPage {
    Q_OBJECT
public:
    ToolScreen(MoneyStore& store, const QString& title, const QString& objectName, QWidget* parent = nullptr);

    virtual void redraw() = 0;

    Button* addButton() const { return add_; }
    Sheet* editorSheet() const { return sheet_; }
    // Shows the editor sheet unless it is already shown.
    void presentEditor();

protected:
    // Adds "Добавить" (symbol "plus") that presents what `makeEditor` builds.
    void addEditorButton(std::function<QWidget*()> makeEditor);

    MoneyStore& store_;

private:
    std::function<QWidget*()> makeEditor_;
    Button* add_ = nullptr;
    QPointer<Sheet> sheet_;
};

// The rows of a list tool on one rounded panel; hidden while empty.
class ToolList : public QWidget {
    Q_OBJECT
public:
    explicit ToolList(const QString& header = {}, QWidget* parent = nullptr);
    KeyedRowList* rows() const { return rows_; }
    // As KeyedRowList::setKeys, with the ids made unique.
    void setIds(const QStringList& ids, const std::function<QWidget*(const QString& key)>& make,
                const std::function<void(int index, QWidget* row)>& draw);
    int count() const;
    QWidget* rowAt(int index) const;

private:
    QWidget* panel_;
    KeyedRowList* rows_;
};

// The upper-case header above a list tool's panel, inset as the page's text.
QWidget* toolListHeader(const QString& header);

// Pieces of the tools' editors.
namespace tool_form {
// A date-only picker (digits, a calendar pop-up) on `day`, from `minimum` on
// when one is given.
QDateEdit* dayPicker(const QString& objectName, QDate day, QDate minimum = {});
// Seven calendar days after now at this time of day, as the pickers' wall
// clock: no clock change between moves it off its hour.
QDateTime weekAhead(const MoneyStore& store);
// A segmented picker of (title, tag) pairs with `current` selected.
SegmentedControl* segments(const QString& objectName, const QString& accessibleName,
                           const QList<QPair<QString, QString>>& items, const QString& current);
}  // namespace tool_form
