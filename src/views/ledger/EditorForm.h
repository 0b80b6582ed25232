#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <QWidget>
#include <functional>

#include "models/Decimal.h"

class Button;
class MoneyStore;
class NavigationPage;
class QLineEdit;
class QVBoxLayout;
class TextLabel;
class ToggleRow;

// The page of an editor sheet: an inline title, "Отмена" ("cancelButton") in
// the cancellation place and `confirmTitle` (named `confirmName`) in the
// confirmation place.
struct EditorPage {
    NavigationPage* page;
    Button* cancel;
    Button* confirm;
};
EditorPage makeEditorPage(const QString& title, const QString& confirmTitle, const QString& confirmName);
// Fills `sheetContent` edge to edge with a navigation stack whose root is `page`.
void hostEditorPage(QWidget* sheetContent, NavigationPage* page);
// The one way an editor closes: the sheet showing `sheetContent`, if any, is
// dismissed (the editor announces its closing first).
void dismissSheetOf(QWidget* sheetContent);

// A group of rows of the editor sheets: an optional header above a rounded
// panel whose rows are separated by hairlines. A hidden row takes its hairline
// with it.
class EditorSection : public QWidget {
    Q_OBJECT
public:
    explicit EditorSection(const QString& header = {}, QWidget* parent = nullptr);

    void addRow(QWidget* row);
    // Puts a row before the one now at `index` (0: first).
    void insertRow(int index, QWidget* row);
    void setRowVisible(QWidget* row, bool visible);
    bool isRowVisible(QWidget* row) const;
    TextLabel* headerLabel() const { return header_; }

private:
    static QWidget* rowSlot(QWidget* row, bool hairline);

    TextLabel* header_ = nullptr;
    QVBoxLayout* rows_;
};

// Pieces of the goal and money-task editors, placed in EditorSection rows.

// A row of a form: a title at the leading edge, then `field` (stretching), then
// an optional trailing text in the secondary colour ("Сумма  [ 0 ] CNY").
QWidget* formFieldRow(const QString& title, QWidget* field, const QString& trailing = {});
// A row with a title and a compact control at the trailing edge (the date pickers).
QWidget* formControlRow(const QString& title, QWidget* control);

// A one-line text field of a form, without a frame of its own (the section is
// the frame).
QLineEdit* formTextField(const QString& placeholder, const QString& objectName);

// A row of help text with a leading symbol, in footnote size, secondary colour.
QWidget* formHelpRow(const QString& text, const QString& symbol);

// The platform's stepper: a title and two buttons, "−" and "+", that move an
// integer within [minimum, maximum] one step at a time; each button is
// disabled at its end of the range. The title is recomputed from the value.
class Stepper : public QWidget {
    Q_OBJECT
public:
    Stepper(int minimum, int maximum, int value, std::function<QString(int)> title,
            QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    Button* decrementButton() const { return minus_; }
    Button* incrementButton() const { return plus_; }
    TextLabel* titleLabel() const { return title_; }

signals:
    void valueChanged(int value);

private:
    void refresh();

    int minimum_;
    int maximum_;
    int value_;
    std::function<QString(int)> titleFor_;
    TextLabel* title_;
    Button* minus_;
    Button* plus_;
};

// The date pickers work on wall-clock time in the ledger's zone; these turn a
// moment into the picker's plain local value and back. A wall time that a
// clock change skips is read with the offset in force before the change.
QDateTime wallClock(const QDateTime& moment, const QTimeZone& zone);
QDateTime fromWallClock(const QDateTime& wall, const QTimeZone& zone);

// What the goal and money-task sheets share: a section with a name field and
// an amount in the selected currency, "Отмена" / "Добавить" in the toolbar,
// and an optional deadline whose picker hides (keeping its value) while its
// switch is off. "Добавить" is enabled only for a name that is not blank and
// an amount above zero; it commits once and closes. Every way of closing goes
// through dismiss(): dismissRequested, then the sheet's dismiss.
class NamedAmountEditor : public QWidget {
    Q_OBJECT
public:
    struct Texts {
        QString pageTitle;
        QString sectionHeader;
        QString namePlaceholder;
        QString nameObjectName;
        QString amountTitle;
        QString amountObjectName;
        // When set, the amount is a plain field with this placeholder, without
        // a title or the currency after it.
        QString amountPlaceholder = {};
    };

    // A name that is not blank and an amount above zero, unless an editor
    // asks for more or less.
    virtual bool isValid() const;

    NavigationPage* page() const { return page_; }
    ToggleRow* deadlineSwitch() const { return hasDeadline_; }
    bool isPickerShown() const;
    Button* addButton() const { return add_; }
    Button* cancelButton() const { return cancel_; }

    void save();
    void dismiss();

signals:
    void dismissRequested();

protected:
    NamedAmountEditor(MoneyStore& store, const Texts& texts, QWidget* parent);

    // Adds the switch titled `switchTitle` and, below it, `pickerRow`, shown
    // only while the switch is on.
    void addDeadline(EditorSection* section, const QString& switchTitle, QWidget* pickerRow);
    bool hasDeadline() const;
    // Hands the typed name and the amount to the store (called once, by save).
    virtual void commit(const QString& name, const Decimal& amount) = 0;

    void showEvent(QShowEvent* event) override;
    // Brings "Добавить" up to date after a change that isValid() reads.
    void refresh();

    MoneyStore& store_;
    EditorSection* firstSection_;
    QLineEdit* name_;
    QLineEdit* amount_;

private:
    NavigationPage* page_;
    Button* cancel_;
    Button* add_;
    ToggleRow* hasDeadline_ = nullptr;
    EditorSection* deadlineSection_ = nullptr;
    QWidget* pickerRow_ = nullptr;
    bool done_ = false;
    bool focused_ = false;
};
