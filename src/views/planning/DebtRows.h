#pragma once

#include <QDate>
#include <QHash>

#include "components/Theme.h"
#include "views/planning/ToolRows.h"

struct DebtRecord;

// What one open debt's row shows.
struct DebtRowContent {
    QString debtId;
    QString person;
    QString symbol;  // the direction's symbol
    QString amount;  // money text
    QString detail;  // direction, then " · " and the note when there is one
    QString due;     // "До " and the day; empty without a due date
    ColorRole dueColor = ColorRole::SecondaryLabel;

    // `today` is the present day in the store's calendar, `dueDay` the due day in it.
    static DebtRowContent of(const DebtRecord& debt, QDate today, QDate dueDay);
    bool operator==(const DebtRowContent&) const = default;
};

// Paints a debt: the direction's symbol and the name (semibold, wrapped
// between words) with the whole amount at the trailing end, the detail line, the due line
// when there is one, and "Закрыть долг" (key "settle").
class DebtRowDelegate : public ToolRowDelegate {
public:
    static inline const QString kSettle = QStringLiteral("settle");

    explicit DebtRowDelegate(const QHash<QString, DebtRowContent>& rows) : rows_(rows) {}

    void forgetMeasurements() const override {
        ToolRowDelegate::forgetMeasurements();
        measured_.clear();
    }
    // "<name>, <amount>, <detail>, <due>" as the row reads.
    QString accessibleName(const QString& id) const override;

protected:
    int contentHeight(const QString& id, int width) const override;
    QList<PaintedButton> contentButtons(const QString& id, int width) const override;
    void paintContent(QPainter* painter, const QString& id, const QRect& rect,
                      const PaintedRowState& state) const override;

private:
    struct Layout {
        int headerHeight = 0;
        int detailTop = 0, detailHeight = 0, dueTop = 0, dueHeight = 0, buttonTop = 0, height = 0;
        QSize buttonSize;
    };
    Layout layout(const DebtRowContent& row, const TitleLine& title, int width) const;
    using Measured = MeasuredRows<DebtRowContent, Layout>::Measured;
    const Measured* measured(const QString& id, int width) const;

    const QHash<QString, DebtRowContent>& rows_;
    MeasuredRows<DebtRowContent, Layout> measured_{rows_};
};
