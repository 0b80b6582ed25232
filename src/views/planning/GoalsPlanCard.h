#pragma once

#include <QHash>
#include <optional>
#include <vector>

#include "components/MoneyCard.h"
#include "components/PaintedList.h"
#include "components/TextFit.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolRows.h"

class MoneyStore;
struct QueryContext;

// What one goal of the plan shows: what is left to save against the whole
// balance, the days to the deadline and what to put aside a day, and whether
// it can be archived (an additional goal).
struct GoalPlanContent {
    QString goalId;
    QString name;
    QString left;    // "Осталось <money>"
    QString days;    // "<n> дн. до срока"; empty without a deadline
    QString perDay;  // "Нужно откладывать <money> в день"; empty without one
    bool archivable = false;

    // `days`: whole days to the deadline (none without one).
    static GoalPlanContent of(const SavingsGoal& goal, const Decimal& balance, std::optional<qint64> days);
    bool operator==(const GoalPlanContent&) const = default;
};

struct GoalPlanLayout {
    TextFit::TitleBesideAmount name;  // the name beside what is left
    int lineHeight = 0;
    int daysTop = 0, perDayTop = 0, buttonTop = 0, height = 0;
};

// Paints a goal of the plan: the name (semibold, up to two lines) with what is
// left at the trailing end, the days and per-day lines when there are any,
// and "Архивировать" (key "archive") for an additional goal.
class GoalPlanDelegate : public ContentRowDelegate<GoalPlanContent, GoalPlanLayout> {
public:
    static inline const QString kArchive = QStringLiteral("archive");

    using ContentRowDelegate::ContentRowDelegate;

    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    // "<name>, <left>, <days>, <per day>" as the row reads.
    QString accessibleName(const QString& id) const override;

protected:
    GoalPlanLayout measure(const GoalPlanContent& row, int width) const override;
};

// "План целей": a painted row per active goal, nothing below the title without goals.
class GoalsPlanCard : public MoneyCard {
    Q_OBJECT
public:
    explicit GoalsPlanCard(MoneyStore& store, QWidget* parent = nullptr);

    // The amount still missing: amount − balance, 0 once the balance reaches it.
    static Decimal leftToSave(const Decimal& amount, const Decimal& balance);
    // What to put aside a day over `days` (none below one day).
    static std::optional<Decimal> perDay(const Decimal& left, std::optional<qint64> days);

    // Measures and paints again only the rows whose goal changed.
    void draw(const QueryContext& ctx, const Decimal& balance);

    int rowCount() const;
    // The i-th goal shown: its row's key in list() and what it shows.
    QString keyAt(int index) const;
    std::optional<GoalPlanContent> rowAt(int index) const;
    PaintedList* list() const { return list_; }

private:
    MoneyStore& store_;
    QHash<QString, GoalPlanContent> rows_;
    GoalPlanDelegate delegate_{rows_};
    PaintedList* list_;
};
