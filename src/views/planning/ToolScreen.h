#pragma once

#include <QPointer>
#include <QStringList>
#include <functional>

#include "components/NavigationStack.h"
#include "components/Overlays.h"

class Button;
class KeyedRowList;
class MoneyStore;
class QDateTime;

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
