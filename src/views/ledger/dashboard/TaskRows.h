#pragma once

#include <QHash>

#include "components/PaintedList.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolRows.h"

// What one money task's row of the dashboard shows.
struct TaskRowContent {
    QString taskId;
    QString title;
    QString reward;  // "Награда <money> · выполнено <count>"
    QString due;     // "До <date> · сложность <n>/3"; empty without a due date

    static TaskRowContent of(const RewardTask& task);
    bool operator==(const TaskRowContent&) const = default;
};

// Paints a money task: its title (semibold), reward and due lines, each
// wrapped between words, then "Готово" (key "done") and the actions button
// ("Действия", key "more") at the trailing end.
class TaskRowDelegate : public PaintedRowDelegate {
public:
    static inline const QString kDone = QStringLiteral("done");
    static inline const QString kMore = QStringLiteral("more");

    explicit TaskRowDelegate(const QHash<QString, TaskRowContent>& rows) : rows_(rows) {}

    int rowHeight(const QString& id, int width, bool busy) const override;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    void forgetMeasurements() const override;

private:
    struct Layout {
        int textWidth = 0, rewardTop = 0, dueTop = 0, textHeight = 0, height = 0;
    };
    const Layout& layout(const QString& id, const TaskRowContent& row, int width) const;

    const QHash<QString, TaskRowContent>& rows_;
    TextMeasures texts_;
    KeptLayouts<TaskRowContent, Layout> layouts_;
};
