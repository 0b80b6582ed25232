#pragma once

#include <QWidget>

#include "models/MoneyModels.h"

class Button;
class MoneyStore;
class NavigationPage;
class QLineEdit;
class SegmentedControl;

// The new quick template sheet: a title, the kind ("Расход" first selected),
// an amount and a category. "Добавить" is enabled only for a title and a
// category that are not blank and an amount above 0; it stores the texts as
// typed, once, and closes. Every way of closing drops what was typed.
class TemplateEditorView : public QWidget {
    Q_OBJECT
public:
    explicit TemplateEditorView(MoneyStore& store, QWidget* parent = nullptr);

    // Title and category are tested with spaces and tabs trimmed; the amount
    // must read as a number above 0.
    static bool canSave(const QString& title, const QString& amountText, const QString& category);
    bool canSave() const;

    TransactionKind kind() const { return kind_; }
    void save();
    void dismiss();

    NavigationPage* page() const { return page_; }
    QLineEdit* titleField() const { return title_; }
    SegmentedControl* kindPicker() const { return kindPicker_; }
    QLineEdit* amountField() const { return amount_; }
    QLineEdit* categoryField() const { return category_; }
    Button* addButton() const { return add_; }
    Button* cancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    MoneyStore& store_;
    TransactionKind kind_ = TransactionKind::expense;
    NavigationPage* page_;
    Button* cancel_;
    Button* add_;
    QLineEdit* title_;
    SegmentedControl* kindPicker_;
    QLineEdit* amount_;
    QLineEdit* category_;
    bool done_ = false;
    bool focused_ = false;
};
