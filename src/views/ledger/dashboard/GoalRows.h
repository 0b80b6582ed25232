#pragma once

#include <QHash>

#include "components/PaintedList.h"
#include "components/TextFit.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolRows.h"

// What one goal's row of the dashboard shows.
struct GoalRowContent {
    QString goalId;
    QString name;
    QString amount;   // money text, never masked
    double fraction = 0;
    qint64 percent = 0;

    // The goal measured against the whole balance.
    static GoalRowContent of(const SavingsGoal& goal, const Decimal& balance);
    // "<percent>% накоплено".
    QString percentText() const;
    // What the row says as one element: "Цель <name>, <amount>, накоплено <percent> процентов".
    QString accessibleName() const;
    bool operator==(const GoalRowContent&) const = default;
};

struct GoalRowLayout {
    QSize button;
    TextFit::TitleBesideAmount name;  // the name beside the amount
    int lineHeight = 0;  // the first line: the name, the amount and the button
    int barTop = 0, percentTop = 0, height = 0;
};

// Paints a goal: the name (semibold, up to two lines) with the amount and the
// trash button ("Удалить цель", key "delete") at the trailing end, the teal
// bar of its progress and the percent below.
class GoalRowDelegate : public ContentRowDelegate<GoalRowContent, GoalRowLayout> {
public:
    static inline const QString kDelete = QStringLiteral("delete");

    using ContentRowDelegate::ContentRowDelegate;

    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    // GoalRowContent::accessibleName.
    QString accessibleName(const QString& id) const override;

protected:
    GoalRowLayout measure(const GoalRowContent& row, int width) const override;
};
