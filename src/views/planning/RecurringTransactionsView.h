#pragma once

#include <QHash>
#include <QWidget>
#include <functional>
#include <optional>

#include "models/MoneyModels.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolRows.h"
#include "views/planning/ToolScreen.h"

class ContentUnavailableView;
class QComboBox;
class QDateEdit;
class SegmentedControl;
struct RecurringTransaction;

QString recurringFrequencyTitle(RecurringFrequency frequency);

// What one recurring operation's row shows: title, frequency and next day,
// the amount without sign, and the icon-only "Выключить" / "Включить".
struct RecurringRowContent {
    QString itemId;
    QString title;
    QString caption;  // the frequency, " · следующая " and the next day
    QString amount;
    bool active = false;
    // The caption's two parts, whose widest words are the caption's: the
    // frequency with "· следующая", and the next day.
    QString captionLead;
    QString nextDay;

    static RecurringRowContent of(const RecurringTransaction& item, const QString& nextDay);
    QString toggleName() const;
    bool operator==(const RecurringRowContent&) const = default;
};

// Paints a recurring operation: the title in semibold over the caption, both
// wrapped between words (a date never split), then the amount and the toggle
// (key "toggle") at the trailing end. The title keeps its size; the amount
// shrinks first, as far as the title gains a line by it, and stays whole (on
// a line of its own under a title that it would push past two lines).
class RecurringRowDelegate : public ToolRowDelegate {
public:
    static inline const QString kToggle = QStringLiteral("toggle");

    // `row` gives what a row key's row shows (nullptr: no such row).
    using RowOf = std::function<const RecurringRowContent*(const QString& key)>;
    explicit RecurringRowDelegate(RowOf row) : row_(std::move(row)) {}
    void forgetMeasurements() const override;
    // "<title>, <amount>, <caption>" as the row reads.
    QString accessibleName(const QString& id) const override;

protected:
    int contentHeight(const QString& id, int width) const override;
    QList<PaintedButton> contentButtons(const QString& id, int width) const override;
    void paintContent(QPainter* painter, const QString& id, const QRect& content,
                      const PaintedRowState& state) const override;

private:
    struct Layout {
        int textWidth = 0, titleHeight = 0, captionTop = 0, amountWidth = 0, height = 0;
        QSize button;
        QFont titleFont;  // smaller than the row's title size only for a word too wide for any room
        bool amountBelow = false;  // on a line of its own under the caption, beside the toggle
        int amountTop = 0;
    };
    // Worked out once per row content and width: the list asks for a row's
    // height, buttons and paint at up to three widths while a page is laid out.
    Layout layout(const RecurringRowContent& row, int width) const;
    Layout measure(const RecurringRowContent& row, int width) const;
    int lineWidth(const QString& text, const QFont& font, QHash<QString, int>& kept) const;

    RowOf row_;
    mutable QHash<QString, Layout> layouts_;  // by width, toggle state and texts
    mutable QHash<QString, int> titleWidths_, captionWidths_, amountWidths_;
};

// "Регулярные": the stored recurring operations, or an empty state.
class RecurringTransactionsView : public ToolScreen {
    Q_OBJECT
public:
    explicit RecurringTransactionsView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    ContentUnavailableView* placeholder() const { return placeholder_; }
    // For tests: the rows (by row key) and what a row shows.
    ToolRows* rows() const { return rows_; }
    PaintedList* list() const;
    std::optional<RecurringRowContent> row(int index) const;
    // How many rows have their texts written out now.
    int writtenRowCount() const { return int(shown_.size()); }

private:
    // What the row of a row key shows, written out (money, the next day) the
    // first time the list asks for it: the list measures and paints only the
    // rows near the view, so a long list formats a screenful, not every item.
    const RecurringRowContent* shown(const QString& key) const;
    // A next day's text, formatted once per day while the formatting stays.
    QString dayText(QDate day) const;
    // The currency, languages and time zone the rows' texts are written in.
    QString formatting() const;

    ContentUnavailableView* placeholder_;
    QHash<QString, RecurringTransaction> items_;         // by row key
    mutable QHash<QString, RecurringRowContent> shown_;  // by row key, the rows asked for so far
    QString formatting_;
    RecurringRowDelegate delegate_{[this](const QString& key) { return shown(key); }};
    mutable QHash<QDate, QString> dayTexts_;
    ToolRows* rows_;
};

// "Регулярная операция": title and category tested as typed (not trimmed),
// an amount above zero, the kind ("Расход" first), the frequency and a first
// day without limits. An untouched picker passes the opening moment as it is.
class RecurringEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit RecurringEditorView(MoneyStore& store, QWidget* parent = nullptr);

    bool isValid() const override;
    SegmentedControl* kindPicker() const { return kind_; }
    QLineEdit* categoryField() const { return category_; }
    QComboBox* frequencyPicker() const { return frequency_; }
    QDateEdit* datePicker() const { return picker_; }
    QDateTime nextDate() const;

protected:
    void commit(const QString& name, const Decimal& amount) override;

private:
    SegmentedControl* kind_;
    QLineEdit* category_;
    QComboBox* frequency_;
    QDateEdit* picker_;
    QDateTime opened_;
    QDate openedDay_;
};
